#include "gridview/GridViewPalette.h"

#include <QGuiApplication>
#include <QPalette>

namespace GridViewPalette {

QColor itemBackgroundColor() {
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.05f);
}
QColor itemBackgroundHoverColor() {
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.1f);
}
QColor itemBackgroundSelectionColor() {
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.25f);
}
QColor itemSelectionRingColor() {
    return QColor::fromRgbF(0.346f, 0.531f, 0.792f, 1.0f);
}
QColor itemTitleColor() {
    return QColor::fromRgbF(0.196f, 0.2f, 0.2f, 1.0f);
}
QColor itemTitleShadowColor() {
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.8f);
}
QColor selectionFrameColor() {
    return QColor::fromRgbF(0.5f, 0.5f, 0.5f, 1.0f);
}
QColor controlColor() {
    return QGuiApplication::palette().color(QPalette::Button);
}

}  // namespace GridViewPalette
