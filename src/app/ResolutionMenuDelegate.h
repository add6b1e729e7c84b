#pragma once

// Draws the entries of the resolution menu's open list itself: dark text on white, white text on the
// strip's green for the entry under the mouse or the keyboard, and a check mark with bold text for the
// menu's current entry (the size on screen). Style sheets and Qt styles draw combo lists in many ways, some
// with the closed menu's white text on a white list; this looks the same in all of them.

#include <QStyledItemDelegate>

class QComboBox;

class ResolutionMenuDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    // menu: the combo box whose list this draws; it owns the delegate.
    explicit ResolutionMenuDelegate(QComboBox *menu);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

  private:
    bool isCurrent(const QModelIndex &index) const;
    static void drawCheckMark(QPainter *painter, const QRect &box, const QColor &colour);

    QComboBox *menu_;
};
