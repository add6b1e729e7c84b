#include "app/ResolutionMenuDelegate.h"

#include <QComboBox>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kListBackground(Qt::white);
const QColor kListText(25, 25, 25);
const QColor kHighlight(53, 105, 54);  // the strip's green
const QColor kHighlightText(Qt::white);
constexpr int kPadding = 10;     // left and right of an entry
constexpr int kMarkColumn = 20;  // the check mark's column, before the text
constexpr int kMinimumRowHeight = 28;

QFont entryFont(const QStyleOptionViewItem &option, bool current) {
    QFont font = option.font;
    font.setBold(current);
    return font;
}

}  // namespace

ResolutionMenuDelegate::ResolutionMenuDelegate(QComboBox *menu) : QStyledItemDelegate(menu), menu_(menu) {}

bool ResolutionMenuDelegate::isCurrent(const QModelIndex &index) const {
    return index.row() == menu_->currentIndex();
}

void ResolutionMenuDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const {
    const bool highlighted = option.state & (QStyle::State_Selected | QStyle::State_MouseOver);
    const QColor text = highlighted ? kHighlightText : kListText;
    painter->save();
    painter->fillRect(option.rect, highlighted ? kHighlight : kListBackground);
    const QRect content = option.rect.adjusted(kPadding, 0, -kPadding, 0);
    if (isCurrent(index)) {
        const int side = std::min(kMarkColumn, option.rect.height()) / 2;
        drawCheckMark(painter, QRect(content.left(), content.center().y() - side / 2, side, side), text);
    }
    painter->setFont(entryFont(option, isCurrent(index)));
    painter->setPen(text);
    painter->drawText(content.adjusted(kMarkColumn, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                      index.data(Qt::DisplayRole).toString());
    painter->restore();
}

QSize ResolutionMenuDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    // Bold for every entry, so the list does not change width when the current entry changes.
    const QFontMetrics metrics(entryFont(option, true));
    const int width = 2 * kPadding + kMarkColumn + metrics.horizontalAdvance(index.data().toString());
    return {width, std::max(kMinimumRowHeight, metrics.height() + 10)};
}

void ResolutionMenuDelegate::drawCheckMark(QPainter *painter, const QRect &box, const QColor &colour) {
    QPainterPath tick;
    tick.moveTo(box.left(), box.top() + box.height() * 0.55);
    tick.lineTo(box.left() + box.width() * 0.4, box.bottom());
    tick.lineTo(box.right(), box.top());
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->drawPath(tick);
}
