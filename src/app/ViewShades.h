#pragma once

// What the presenter lays over the picture to steer the room's eyes: a spotlight (a bright circle that
// follows the pointer, the rest of the picture dimmed; the wheel sizes it) and a curtain (an opaque sheet
// over the picture from its edge down, dragged to uncover the page line by line). They belong to the view
// only: captures and recordings never hold them. Both live in the display area's pixels, so they stay
// where the presenter put them when the picture is zoomed or turned.
//
// Thread use: GUI thread.

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

class ViewShades {
  public:
    static constexpr double kDefaultRadius = 120;
    static constexpr double kSmallestRadius = 30;
    static constexpr double kLargestRadius = 800;
    static constexpr double kRadiusStep = 1.15;  // per wheel notch
    static constexpr int kDimAlpha = 190;        // of black over the dimmed picture

    bool spotlight() const { return spotlight_; }
    void setSpotlight(bool on) { spotlight_ = on; }
    QPointF spotlightCentre() const { return centre_; }
    double spotlightRadius() const { return radius_; }
    void moveSpotlight(QPointF areaPoint) { centre_ = areaPoint; }
    // The square round the light: all a move of the light changes on screen, where it was and where it is.
    QRect spotlightRect() const;
    // steps > 0 (the wheel away from the user) grows it.
    void resizeSpotlight(double steps);

    bool curtain() const { return curtain_; }
    // A curtain comes down at the top of the picture's frame on screen: the whole picture covered.
    void setCurtain(bool on, double pictureTop);
    // The curtain's edge, the area row from which it covers downwards.
    double curtainEdge() const { return edge_; }
    void dragCurtain(double dy, double areaHeight);

    bool any() const { return spotlight_ || curtain_; }
    // Paints both over picture, the picture's frame in the area (unturned bounding box).
    void paint(QPainter &painter, const QRectF &picture) const;

  private:
    void paintSpotlight(QPainter &painter, const QRectF &picture) const;
    const QImage &spotPicture(int side) const;
    static QColor dimColour();

    bool spotlight_ = false;
    QPointF centre_{-1e6, -1e6};  // off the area until the pointer comes
    double radius_ = kDefaultRadius;
    bool curtain_ = false;
    double edge_ = 0;
    mutable QImage spotPicture_;  // the light: clear inside its circle, dimmed round it
};
