#pragma once

// The viewer's messages to the user: a warning alert with one "OK" button, modal to the window it belongs
// to only (a sheet), shown without waiting so the caller and the live picture keep running. When the user
// dismisses it, "Ok" goes to the process log.
//
// Thread use: main thread.

#include <QString>

class QMessageBox;
class QWidget;

class AlertSheet {
  public:
    // Shows text over window (or as a free-standing alert when window is null) and returns at once. The
    // alert deletes itself when dismissed; the pointer is for callers that want to watch or close it.
    static QMessageBox *begin(QWidget *window, const QString &text);
};
