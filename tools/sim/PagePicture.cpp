#include "PagePicture.h"

#include "TestCard.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTransform>

#include <cmath>
#include <random>

namespace {

constexpr double kA4Aspect = 297.0 / 210.0;
constexpr double kTurnDegrees = 3.5;

void drawDesk(QPainter &painter, QSize size) {
    QLinearGradient wood(0, 0, size.width(), size.height());
    wood.setColorAt(0, QColor(120, 84, 52));
    wood.setColorAt(1, QColor(92, 62, 38));
    painter.fillRect(QRect(QPoint(0, 0), size), wood);
    // Grain: long faint bands across the desk.
    std::mt19937 random(3);
    for (int i = 0; i < 60; ++i) {
        const int y = int(random() % unsigned(size.height()));
        painter.setPen(QPen(QColor(70, 46, 28, 40 + int(random() % 40)), 1 + random() % 3));
        painter.drawLine(0, y, size.width(), y + int(random() % 40) - 20);
    }
}

// Lighting: bright where the lamp is, darker towards the far corner.
void drawLight(QPainter &painter, QSize size) {
    QRadialGradient lamp(size.width() * 0.3, size.height() * 0.25, size.width() * 0.9);
    lamp.setColorAt(0, QColor(255, 250, 235, 30));
    lamp.setColorAt(1, QColor(0, 0, 20, 90));
    painter.fillRect(QRect(QPoint(0, 0), size), lamp);
}

// Sensor noise on every pixel, a few levels either way, as a camera's small sensor gives in room light.
void addNoise(QImage &picture, int variant) {
    std::mt19937 random(unsigned(variant) * 7919u + 11u);
    std::normal_distribution<float> noise(0.0f, 4.5f);
    for (int y = 0; y < picture.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const int n = int(noise(random));
            const auto level = [n](int value) { return std::clamp(value + n, 0, 255); };
            row[x] = qRgb(level(qRed(row[x])), level(qGreen(row[x])), level(qBlue(row[x])));
        }
    }
}

}  // namespace

PagePicture::PagePicture(Style style) : style_(style) {}

const std::vector<QString> &PagePicture::englishLines() {
    static const std::vector<QString> lines = {
        QStringLiteral("Worksheet 4: Light and Shadow"),
        QStringLiteral("1. Light travels in straight lines from its source."),
        QStringLiteral("2. An opaque object blocks light and casts a shadow."),
        QStringLiteral("3. Measure the shadow of a pencil at three distances."),
        QStringLiteral("4. Write down what you notice about its size and edge."),
    };
    return lines;
}

const std::vector<QString> &PagePicture::chineseLines() {
    static const std::vector<QString> lines = {
        QStringLiteral("第四课：光与影"),
        QStringLiteral("光从光源出发沿直线传播。"),
        QStringLiteral("不透明的物体挡住光，形成影子。"),
        QStringLiteral("请记录影子的大小和边缘的变化。"),
    };
    return lines;
}

QImage PagePicture::sheet(int width) {
    const int height = int(std::lround(width * kA4Aspect));
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(QColor(246, 244, 238));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double margin = width * 0.09;
    double y = margin;
    const auto writeLines = [&](const std::vector<QString> &lines, double size, QColor colour) {
        QFont font(QStringLiteral("Noto Sans CJK SC"));
        font.setPixelSize(int(size));
        painter.setFont(font);
        painter.setPen(colour);
        for (const QString &line : lines) {
            y += size * 1.6;
            painter.drawText(QPointF(margin, y), line);
        }
    };
    writeLines({englishLines().front()}, width * 0.045, QColor(20, 20, 30));
    writeLines({englishLines().begin() + 1, englishLines().end()}, width * 0.028, QColor(35, 35, 40));
    y += width * 0.04;
    writeLines(chineseLines(), width * 0.032, QColor(30, 30, 35));
    // Ruled lines for the answers, as worksheets have.
    painter.setPen(QPen(QColor(150, 160, 180), std::max(1.0, width * 0.002)));
    for (int i = 0; i < 8 && y < height - margin * 1.5; ++i) {
        y += width * 0.06;
        painter.drawLine(QPointF(margin, y), QPointF(width - margin, y));
    }
    return page;
}

QPolygonF PagePicture::pageCorners(QSize size) {
    // Upright, the page fills 80 % of the picture's height, centred; then turned about its centre and its
    // far edge drawn a little narrower (the camera looks down at a slight slant).
    const double height = size.height() * 0.8;
    const double width = height / kA4Aspect;
    const QPointF centre(size.width() * 0.5, size.height() * 0.5);
    const double slant = width * 0.03;
    const QPolygonF upright = {QPointF(-width / 2 + slant, -height / 2),
                               QPointF(width / 2 - slant, -height / 2), QPointF(width / 2, height / 2),
                               QPointF(-width / 2, height / 2)};
    QTransform turn;
    turn.translate(centre.x(), centre.y());
    turn.rotate(kTurnDegrees);
    return turn.map(upright);
}

QImage PagePicture::draw(QSize size, int variant) {
    QImage picture(size, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    drawDesk(painter, size);
    const QPolygonF corners = pageCorners(size);
    const QImage page = sheet(int(std::lround(QLineF(corners[3], corners[2]).length())));
    const QPolygonF source = {QPointF(0, 0), QPointF(page.width(), 0), QPointF(page.width(), page.height()),
                              QPointF(0, page.height())};
    QTransform onDesk;
    if (QTransform::quadToQuad(source, corners, onDesk)) {
        // A soft shadow under the sheet, then the sheet.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 60));
        painter.drawPolygon(corners.translated(size.width() * 0.004, size.height() * 0.006));
        painter.setTransform(onDesk);
        painter.drawImage(QPointF(0, 0), page);
        painter.resetTransform();
    }
    drawLight(painter, size);
    painter.end();
    addNoise(picture, variant);
    return picture;
}

std::vector<std::uint8_t> PagePicture::picture(std::uint64_t frameNumber) {
    const std::lock_guard lock(mutex_);
    if (encoded_.empty()) {
        for (int variant = 0; variant < kVariants; ++variant)
            encoded_.push_back(
                encodeJpeg(draw(QSize(style_.width, style_.height), variant), style_.jpegQuality));
    }
    return encoded_[frameNumber % encoded_.size()];
}

void PagePicture::setSize(int width, int height) {
    const std::lock_guard lock(mutex_);
    if (width == style_.width && height == style_.height) return;
    style_.width = width;
    style_.height = height;
    encoded_.clear();
}
