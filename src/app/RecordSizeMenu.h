#pragma once

// The record button's sizes (VideoSize's choices): the one chosen is checked and remembered in the
// settings; a name the table does not know is the default.
//
// Thread use: GUI thread.

#include "recorder/VideoSize.h"

class QActionGroup;

class RecordSizeMenu {
  public:
    static VideoSize::Choice chosen();
    // Checks the remembered size among actions (their data: the size's name) and remembers each pick.
    static void connect(QActionGroup &actions);
};
