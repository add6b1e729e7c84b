#include "viewer/ScreenChoice.h"

std::optional<std::size_t> ScreenChoice::chosen(const std::vector<Screen> &screens,
                                                const QString &remembered) {
    // A screen without a name cannot be told apart from the next one of its kind, so none is remembered.
    if (remembered.isEmpty()) return std::nullopt;
    for (std::size_t i = 0; i < screens.size(); ++i) {
        if (screens[i].name == remembered) return i;
    }
    return std::nullopt;
}

QString ScreenChoice::label(const Screen &screen, std::size_t index) {
    const QString name = screen.name.isEmpty() ? QString::number(index + 1) : screen.name;
    return QStringLiteral("%1 (%2×%3)").arg(name).arg(screen.size.width()).arg(screen.size.height());
}
