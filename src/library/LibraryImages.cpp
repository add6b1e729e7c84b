#include "library/LibraryImages.h"

#include <QPainter>
#include <QPainterPath>

#include <random>

namespace LibraryImages {
namespace {

constexpr QSize kFilmIconSize{120, 90};
constexpr QSize kDustTileSize{128, 128};
constexpr unsigned kDustSeed = 20240611;
constexpr int kDustSpecks = 700;

// A strip of film: dark frame, sprocket holes along both edges, a picture area with a play mark.
QImage drawFilmIcon() {
    QImage image(kFilmIconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF strip(4, 4, kFilmIconSize.width() - 8, kFilmIconSize.height() - 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(38, 41, 46));
    p.drawRoundedRect(strip, 7, 7);

    constexpr int kHoles = 7;
    const qreal holeWidth = 8, holeHeight = 6;
    const qreal step = (strip.width() - 12) / kHoles;
    p.setBrush(QColor(236, 236, 232));
    for (int i = 0; i < kHoles; ++i) {
        const qreal x = strip.left() + 6 + i * step + (step - holeWidth) / 2;
        p.drawRoundedRect(QRectF(x, strip.top() + 4, holeWidth, holeHeight), 1.5, 1.5);
        p.drawRoundedRect(QRectF(x, strip.bottom() - 4 - holeHeight, holeWidth, holeHeight), 1.5, 1.5);
    }

    const QRectF picture = strip.adjusted(8, 16, -8, -16);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor(96, 150, 204));
    sky.setColorAt(1, QColor(52, 96, 150));
    p.setBrush(sky);
    p.drawRoundedRect(picture, 3, 3);

    const QPointF centre = picture.center();
    QPainterPath play;
    play.moveTo(centre + QPointF(-8, -11));
    play.lineTo(centre + QPointF(12, 0));
    play.lineTo(centre + QPointF(-8, 11));
    play.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawPath(play);
    return image;
}

// A pale paper-like tile with faint dark and light specks; it tiles without seams because every speck
// is drawn again where it crosses an edge.
QImage drawDustTile() {
    QImage image(kDustTileSize, QImage::Format_RGB32);
    image.fill(QColor(226, 227, 229));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    std::mt19937 random(kDustSeed);
    std::uniform_real_distribution<qreal> x(0, kDustTileSize.width());
    std::uniform_real_distribution<qreal> y(0, kDustTileSize.height());
    std::uniform_real_distribution<qreal> radius(0.3, 1.1);
    std::uniform_int_distribution<int> alpha(10, 46);
    std::bernoulli_distribution dark(0.6);
    for (int i = 0; i < kDustSpecks; ++i) {
        const QPointF at(x(random), y(random));
        const qreal r = radius(random);
        p.setBrush(dark(random) ? QColor(70, 66, 60, alpha(random))
                                : QColor(255, 255, 255, alpha(random) * 3));
        for (int dx : {-1, 0, 1})
            for (int dy : {-1, 0, 1})
                p.drawEllipse(at + QPointF(dx * kDustTileSize.width(), dy * kDustTileSize.height()), r, r);
    }
    return image;
}

}  // namespace

QImage imageNamed(const QString &name) {
    if (name == QLatin1String(kMp4Icon)) {
        static const QImage icon = drawFilmIcon();
        return icon;
    }
    if (name == QLatin1String(kBackgroundDust)) {
        static const QImage tile = drawDustTile();
        return tile;
    }
    return {};
}

}  // namespace LibraryImages
