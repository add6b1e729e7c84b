#include "app/ScanPageStrip.h"

#include "l10n/Localization.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>

namespace {

constexpr int kStripHeight = ScanPageStrip::kThumbnailHeight + 34;  // room for the number and the scroll bar

using l10n::text;

}  // namespace

ScanPageStrip::ScanPageStrip(ScanPages &pages, QWidget *parent) : QListWidget(parent), pages_(pages) {
    setObjectName(QStringLiteral("scan_page_strip"));
    setAccessibleName(text("scan_pages"));
    // A row that reorders when a page is dropped (icon mode would only move the thumbnail about).
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(false);
    setIconSize(QSize(kThumbnailHeight, kThumbnailHeight));
    setFixedHeight(kStripHeight);
    setSpacing(4);
    setDragDropMode(QAbstractItemView::InternalMove);
    setDefaultDropAction(Qt::MoveAction);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setStyleSheet(
        QStringLiteral("#scan_page_strip { background: rgb(36, 72, 37); color: white; border: none; }"
                       "#scan_page_strip::item:selected { background: rgba(255, 255, 255, 70); }"));
}

void ScanPageStrip::refresh() {
    const int current = currentRow();
    clear();
    for (int i = 0; i < pages_.count(); ++i) {
        const ScanPages::Page &page = pages_.at(i);
        auto *item =
            new QListWidgetItem(QIcon(QPixmap::fromImage(page.thumbnail)), QString::number(i + 1), this);
        item->setData(Qt::UserRole, QVariant::fromValue(page.id));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
    }
    if (count() > 0) setCurrentRow(std::clamp(current, 0, count() - 1));
}

void ScanPageStrip::removePage(int index) {
    if (!pages_.remove(index)) return;
    refresh();
    emit changed();
}

void ScanPageStrip::movePage(int from, int to) {
    if (!pages_.move(from, to)) return;
    refresh();
    setCurrentRow(to);
    emit changed();
}

// Delete removes the page under the focus here; elsewhere it stays the key that clears the drawings.
bool ScanPageStrip::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace) {
            event->accept();
            return true;
        }
    }
    return QListWidget::event(event);
}

void ScanPageStrip::keyPressEvent(QKeyEvent *event) {
    if ((event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace) && currentRow() >= 0) {
        removePage(currentRow());
        return;
    }
    QListWidget::keyPressEvent(event);
}

void ScanPageStrip::contextMenuEvent(QContextMenuEvent *event) {
    const int index = row(itemAt(event->pos()));
    if (index < 0) return;
    QMenu menu(this);
    menu.addAction(text("scan_page_move_left"), this, [this, index] { movePage(index, index - 1); })
        ->setEnabled(index > 0);
    menu.addAction(text("scan_page_move_right"), this, [this, index] { movePage(index, index + 1); })
        ->setEnabled(index + 1 < count());
    menu.addAction(text("scan_page_remove"), this, [this, index] { removePage(index); });
    menu.exec(event->globalPos());
}

// The list moves the item itself; the pages follow, then the numbers are renewed.
void ScanPageStrip::dropEvent(QDropEvent *event) {
    QListWidgetItem *dragged = currentItem();
    if (!dragged) return;
    const int from = row(dragged);
    const auto id = dragged->data(Qt::UserRole).value<ScanPages::Id>();
    QListWidget::dropEvent(event);
    const int to = rowOfId(id);
    // After the drag has ended: rebuilding the items inside it would pull them from under the drag.
    QMetaObject::invokeMethod(
        this,
        [this, from, to] {
            if (to >= 0 && to != from)
                movePage(from, to);
            else
                refresh();
        },
        Qt::QueuedConnection);
}

int ScanPageStrip::rowOfId(ScanPages::Id id) const {
    for (int i = 0; i < count(); ++i) {
        if (item(i)->data(Qt::UserRole).value<ScanPages::Id>() == id) return i;
    }
    return -1;
}
