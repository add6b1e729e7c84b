#pragma once

// The viewer window's layout: the display area above the control strip, and every control of the strip.
// The controller connects the controls; this class only builds and styles them.
//
//   +--------------------------------------------------------------------------------------+
//   | display area                                                                         |
//   +--------------------------------------------------------------------------------------+
//   | turn-left (turn) turn-right | 1:1 fit (zoom) Scale: 1.0x     [menu] | capture record library | max |
//   +--------------------------------------------------------------------------------------+

#include "app/CCSlider.h"
#include "app/DoubleSlider.h"
#include "app/ResolutionMenu.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include <initializer_list>

class ViewControllerLayout {
  public:
    // Height of the control strip, in device-independent pixels.
    static constexpr int kStripHeight = 56;

    // Builds the widgets as children of host and lays them out.
    void setupUi(QWidget *host);

    // --- outlets, owned by host
    QWidget *ns_imageview_main = nullptr;
    QFrame *bottom_view = nullptr;
    QLabel *scale_label = nullptr;
    QLabel *zoom_icon = nullptr;
    DoubleSlider *ns_slider_zoom = nullptr;
    CCSlider *ns_slider_rotate = nullptr;
    ResolutionMenu *ctrl_resolve_list = nullptr;
    QToolButton *left_rotate_button = nullptr;
    QToolButton *right_rotate_button = nullptr;
    QToolButton *actual_1_1_button = nullptr;
    QToolButton *suitable_button = nullptr;
    QToolButton *max_window_button = nullptr;
    QToolButton *capture_button = nullptr;
    QToolButton *library_button = nullptr;
    QToolButton *record_button = nullptr;

  private:
    void makeControls();
    void arrangeStrip();
    // Appends controls to the strip's row, in order; a new group of buttons is one more call.
    void addGroup(std::initializer_list<QWidget *> controls);
    void addSeparator();
    QToolButton *toolButton(const char *objectName, const char *picture);
    void styleStrip();

    QWidget *host_ = nullptr;
    QHBoxLayout *stripRow_ = nullptr;  // groups of controls between separators, see arrangeStrip()
};
