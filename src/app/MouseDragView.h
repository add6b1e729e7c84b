#pragma once

// The drag surface: carries the picture stack and moves it by the mouse delta of every drag step; with a
// drawing tool chosen, the mouse draws on the picture instead.
//
// The widget covers the whole display area, so every press and drag inside the area reaches it, also where
// the picture is not. Its logical frame (M by M, anywhere in the area, partly outside it if dragged so)
// lives in its DisplayGeometry, and painting follows that geometry: what is on screen is what the numbers
// say. The strokes (DrawingSheet) are in picture pixels and painted through the same geometry; they show,
// and can be drawn, only over a picture of the sheet's size, so never over the no-device picture.

#include "app/DrawingLayer.h"
#include "app/ViewShades.h"
#include "viewer/DisplayGeometry.h"
#include "viewer/DrawingSheet.h"

#include <QImage>
#include <QPointF>
#include <QRegion>
#include <QTransform>
#include <QWidget>

class MouseDragView : public QWidget {
    Q_OBJECT
  public:
    enum class Tool { Pan, Pen, Highlighter, Eraser };

    // Stroke widths and the eraser's reach in screen pixels at the moment of drawing; strokes then keep
    // their width on the page, so they grow and shrink with the zoom.
    static constexpr double kPenWidth = 4;
    static constexpr double kHighlighterWidth = 24;
    static constexpr double kEraserRadius = 10;

    explicit MouseDragView(QWidget *parent = nullptr);

    // The picture (the picture view's content); a null image shows nothing. A picture decoded at a
    // reduced scale is drawn at pictureSize, the camera picture's own size, which is what the geometry,
    // the strokes and the layout count in.
    const QImage &image() const { return image_; }
    QSize pictureSize() const { return pictureSize_; }
    void setImage(const QImage &image) { setImage(image, image.size()); }
    void setImage(const QImage &image, QSize pictureSize);

    // The controller changes the stack through this, then calls update().
    DisplayGeometry &displayGeometry() { return geometry_; }
    const DisplayGeometry &displayGeometry() const { return geometry_; }

    QPointF lastPoint() const { return lastPoint_; }
    void setLastPoint(QPointF point) { lastPoint_ = point; }

    // --- drawing
    Tool tool() const { return tool_; }
    void setTool(Tool tool);
    // Pen and highlighter each keep their own ink (red and yellow to begin with).
    QColor inkColour(Tool tool) const { return tool == Tool::Highlighter ? highlighterInk_ : penInk_; }
    void setInkColour(Tool tool, const QColor &colour) {
        (tool == Tool::Highlighter ? highlighterInk_ : penInk_) = colour;
    }
    // Changes made here directly are shown after update().
    DrawingSheet &drawingSheet() { return sheet_; }
    const DrawingSheet &drawingSheet() const { return sheet_; }
    const DrawingLayer &drawingLayer() const { return layer_; }
    bool showsDrawings() const { return !image_.isNull() && pictureSize_ == sheet_.pictureSize(); }

    // A mark that says the picture is held still: a frame round the area and label at its top; an empty
    // label takes it away.
    void setFrozenMark(const QString &label);
    // A line over the bottom of the view (where the no-device picture is looked for); empty: none.
    void setNote(const QString &text);
    const QString &note() const { return note_; }
    // A red "REC 01:23" badge at the top right while recording, so that it shows with the overlay off; an
    // empty text takes it away.
    void setRecordingBadge(const QString &text);
    const QString &recordingBadge() const { return recordingBadge_; }
    // The spotlight (follows the pointer, the wheel sizes it) and the curtain (dragging moves its edge
    // instead of the picture). View only.
    const ViewShades &shades() const { return shades_; }
    // Compare: the live picture on the left, still on the right, each whole in its part (CompareLayout);
    // dragging the divider moves it. A null still ends it.
    void setComparison(const QImage &still);
    const QImage &comparison() const { return comparison_; }
    double divider() const { return divider_; }
    // The comparison as shown, at the live picture's resolution, for a capture.
    QImage composedComparison(const QImage &livePicture) const;
    void setSpotlight(bool on);
    void setCurtain(bool on);
    // A picture over the top-left corner (the status panel); a null image takes it away.
    void setCornerPanel(const QImage &panel);
    const QImage &cornerPanel() const { return cornerPanel_; }

  signals:
    // A picture given to setImage() has been painted for the first time.
    void pictureDrawn();
    // A stroke was drawn or erased with the mouse.
    void drawingChanged();
    // The note was clicked (the no-device picture's link to the camera dialog).
    void noteClicked();
    // The wheel turned by steps (positive: away from the user) over areaPoint.
    void wheelTurned(QPointF areaPoint, double steps);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

  private:
    // The parts of the widget the picture leaves to the background.
    QRegion uncoveredParts(const QTransform &toArea) const;
    void paintPicture(QPainter &painter, const QTransform &toArea, const QRect &dirty);
    void paintFrozenMark(QPainter &painter);
    void paintRecordingBadge(QPainter &painter);
    void paintNote(QPainter &painter);
    QRectF noteRect(const QFontMetrics &metrics) const;
    void paintCornerPanel(QPainter &painter);
    QRectF pictureFrame(const QTransform &toArea) const;
    void paintComparison(QPainter &painter);
    bool nearDivider(QPointF point) const;
    void draw(QPointF areaPoint, bool first);
    Qt::CursorShape idleCursor() const;
    QRect cornerPanelRect() const;

    QImage image_;
    QSize pictureSize_;
    DisplayGeometry geometry_;
    QPointF lastPoint_;
    bool newPicture_ = false;

    Tool tool_ = Tool::Pan;
    QColor penInk_{229, 57, 53};
    QColor highlighterInk_{253, 216, 53};
    DrawingSheet sheet_;
    DrawingLayer layer_;
    bool drawing_ = false;  // a drawing gesture is under way
    ViewShades shades_;
    bool movingCurtain_ = false;  // a drag moves the curtain
    QImage comparison_;
    double divider_ = 0.5;
    bool movingDivider_ = false;
    QString frozenLabel_;
    QString recordingBadge_;
    QString note_;
    QImage cornerPanel_;
};
