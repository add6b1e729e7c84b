#pragma once

// The rubber band drawn while the user drags across the grid: a translucent dark fill with a white outline.

#include <QRectF>
#include <QWidget>

class SelectionFrameView : public QWidget {
    Q_OBJECT

  public:
    explicit SelectionFrameView(QWidget *parent = nullptr);

    // The band in the grid's coordinates, unrounded: selection works from this, the widget from its pixels.
    const QRectF &frame() const { return frame_; }
    void setFrame(const QRectF &frame);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QRectF frame_;
};
