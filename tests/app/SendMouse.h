#pragma once

// A mouse event at position in widget, as a user's press, drag or release would bring it.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

inline void sendMouse(QWidget *widget, QEvent::Type type, QPointF position, Qt::MouseButtons buttons) {
    QMouseEvent event(type, position, widget->mapToGlobal(position), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
