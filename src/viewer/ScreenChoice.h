#pragma once

// Which screen full screen goes to: the one the user chose (a classroom's projector), remembered by its
// name, while it is connected; otherwise the window's own screen. And how the menu names a screen.
//
// Thread use: any thread (no state).

#include <QSize>
#include <QString>

#include <optional>
#include <vector>

class ScreenChoice {
  public:
    // A connected screen as the menu shows it: its name (QScreen::name()) and its size in
    // device-independent pixels.
    struct Screen {
        QString name;
        QSize size;
    };

    // The index in screens of the remembered screen; none for the window's own screen: nothing
    // remembered, or the remembered screen is not connected now.
    static std::optional<std::size_t> chosen(const std::vector<Screen> &screens, const QString &remembered);

    // "HDMI-1 (1920×1080)". A screen without a name is called by its place in the list, from 1.
    static QString label(const Screen &screen, std::size_t index);
};
