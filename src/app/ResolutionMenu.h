#pragma once

// The resolution menu of the control strip: a pop-up list of the camera's picture sizes. Only a pick in
// the opened list is a choice (QComboBox::activated): the mouse wheel over the closed menu does nothing,
// and the keys that would step through the sizes open the list instead, since every step would switch the
// camera. The list draws its own entries (ResolutionMenuDelegate), so it stays legible under the strip's
// white-on-green style sheet in any Qt style.

#include <QComboBox>

class ResolutionMenu : public QComboBox {
    Q_OBJECT
  public:
    explicit ResolutionMenu(QWidget *parent = nullptr);

    void showPopup() override;

  protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
