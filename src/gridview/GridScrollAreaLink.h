#pragma once

// Ties a grid to the QScrollArea whose viewport is its parent: keeps the area's bars as the grid needs
// them, and tells the grid when the area scrolls, when the viewport is resized and when it has been
// attached. Follows the grid from one parent to the next (follow, on every parent change).

#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractScrollArea;
class QEvent;
class QWidget;

class GridScrollAreaLink : public QObject {
    Q_OBJECT

  public:
    struct Hooks {
        std::function<void()> scrolled;
        std::function<void()> viewportResized;
        std::function<void()> attached;  // to a new area; viewport() is set
    };

    GridScrollAreaLink(QWidget &grid, Hooks hooks);

    // Attaches to the area the grid is in now, if another than before.
    void follow();
    // The viewport of the area, or nullptr outside one.
    QWidget *viewport() const { return viewport_; }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QWidget &grid_;
    Hooks hooks_;
    QPointer<QAbstractScrollArea> area_;  // only to connect and disconnect
    QPointer<QWidget> viewport_;
};
