#include "device/JpegStructure.h"

#include "ScanBomb.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> encoded(bool progressive) {
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) % 256));
    if (progressive) return ScanBomb::progressiveJpeg(picture);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG");
    const QByteArray &bytes = buffer.data();
    return {bytes.begin(), bytes.end()};
}

TEST(JpegStructure, CountsTheScansOfRealAndHostilePictures) {
    const auto baseline = encoded(false);
    const auto progressive = encoded(true);
    auto bomb = progressive;
    ScanBomb::appendEmptyScans(bomb, 5000);
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
