#include "app/artwork/Artwork.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <cmath>
#include <functional>

namespace {

// Icons are drawn at twice the size the strip shows them, so they stay sharp on high-density screens.
constexpr int kIconSide = 48;
constexpr double kStroke = 3.5;
const QColor kIconColour(255, 255, 255);
const QColor kRecordRed(230, 57, 53);

QImage blankIcon(int side = kIconSide) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepareLinePainter(QPainter &painter, double width = kStroke) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(kIconColour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
}

// The application's icon on its 128 x 128 grid: a document camera, white on a green tile.
constexpr double kAppIconGrid = 128;

void drawAppIcon(QPainter &painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(53, 105, 54));
    painter.drawRoundedRect(QRectF(4, 4, 120, 120), 26, 26);
    painter.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(30, 100), QPointF(98, 100));
    painter.drawLine(QPointF(48, 100), QPointF(48, 40));
    painter.drawLine(QPointF(48, 40), QPointF(84, 30));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(76, 24, 24, 16), 4, 4);
}

// The record button's ring with a red mark inside: a dot to start, a square to stop.
QImage recordButton(const std::function<void(QPainter &)> &drawMark) {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    painter.drawEllipse(QPointF(24, 24), 19, 19);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kRecordRed);
    drawMark(painter);
    return image;
}

// A three-quarter circle from the left, round the bottom and the right, ending at the top in an arrow head
// that points left: a counter-clockwise turn, or clockwise when mirrored.
QImage turnArrow(bool clockwise) {
    QImage image = blankIcon();
    QPainter painter(&image);
    if (clockwise) {
        painter.translate(kIconSide, 0);
        painter.scale(-1, 1);
    }
    prepareLinePainter(painter);
    const QRectF circle(8, 9, 32, 32);
    QPainterPath arc;
    arc.arcMoveTo(circle, 180);
    arc.arcTo(circle, 180, 260);  // stops short of the top, where the arrow head starts
    painter.drawPath(arc);
    const QPointF top(circle.center().x(), circle.top());
    painter.setPen(Qt::NoPen);
    painter.setBrush(kIconColour);
    painter.drawPolygon(QPolygonF{top + QPointF(-9, 0), top + QPointF(3, -8), top + QPointF(3, 8)});
    // The page being turned.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kIconColour, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawRect(QRectF(19, 20, 10, 13));
    return image;
}

QFont boldFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

}  // namespace

std::vector<Artwork::Picture> Artwork::all() {
    return {
        {QStringLiteral("checkdevice.png"), checkDevice()},
        {QStringLiteral("record.png"), record()},
        {QStringLiteral("recordstop.png"), recordStop()},
        {QStringLiteral("rotate_left.png"), rotateLeft()},
        {QStringLiteral("rotate_right.png"), rotateRight()},
        {QStringLiteral("actual_size.png"), actualSize()},
        {QStringLiteral("fit_size.png"), fitSize()},
        {QStringLiteral("max_window.png"), maxWindow()},
        {QStringLiteral("capture.png"), capture()},
        {QStringLiteral("library.png"), library()},
        {QStringLiteral("zoom.png"), zoom()},
        {QStringLiteral("camera.png"), camera()},
        {QStringLiteral("freeze.png"), freeze()},
        {QStringLiteral("mirror.png"), mirror()},
        {QStringLiteral("pen.png"), pen()},
        {QStringLiteral("highlighter.png"), highlighter()},
        {QStringLiteral("eraser.png"), eraser()},
        {QStringLiteral("spotlight.png"), spotlight()},
        {QStringLiteral("scan.png"), scan()},
        {QStringLiteral("chevron_down.png"), chevronDown()},
        {QStringLiteral("check.png"), checkMark()},
        {QStringLiteral("deskcam.png"), appIcon()},
    };
}

QImage Artwork::checkDevice() {
    // 16:9 but no camera's size, so the resolution menu never selects an entry for it.
    QImage image(864, 486, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, image.height());
    background.setColorAt(0, QColor(46, 50, 54));
    background.setColorAt(1, QColor(28, 31, 34));
    painter.fillRect(image.rect(), background);

    // A document camera: base plate, arm and head, in grey.
    const QColor grey(150, 156, 162);
    painter.setPen(QPen(grey, 7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawLine(QPointF(382, 262), QPointF(482, 262));  // base
    painter.drawLine(QPointF(410, 262), QPointF(410, 150));  // arm up
    painter.drawLine(QPointF(410, 150), QPointF(470, 132));  // arm over
    painter.setBrush(grey);
    painter.drawRoundedRect(QRectF(458, 124, 36, 22), 6, 6);  // head
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(28, 31, 34), 3));
    painter.drawEllipse(QPointF(476, 146), 5, 5);  // lens

    // Crossed out.
    const QColor red(220, 80, 70);
    painter.setPen(QPen(red, 8, Qt::SolidLine, Qt::RoundCap));
    painter.drawEllipse(QPointF(432, 196), 98, 98);
    painter.drawLine(QPointF(432 - 69, 196 + 69), QPointF(432 + 69, 196 - 69));

    painter.setPen(QColor(232, 232, 232));
    painter.setFont(boldFont(32));
    painter.drawText(QRectF(0, 318, image.width(), 44), Qt::AlignCenter,
                     QStringLiteral("No camera connected"));
    QFont note(QStringLiteral("DejaVu Sans"));
    note.setPixelSize(18);
    painter.setFont(note);
    painter.setPen(QColor(170, 176, 182));
    painter.drawText(QRectF(40, 370, image.width() - 80, 60), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("Looking for the document camera. Check that it is switched on\n"
                                    "and connected to this network; the picture returns by itself."));
    return image;
}

QImage Artwork::record() {
    return recordButton([](QPainter &painter) { painter.drawEllipse(QPointF(24, 24), 12, 12); });
}

QImage Artwork::recordStop() {
    return recordButton([](QPainter &painter) { painter.drawRoundedRect(QRectF(15, 15, 18, 18), 3, 3); });
}

QImage Artwork::rotateLeft() {
    return turnArrow(false);
}

QImage Artwork::rotateRight() {
    return turnArrow(true);
}

QImage Artwork::actualSize() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    painter.drawRoundedRect(QRectF(5, 9, 38, 30), 5, 5);
    painter.setFont(boldFont(17));
    painter.drawText(QRectF(5, 9, 38, 30), Qt::AlignCenter, QStringLiteral("1:1"));
    return image;
}

QImage Artwork::fitSize() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter);
    painter.drawLine(QPointF(10, 6), QPointF(38, 6));
    painter.drawLine(QPointF(10, 42), QPointF(38, 42));
    painter.drawLine(QPointF(24, 12), QPointF(24, 36));
    painter.drawPolyline(QPolygonF{QPointF(17, 18), QPointF(24, 11), QPointF(31, 18)});
    painter.drawPolyline(QPolygonF{QPointF(17, 30), QPointF(24, 37), QPointF(31, 30)});
    return image;
}

QImage Artwork::maxWindow() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter);
    const double near = 7, far = 41, arm = 11;
    painter.drawPolyline(QPolygonF{{near, near + arm}, {near, near}, {near + arm, near}});
    painter.drawPolyline(QPolygonF{{far - arm, near}, {far, near}, {far, near + arm}});
    painter.drawPolyline(QPolygonF{{far, far - arm}, {far, far}, {far - arm, far}});
    painter.drawPolyline(QPolygonF{{near + arm, far}, {near, far}, {near, far - arm}});
    return image;
}

QImage Artwork::capture() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter);
    QPainterPath body;
    body.addRoundedRect(QRectF(5, 14, 38, 26), 5, 5);
    painter.drawPath(body);
    painter.drawPolyline(QPolygonF{{15, 14}, {18, 8}, {30, 8}, {33, 14}});
    painter.drawEllipse(QPointF(24, 27), 7.5, 7.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kIconColour);
    painter.drawEllipse(QPointF(37, 20), 2, 2);
    return image;
}

QImage Artwork::library() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    for (const double x : {7.0, 26.0}) {
        for (const double y : {7.0, 26.0}) painter.drawRoundedRect(QRectF(x, y, 15, 15), 3, 3);
    }
    return image;
}

QImage Artwork::zoom() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter);
    painter.drawEllipse(QPointF(20, 20), 12, 12);
    painter.setPen(QPen(kIconColour, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(29, 29), QPointF(40, 40));
    return image;
}

QImage Artwork::camera() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter);
    painter.drawLine(QPointF(8, 41), QPointF(32, 41));    // base
    painter.drawLine(QPointF(15, 41), QPointF(15, 17));   // stand
    painter.drawLine(QPointF(15, 17), QPointF(30, 12));   // arm
    painter.drawRoundedRect(QRectF(27, 7, 12, 9), 2, 2);  // head
    painter.setPen(Qt::NoPen);
    painter.setBrush(kIconColour);
    painter.drawEllipse(QPointF(39, 33), 4, 4);  // where it is found: the address
    return image;
}

QImage Artwork::freeze() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    painter.translate(24, 24);
    // Six arms, each with a pair of short branches.
    for (int arm = 0; arm < 6; ++arm) {
        painter.drawLine(QPointF(0, 0), QPointF(0, -19));
        painter.drawLine(QPointF(0, -11), QPointF(-6, -16));
        painter.drawLine(QPointF(0, -11), QPointF(6, -16));
        painter.rotate(60);
    }
    return image;
}

QImage Artwork::mirror() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    // The axis, dashed, between a filled triangle and its outlined mirror image.
    painter.setPen(QPen(kIconColour, 2.5, Qt::DashLine, Qt::FlatCap));
    painter.drawLine(QPointF(24, 4), QPointF(24, 44));
    prepareLinePainter(painter, 3);
    const QPolygonF left{{19, 10}, {19, 38}, {5, 38}};
    painter.setBrush(kIconColour);
    painter.drawPolygon(left);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(QTransform(-1, 0, 0, 1, 48, 0).map(left));
    return image;
}

QImage Artwork::spotlight() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    // A dimmed page with one bright round spot on it, and the light's rays.
    painter.drawRoundedRect(QRectF(4, 8, 40, 32), 4, 4);
    painter.setBrush(kIconColour);
    painter.drawEllipse(QPointF(24, 24), 7, 7);
    painter.setBrush(Qt::NoBrush);
    for (int ray = 0; ray < 8; ++ray) {
        const double angle = ray * 3.14159265358979 / 4;
        painter.drawLine(QPointF(24 + 10.5 * std::cos(angle), 24 + 10.5 * std::sin(angle)),
                         QPointF(24 + 13.5 * std::cos(angle), 24 + 13.5 * std::sin(angle)));
    }
    return image;
}

QImage Artwork::pen() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    painter.translate(24, 24);
    painter.rotate(45);
    // A pencil lying from bottom-left to top-right: body, tip and the line it leaves.
    painter.drawRoundedRect(QRectF(-5, -20, 10, 28), 2, 2);
    painter.drawLine(QPointF(-5, -14), QPointF(5, -14));
    painter.drawPolygon(QPolygonF{{-5, 8}, {5, 8}, {0, 17}});
    return image;
}

QImage Artwork::highlighter() {
    QImage image = blankIcon();
    QPainter painter(&image);
    // A wide translucent band under a marker with a slanted tip.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(253, 216, 53, 170));
    painter.drawRect(QRectF(4, 34, 40, 10));
    prepareLinePainter(painter, 3);
    painter.translate(24, 22);
    painter.rotate(45);
    painter.drawRoundedRect(QRectF(-7, -20, 14, 22), 2, 2);
    painter.drawPolygon(QPolygonF{{-7, 2}, {7, 2}, {4, 12}, {-4, 9}});
    return image;
}

QImage Artwork::scan() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    // A page lying at a slant, its lines of text, and a filled handle on each corner.
    const QPolygonF page{{12, 7}, {38, 10}, {36, 41}, {9, 38}};
    painter.drawPolygon(page);
    painter.setPen(QPen(kIconColour, 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int line = 0; line < 3; ++line)
        painter.drawLine(QPointF(16, 17 + 7 * line), QPointF(31, 18.5 + 7 * line));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kIconColour);
    for (const QPointF &corner : page) painter.drawEllipse(corner, 4.5, 4.5);
    return image;
}

QImage Artwork::eraser() {
    QImage image = blankIcon();
    QPainter painter(&image);
    prepareLinePainter(painter, 3);
    painter.translate(24, 22);
    painter.rotate(-40);
    // A block with its rubber end filled, and the floor it wipes.
    const QRectF block(-16, -8, 32, 16);
    painter.drawRoundedRect(block, 3, 3);
    painter.setBrush(kIconColour);
    painter.drawRoundedRect(QRectF(-16, -8, 13, 16), 3, 3);
    painter.resetTransform();
    painter.drawLine(QPointF(8, 42), QPointF(42, 42));
    return image;
}

QImage Artwork::chevronDown() {
    QImage image = blankIcon(24);
    QPainter painter(&image);
    prepareLinePainter(painter, 2.5);
    painter.drawPolyline(QPolygonF{{6, 9}, {12, 15}, {18, 9}});
    return image;
}

QImage Artwork::checkMark() {
    QImage image = blankIcon(24);
    QPainter painter(&image);
    prepareLinePainter(painter, 2.5);
    painter.drawPolyline(QPolygonF{{5, 12.5}, {10, 17.5}, {19, 7}});
    return image;
}

QImage Artwork::appIcon(int side) {
    QImage image = blankIcon(side);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(side / kAppIconGrid, side / kAppIconGrid);
    drawAppIcon(painter);
    return image;
}

QByteArray Artwork::appIconSvg() {
    QBuffer svg;
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(QSize(int(kAppIconGrid), int(kAppIconGrid)));
    generator.setViewBox(QRectF(0, 0, kAppIconGrid, kAppIconGrid));
    generator.setTitle(QStringLiteral("deskcam"));
    QPainter painter(&generator);
    drawAppIcon(painter);
    painter.end();
    return svg.data();
}

std::vector<Artwork::Picture> Artwork::appIcons() {
    std::vector<Picture> icons;
    for (int side : {48, 128, 256})
        icons.push_back({QStringLiteral("appicon-%1.png").arg(side), appIcon(side)});
    return icons;
}
