#pragma once

// The viewer window's layout: the display area above the control strip, and every control of the strip.
// The controller connects the controls; this class only builds and styles them.
//
//   +--------------------------------------------------------------------------------------+
//   | display area                                                                         |
//   +--------------------------------------------------------------------------------------+
//   | turn-left (turn) turn-right | 1:1 fit (zoom) Scale: 1.0x  [menu] | capture record library |
//   |                                              freeze mirror-and-flip▾ pen▾ | max |
//   +--------------------------------------------------------------------------------------+

#include "app/CCSlider.h"
#include "app/DoubleSlider.h"
#include "app/ResolutionMenu.h"

#include <QActionGroup>
#include <QColor>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include <initializer_list>
#include <vector>

class QMenu;
class ScanMenu;

class ViewControllerLayout {
  public:
    // Height of the control strip, in device-independent pixels.
    static constexpr int kStripHeight = 56;

    // The ink colours of the drawing tools' menu with the keys of their names.
    struct Ink {
        QColor colour;
        const char *key;
    };
    static const std::vector<Ink> &inks();

    // Builds the widgets as children of host and lays them out. The menus' actions get their texts and
    // shortcuts from the controller.
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
    QToolButton *camera_button = nullptr;
    QToolButton *capture_button = nullptr;
    QToolButton *library_button = nullptr;
    QToolButton *record_button = nullptr;
    // Exclusive, one per recording video size; each action's data is the size's name.
    QActionGroup *record_size_actions = nullptr;
    QAction *pause_action = nullptr;      // in the record button's menu, while recording
    QAction *timelapse_action = nullptr;  // in the record button's menu
    // The maximise button's menu (a held press): full screen, and which screen it goes to
    // (FullScreenPlacement adds the screens after window_screen_action).
    QMenu *screen_menu = nullptr;
    QAction *full_screen_action = nullptr;
    QAction *screen_heading_action = nullptr;  // a heading, not a command
    QAction *window_screen_action = nullptr;   // checkable: full screen where the window is
    // The teaching tools: freeze (checkable), the mirror-and-flip menu and the drawing tools' button (a
    // click takes or leaves the pen, its arrow opens the menu).
    QToolButton *freeze_button = nullptr;
    QToolButton *orientation_button = nullptr;
    QToolButton *draw_button = nullptr;
    QAction *stills_action = nullptr;      // in the freeze button's menu: the stills strip
    QAction *compare_action = nullptr;     // and the live picture beside a still
    QAction *whiteboard_action = nullptr;  // in the drawing menu: a white page in place of the picture
    QAction *blackboard_action = nullptr;  // and a black one
    QToolButton *shade_button = nullptr;   // spotlight and curtain
    QAction *spotlight_action = nullptr;
    QAction *curtain_action = nullptr;
    QAction *mirror_action = nullptr;
    QAction *flip_action = nullptr;
    QAction *overlay_action = nullptr;
    // Exclusive: pan (no drawing), pen, highlighter, eraser.
    QActionGroup *tool_actions = nullptr;
    QAction *pan_action = nullptr;
    QAction *pen_action = nullptr;
    QAction *highlighter_action = nullptr;
    QAction *eraser_action = nullptr;
    // Which tool's ink the colours below it set (a heading, not a command).
    QAction *ink_heading_action = nullptr;
    // Exclusive, one per ink colour; each action's data is its QColor.
    QActionGroup *colour_actions = nullptr;
    QAction *undo_action = nullptr;
    QAction *clear_action = nullptr;
    QAction *capture_drawings_action = nullptr;
    // Scan mode (checkable) and its menu's entries.
    QToolButton *scan_button = nullptr;
    ScanMenu *scan_menu = nullptr;

  private:
    void makeControls();
    void arrangeStrip();
    // Appends controls to the strip's row, in order; a new group of buttons is one more call.
    void addGroup(std::initializer_list<QWidget *> controls);
    void addSeparator();
    QToolButton *toolButton(const char *objectName, const char *picture);
    void buildTeachingTools();
    void buildRecordMenu();
    void buildScreenMenu();
    QAction *action(QMenu *menu, const char *objectName, bool checkable);
    void styleStrip();

    QWidget *host_ = nullptr;
    QWidget *lastInStrip_ = nullptr;
    QObject *spaceForFocused_ = nullptr;  // lets a focused button take Space from the freeze key  // the last
                                          // control Tab reaches in the strip so far
    QHBoxLayout *stripRow_ = nullptr;     // groups of controls between separators, see arrangeStrip()
};
