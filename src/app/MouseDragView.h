#pragma once

// The drag surface: carries the picture stack and moves it by the mouse delta of every drag step.
//
// The widget covers the whole display area, so every press and drag inside the area reaches it, also where
// the picture is not. Its logical frame (M by M, anywhere in the area, partly outside it if dragged so)
// lives in its DisplayGeometry, and painting follows that geometry: what is on screen is what the numbers
// say.

#include "app/DisplayGeometry.h"

#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QTransform>
#include <QWidget>

class MouseDragView : public QWidget {
    Q_OBJECT
  public:
    explicit MouseDragView(QWidget *parent = nullptr);

    // The picture at its own pixel size (the picture view's content); a null image shows nothing.
    const QImage &image() const { return image_; }
    void setImage(const QImage &image);

    // The controller changes the stack through this, then calls update().
    DisplayGeometry &displayGeometry() { return geometry_; }
    const DisplayGeometry &displayGeometry() const { return geometry_; }

    QPointF lastPoint() const { return lastPoint_; }
    void setLastPoint(QPointF point) { lastPoint_ = point; }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    // The parts of the widget the picture leaves to the background.
    QRegion uncoveredParts(const QTransform &toArea) const;

    QImage image_;
    DisplayGeometry geometry_;
    QPointF lastPoint_;
};
