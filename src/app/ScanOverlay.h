#pragma once

// Paints the page's outline over the picture view, through the view's geometry, so that it follows zoom,
// turn, pan, mirror and flip with the picture. A transparent child laid over the whole view: it repaints
// with the picture and lets every mouse event through to the view.
//
// Thread use: GUI thread.

#include <QWidget>

class MouseDragView;
class PageOutline;

class ScanOverlay : public QWidget {
  public:
    // view is the parent; outline must outlive the overlay.
    ScanOverlay(MouseDragView &view, const PageOutline &outline);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    MouseDragView &view_;
    const PageOutline &outline_;
};
