#pragma once

// What a keyboard user reaches: the widgets Tab visits, from first on, until focus comes back to first.

#include <QList>
#include <QTest>
#include <QWidget>

inline QList<QWidget *> tabChain(QWidget *first, int limit = 64) {
    QWidget *window = first->window();
    first->setFocus(Qt::TabFocusReason);
    QList<QWidget *> chain;
    for (QWidget *at = window->focusWidget(); at && chain.size() < limit; at = window->focusWidget()) {
        if (!chain.isEmpty() && at == first) break;
        chain << at;
        QTest::keyClick(at, Qt::Key_Tab);
    }
    return chain;
}

inline QStringList objectNames(const QList<QWidget *> &widgets) {
    QStringList names;
    for (const QWidget *widget : widgets)
        names << (widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                 : widget->objectName());
    return names;
}
