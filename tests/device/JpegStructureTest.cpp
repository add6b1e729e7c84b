#include "device/JpegStructure.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> encoded(bool progressive) {
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(picture);
    const QByteArray bytes = buffer.data();
    return {bytes.begin(), bytes.end()};
}

// A start-of-scan segment for the three colour components, with no entropy-coded data after it.
void appendEmptyScans(std::vector<std::uint8_t> &jpeg, std::size_t count) {
    const std::uint8_t scan[] = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00,
                                 0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
    jpeg.resize(jpeg.size() - 2);  // before the end-of-image marker
    for (std::size_t i = 0; i < count; ++i) jpeg.insert(jpeg.end(), std::begin(scan), std::end(scan));
    jpeg.push_back(0xFF);
    jpeg.push_back(0xD9);
}

TEST(JpegStructure, CountsTheScansOfRealAndHostilePictures) {
    const auto baseline = encoded(false);
    const auto progressive = encoded(true);
    auto bomb = progressive;
    appendEmptyScans(bomb, 5000);
    const std::vector<std::uint8_t> truncated(progressive.begin(),
                                              progressive.begin() + progressive.size() / 2);
    const std::vector<std::uint8_t> noJpeg = {'P', 'N', 'G', 0xFF, 0xDA};

    struct Case {
        const char *name;
        const std::vector<std::uint8_t> &bytes;
        std::size_t limit;
        std::size_t scans;
    };
    const Case cases[] = {
        {"a baseline picture has one scan", baseline, 100, 1},
        {"libjpeg's progressive script writes ten", progressive, 100, 10},
        {"appended empty scans all count", bomb, 10000, 5010},
        {"counting stops just past the limit", bomb, 100, 101},
        {"bytes that are no JPEG have none", noJpeg, 100, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(JpegStructure::countScans(c.bytes.data(), c.bytes.size(), c.limit), c.scans) << c.name;
    // A truncated picture counts the scans that arrived.
    EXPECT_GE(JpegStructure::countScans(truncated.data(), truncated.size(), 100), 1u);
    EXPECT_LT(JpegStructure::countScans(truncated.data(), truncated.size(), 100), 10u);
}

}  // namespace
