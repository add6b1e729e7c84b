#include "TestCard.h"

#include <QBuffer>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QPainter>

namespace {

constexpr int kBarCount = 8;
constexpr std::uint64_t kSweepFrames = 50;

}  // namespace

std::vector<std::uint8_t> encodeJpeg(const QImage &image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", quality);
    return {bytes.begin(), bytes.end()};
}

TestCard::TestCard(Style style) : style_(style) {}

void TestCard::setSize(int width, int height) {
    std::lock_guard lock(mutex_);
    style_.width = width;
    style_.height = height;
}

std::vector<std::uint8_t> TestCard::picture(std::uint64_t frameNumber) {
    const QImage card = draw(frameNumber);
    std::lock_guard lock(mutex_);
    return encodeJpeg(card, style_.jpegQuality);
}

QImage TestCard::draw(std::uint64_t frameNumber) {
    QImage card;
    {
        std::lock_guard lock(mutex_);
        card = background(style_.width, style_.height).copy();
    }
    const int w = card.width();
    const int h = card.height();
    QPainter painter(&card);

    const int sweep =
        static_cast<int>((frameNumber % kSweepFrames) * static_cast<std::uint64_t>(w) / kSweepFrames);
    painter.fillRect(sweep, h * 3 / 4, std::max(4, w / 50), h / 8, Qt::white);

    QFont font("DejaVu Sans");
    font.setPixelSize(std::max(10, h / 12));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QRect textBox(0, h / 8, w, h / 2);
    painter.fillRect(QRect(w / 8, h / 8, w * 3 / 4, h / 2), QColor(0, 0, 0, 170));
    const QString text = QStringLiteral("%1x%2\nframe %3\n%4")
                             .arg(w)
                             .arg(h)
                             .arg(frameNumber)
                             .arg(QDateTime::currentDateTime().toString("HH:mm:ss.zzz"));
    painter.drawText(textBox, Qt::AlignCenter, text);
    return card;
}

QImage TestCard::background(int width, int height) {
    if (background_.width() == width && background_.height() == height) return background_;
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    static const QColor bars[kBarCount] = {Qt::white,   Qt::yellow, Qt::cyan, Qt::green,
                                           Qt::magenta, Qt::red,    Qt::blue, Qt::black};
    for (int i = 0; i < kBarCount; ++i) {
        const int x0 = i * width / kBarCount;
        const int x1 = (i + 1) * width / kBarCount;
        painter.fillRect(x0, 0, x1 - x0, height, bars[i]);
    }
    painter.setPen(QColor(128, 128, 128));
    const int step = std::max(8, height / 12);
    for (int x = 0; x < width; x += step) painter.drawLine(x, 0, x, height);
    for (int y = 0; y < height; y += step) painter.drawLine(0, y, width, y);
    painter.end();
    background_ = image;
    return background_;
}
