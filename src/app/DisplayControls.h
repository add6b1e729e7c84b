#pragma once

// The viewer's display commands: 1:1, fit, zoom (slider and keys), turn (buttons and slider), maximise and
// full screen (on the chosen screen, see FullScreenPlacement), and the re-fit when the viewer's or the
// library's window changes size. They act on the drag view's geometry and keep the zoom and turn sliders
// and the scale label in step.
//
// Thread use: GUI thread.

#include "app/FullScreenPlacement.h"
#include "app/MouseDragView.h"
#include "app/ViewControllerLayout.h"
#include "viewer/DisplayGeometry.h"

#include <QObject>
#include <QSizeF>

class DisplayControls : public QObject {
    Q_OBJECT
  public:
    // host: the viewer widget, whose window is the one that fits when resized. Watches every window's
    // resizes from construction on.
    DisplayControls(QWidget &host, const ViewControllerLayout &ui, MouseDragView &view);
    ~DisplayControls() override;

    // The picture size at the last 1:1 layout (also the size of a recording's video).
    QSizeF currentViewSize() const { return currentViewSize_; }

    // "Scale: 1.5x" in the window's language.
    static QString scaleLabel(double factor);

    void set_1x1_resolution();
    void setFitImage();
    void sliderZoomed();
    void zoomIn();
    void zoomOut();
    void turnLeft();
    void turnRight();
    void sliderTurned();
    void resetTurn();
    // Maximises the window, or restores it when maximised.
    void maximise();
    // Full screen on the screen chosen in the maximise button's menu, or back to where the window was.
    void toggleFullScreen();
    // Zooms by wheel steps (positive: in) about a point of the display area.
    void wheelZoom(QPointF areaPoint, double steps);

  signals:
    // The view's zoom changed: the picture may be wanted at another decoding scale.
    void zoomChanged();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void applyZoom(double factor);
    void showTurn(double rotation);
    void turned();
    bool fitsWhenResized(const QObject *watched) const;

    QWidget &host_;
    const ViewControllerLayout &ui_;
    MouseDragView &view_;
    FullScreenPlacement fullScreen_;
    double maxScale_ = DisplayGeometry::kViewerMaxScale;
    QSizeF currentViewSize_;
    bool fitted_ = false;  // the zoom is Fit's, not one the user chose
};
