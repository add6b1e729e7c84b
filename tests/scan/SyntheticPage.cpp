#include "SyntheticPage.h"

#include <QBuffer>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRegularExpression>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>

namespace {

constexpr double kA4WidthMm = 210, kA4HeightMm = 297;
constexpr double kMmPerPoint = 25.4 / 72;

struct Point3 {
    double x, y, z;
};

// The page's corners (mm, page centred at the origin) through a camera tilted by tilt about the page's
// horizontal axis, the page turned by turn, at the distance that makes it heightShare of the frame high.
PageQuad projected(const SyntheticPage::Scene &scene) {
    const double f = scene.frame.width();  // about a 53 degree field of view, as document cameras have
    const double distance = f * kA4HeightMm / (scene.heightShare * scene.frame.height());
    const double tilt = scene.tiltDegrees * M_PI / 180, turn = scene.turnDegrees * M_PI / 180;
    const double w = kA4WidthMm / 2, h = kA4HeightMm / 2;
    const Point3 page[4] = {{-w, -h, 0}, {w, -h, 0}, {w, h, 0}, {-w, h, 0}};
    // A little off the middle, moved on the desk (not in the picture, which would move the optical centre).
    const double offset = 0.03 * scene.frame.width() * distance / f;
    PageQuad quad;
    for (int i = 0; i < 4; ++i) {
        const double x = page[i].x * std::cos(turn) - page[i].y * std::sin(turn) + offset;
        const double y = page[i].x * std::sin(turn) + page[i].y * std::cos(turn);
        // Tilting moves the top edge away from the camera.
        const double y2 = y * std::cos(tilt), z = distance - y * std::sin(tilt);
        quad.corners[i] =
            QPointF(scene.frame.width() / 2.0 + f * x / z, scene.frame.height() / 2.0 + f * y2 / z);
    }
    return quad;
}

void drawDesk(QPainter &painter, QSize size, std::mt19937 &random) {
    QLinearGradient wood(0, 0, size.width(), size.height() * 0.3);
    wood.setColorAt(0, QColor(128, 90, 56));
    wood.setColorAt(1, QColor(96, 66, 40));
    painter.fillRect(QRect(QPoint(), size), wood);
    for (int i = 0; i < size.height() / 6; ++i) {
        const int y = int(random() % unsigned(size.height()));
        painter.setPen(
            QPen(QColor(60 + int(random() % 80), 40 + int(random() % 50), 24, 60), 1 + random() % 3));
        painter.drawLine(0, y, size.width(), y + int(random() % 60) - 30);
    }
}

// The lamp: bright at the top left, down to 60 % at the far corner; then noise of a small sensor.
void lightAndNoise(QImage &picture, std::mt19937 &random) {
    std::normal_distribution<float> noise(0.0f, 4.0f);
    const double diagonal = std::hypot(picture.width(), picture.height());
    for (int y = 0; y < picture.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            const double light = 1.0 - 0.4 * std::hypot(x, y) / diagonal;
            const int n = int(noise(random));
            const auto level = [&](int v) { return std::clamp(int(v * light) + n, 0, 255); };
            row[x] = qRgb(level(qRed(row[x])), level(qGreen(row[x])), level(qBlue(row[x])));
        }
    }
}

QStringList tokens(const QString &text, const QRegularExpression &token) {
    QStringList out;
    for (auto it = token.globalMatch(text); it.hasNext();) out << it.next().captured();
    return out;
}

double recall(const QStringList &expected, const QStringList &found) {
    if (expected.isEmpty()) return 0;
    std::map<QString, int> left;
    for (const QString &t : found) ++left[t];
    int hits = 0;
    for (const QString &t : expected)
        if (left[t]-- > 0) ++hits;
    return double(hits) / expected.size();
}

}  // namespace

const QStringList &SyntheticPage::lines(Script script) {
    static const QStringList english = {
        QStringLiteral("Plants make their own food from sunlight, water and air."),
        QStringLiteral("The green leaves take in light and a gas called carbon dioxide."),
        QStringLiteral("Roots carry water up through the stem to every leaf."),
        QStringLiteral("Sugar made in the leaves gives the plant energy to grow."),
        QStringLiteral("At night the plant keeps breathing but makes no new food."),
        QStringLiteral("Write three questions about what you saw in the garden today."),
        QStringLiteral("Draw the parts of a flower and label each one clearly."),
    };
    static const QStringList chinese = {
        QStringLiteral("植物利用阳光、水和空气制造自己的食物。"),
        QStringLiteral("绿色的叶子吸收光和二氧化碳。"),
        QStringLiteral("根把水从土里通过茎送到每一片叶子。"),
        QStringLiteral("叶子里做成的糖给植物生长的能量。"),
        QStringLiteral("请写出你今天在花园里看到的三个问题。"),
    };
    return script == Script::English ? english : chinese;
}

QImage SyntheticPage::sheet(Script script, double points, int heightPixels) {
    const double pxPerMm = heightPixels / kA4HeightMm;
    QImage page(int(std::lround(kA4WidthMm * pxPerMm)), heightPixels, QImage::Format_RGB32);
    page.fill(QColor(248, 246, 240));
    QPainter painter(&page);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(script == Script::English ? QStringLiteral("DejaVu Sans")
                                         : QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(std::max(1, int(std::lround(points * kMmPerPoint * pxPerMm))));
    painter.setFont(font);
    painter.setPen(QColor(25, 25, 30));
    const double margin = 18 * pxPerMm;
    double y = 25 * pxPerMm;
    for (const QString &line : lines(script)) {
        y += font.pixelSize() * 1.8;
        painter.drawText(QPointF(margin, y), line);
    }
    return page;
}

PageQuad SyntheticPage::corners(const Scene &scene) {
    return projected(scene);
}

SyntheticPage::Picture SyntheticPage::make(const Scene &scene) {
    std::mt19937 random(scene.seed);
    QImage frame(scene.frame, QImage::Format_RGB32);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    drawDesk(painter, scene.frame, random);
    Picture picture;
    picture.corners = corners(scene);
    if (scene.withPage) {
        const QPolygonF where = picture.corners.polygon();
        const QImage page =
            sheet(scene.script, scene.points, int(std::lround(where.boundingRect().height())));
        const QPolygonF from = QPolygonF(QRectF(page.rect())).mid(0, 4);
        QTransform onDesk;
        QTransform::quadToQuad(from, where, onDesk);
        painter.setTransform(onDesk);
        painter.drawImage(QPointF(0, 0), page);
    }
    painter.end();
    lightAndNoise(frame, random);
    QBuffer buffer(&picture.jpeg);
    buffer.open(QIODevice::WriteOnly);
    frame.save(&buffer, "JPG", 85);
    picture.decoded = QImage::fromData(picture.jpeg, "JPG").convertToFormat(QImage::Format_RGB32);
    return picture;
}

double SyntheticPage::wordRecall(const QString &expected, const QString &found) {
    static const QRegularExpression word(QStringLiteral("[A-Za-z0-9]+"));
    return recall(tokens(expected, word), tokens(found, word));
}

double SyntheticPage::characterRecall(const QString &expected, const QString &found) {
    static const QRegularExpression character(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    return recall(tokens(expected, character), tokens(found, character));
}
