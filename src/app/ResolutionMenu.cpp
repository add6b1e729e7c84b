#include "app/ResolutionMenu.h"

#include "app/ResolutionMenuDelegate.h"
#include "base/Log.h"
#include "device/ToolKit.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QWheelEvent>

ResolutionMenu::ResolutionMenu(QWidget *parent) : QComboBox(parent) {
    setItemDelegate(new ResolutionMenuDelegate(this));
}

void ResolutionMenu::showWaiting() {
    clear();
    addItem(QStringLiteral(" "));
}

void ResolutionMenu::showResolutions(const std::vector<STRUCT_RESOLUTION> &list) {
    for (const STRUCT_RESOLUTION &resolution : list) {
        const QString title =
            QString::fromStdString(ToolKit::resolutionTitle(resolution.width, resolution.height));
        addItem(title);
        deskcam::logLine("ctrl_resolve_list add: %s", qPrintable(title));
    }
}

void ResolutionMenu::showPopup() {
    // QComboBox makes the list as wide as the plain texts; the entries also carry a mark and bold text.
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth());
    QComboBox::showPopup();
}

void ResolutionMenu::wheelEvent(QWheelEvent *event) {
    // QComboBox steps to the next entry and reports it as the user's choice.
    event->ignore();
}

void ResolutionMenu::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            showPopup();
            event->accept();
            return;
        default:
            break;
    }
    // Typing would search the entries and choose the one found.
    if (!event->text().isEmpty() && event->text().at(0).isPrint() && event->key() != Qt::Key_Space) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}
