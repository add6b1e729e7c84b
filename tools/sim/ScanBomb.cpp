#include "ScanBomb.h"

#include <QBuffer>
#include <QImageWriter>

namespace ScanBomb {

std::vector<std::uint8_t> progressiveJpeg(const QImage &picture, int quality) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(quality);
    writer.write(picture);
    const QByteArray &bytes = buffer.data();
    return {bytes.begin(), bytes.end()};
}

void appendEmptyScans(std::vector<std::uint8_t> &jpeg, std::size_t count) {
    // Start of scan, length 12, components 1 to 3 with table 0, spectral range 0..0: a DC scan again.
    constexpr std::uint8_t kScan[] = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00,
                                      0x02, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00};
    if (jpeg.size() < 2) return;
    const std::size_t end = jpeg.size() - 2;  // the end-of-image marker stays last
    jpeg.resize(jpeg.size() + count * sizeof kScan);
    std::copy_backward(jpeg.begin() + std::ptrdiff_t(end), jpeg.begin() + std::ptrdiff_t(end + 2),
                       jpeg.end());
    for (std::size_t i = 0; i < count; ++i)
        std::copy(std::begin(kScan), std::end(kScan), jpeg.begin() + std::ptrdiff_t(end + i * sizeof kScan));
}

std::vector<std::uint8_t> fromPicture(const std::vector<std::uint8_t> &jpeg, std::size_t count) {
    const QImage picture = QImage::fromData(jpeg.data(), int(jpeg.size()), "JPEG");
    std::vector<std::uint8_t> bomb = progressiveJpeg(picture);
    appendEmptyScans(bomb, count);
    return bomb;
}

}  // namespace ScanBomb
