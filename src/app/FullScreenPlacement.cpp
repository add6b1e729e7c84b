#include "app/FullScreenPlacement.h"

#include "viewer/ScreenChoice.h"
#include "viewer/ViewerSettings.h"

#include <QGuiApplication>
#include <QMenu>
#include <QWindow>

namespace {

std::vector<ScreenChoice::Screen> connectedScreens() {
    std::vector<ScreenChoice::Screen> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.push_back({screen->name(), screen->geometry().size()});
    return screens;
}

QString rememberedScreen() {
    return ViewerSettings::text(ViewerSettings::kFullScreenScreenKey, QString());
}

}  // namespace

FullScreenPlacement::FullScreenPlacement(QWidget &host, const ViewControllerLayout &ui)
    : host_(host), ui_(ui) {
    choices_ = new QActionGroup(ui_.screen_menu);
    choices_->addAction(ui_.window_screen_action);
    ui_.window_screen_action->setData(QString());
    connect(choices_, &QActionGroup::triggered, this,
            [this](QAction *item) { choose(item->data().toString()); });
    connect(ui_.full_screen_action, &QAction::triggered, this, &FullScreenPlacement::toggle);
    // A screen's own name or size changing is not followed: the menu is read when it opens, and a
    // projector's mode is set before class.
    connect(qApp, &QGuiApplication::screenAdded, this, &FullScreenPlacement::listScreens);
    connect(qApp, &QGuiApplication::screenRemoved, this, &FullScreenPlacement::listScreens,
            Qt::QueuedConnection);  // the removed screen is still in the list while its signal is sent
    listScreens();
}

QScreen *FullScreenPlacement::target() const {
    const QList<QScreen *> screens = QGuiApplication::screens();
    const std::optional<std::size_t> chosen = ScreenChoice::chosen(connectedScreens(), rememberedScreen());
    return chosen ? screens[qsizetype(*chosen)] : host_.window()->screen();
}

// One checkable entry per connected screen after the window's own; the remembered one is checked, or the
// window's own when it is not connected.
void FullScreenPlacement::listScreens() {
    for (QAction *item : screenActions_) delete item;
    screenActions_.clear();
    const std::vector<ScreenChoice::Screen> screens = connectedScreens();
    const std::optional<std::size_t> chosen = ScreenChoice::chosen(screens, rememberedScreen());
    for (std::size_t i = 0; i < screens.size(); ++i) {
        QAction *item = ui_.screen_menu->addAction(ScreenChoice::label(screens[i], i));
        item->setObjectName(QStringLiteral("screen_action"));
        item->setCheckable(true);
        item->setData(screens[i].name);
        item->setEnabled(!screens[i].name.isEmpty());  // nothing to remember it by
        item->setChecked(chosen == i);
        choices_->addAction(item);
        screenActions_.push_back(item);
    }
    ui_.window_screen_action->setChecked(!chosen);
}

void FullScreenPlacement::choose(const QString &screenName) {
    ViewerSettings::setText(ViewerSettings::kFullScreenScreenKey, screenName);
}

void FullScreenPlacement::toggle() {
    if (host_.window()->isFullScreen())
        leave();
    else
        enter();
}

void FullScreenPlacement::enter() {
    QWidget *window = host_.window();
    before_ = Place{window->normalGeometry(), window->isMaximized(), window->screen()};
    QScreen *screen = target();
    if (screen != window->screen() && window->windowHandle()) {
        // A maximised window would stay where the window manager keeps it.
        window->setWindowState(Qt::WindowNoState);
        window->windowHandle()->setScreen(screen);
    }
    // A window manager fills the screen the window is on; without one the geometry is all there is.
    window->setGeometry(screen->geometry());
    window->showFullScreen();
}

void FullScreenPlacement::leave() {
    QWidget *window = host_.window();
    window->showNormal();
    // A window that went full screen some other way (its window manager's menu) stays where it comes back.
    if (!before_) return;
    const Place place = *std::exchange(before_, std::nullopt);
    // The earlier screen unplugged meanwhile: the window stays on the one it is on, at its size.
    if (place.screen && window->windowHandle()) {
        window->windowHandle()->setScreen(place.screen);
        window->setGeometry(place.geometry);
    }
    if (place.maximised) window->showMaximized();
}
