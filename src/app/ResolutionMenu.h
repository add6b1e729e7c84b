#pragma once

// The resolution menu of the control strip: a pop-up list of the camera's picture sizes. Only a pick in
// the opened list is a choice (QComboBox::activated): the mouse wheel over the closed menu does nothing,
// and the keys that would step through the sizes open the list instead, since every step would switch the
// camera. The list draws its own entries (ResolutionMenuDelegate), so it stays legible under the strip's
// white-on-green style sheet in any Qt style.

#include "device/STRUCT_RESOLUTION.h"

#include <QComboBox>

#include <vector>

class ResolutionMenu : public QComboBox {
    Q_OBJECT
  public:
    explicit ResolutionMenu(QWidget *parent = nullptr);

    // One blank entry, until the camera's list arrives.
    void showWaiting();
    // The camera's list appended, one "W*H" entry each, so entries and list match index for index.
    void showResolutions(const std::vector<STRUCT_RESOLUTION> &list);

    void showPopup() override;

  protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
