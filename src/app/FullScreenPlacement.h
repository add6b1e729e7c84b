#pragma once

// Full screen on the screen chosen in the maximise button's menu (a classroom's projector beside the
// laptop), remembered by the screen's name; leaving full screen puts the window back where it was: its
// screen, its geometry and whether it was maximised. Keeps the menu's list of screens in step with the
// screens that come and go.
//
// Thread use: GUI thread.

#include "app/ViewControllerLayout.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScreen>

#include <optional>
#include <vector>

class FullScreenPlacement : public QObject {
    Q_OBJECT
  public:
    // host: a widget of the window that goes full screen.
    FullScreenPlacement(QWidget &host, const ViewControllerLayout &ui);

    // Enters full screen on the chosen screen, or leaves it.
    void toggle();
    // The screen full screen goes to now: the chosen one while connected, else the window's own.
    QScreen *target() const;

  private:
    void listScreens();
    void choose(const QString &screenName);
    void enter();
    void leave();

    // Where the window was before full screen.
    struct Place {
        QRect geometry;  // the normal one, also of a maximised window
        bool maximised = false;
        QPointer<QScreen> screen;  // null once it is unplugged
    };

    QWidget &host_;
    const ViewControllerLayout &ui_;
    QActionGroup *choices_ = nullptr;       // the window's screen and one per screen; owned by the menu
    std::vector<QAction *> screenActions_;  // owned by the menu
    std::optional<Place> before_;
};
