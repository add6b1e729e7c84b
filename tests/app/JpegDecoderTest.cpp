#include "device/JpegDecoder.h"

#include "PagePicture.h"
#include "ScanBomb.h"
#include "TestCard.h"

#include <QBuffer>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <utility>

namespace {

QImage decodedByQt(const std::vector<std::uint8_t> &jpeg) {
    QImage picture;
    JpegDecoder::decodeWithQt(jpeg.data(), jpeg.size(), picture);
    return picture;
}

// Rewrites the size in a baseline JPEG's frame header.
std::vector<std::uint8_t> withDeclaredSize(std::vector<std::uint8_t> jpeg, int width, int height) {
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = std::uint8_t(height >> 8), jpeg[i + 6] = std::uint8_t(height);
            jpeg[i + 7] = std::uint8_t(width >> 8), jpeg[i + 8] = std::uint8_t(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

// A progressive 1920x1080 picture of noise (as a camera sees paper) followed by count empty scans before its
// end: each makes libjpeg walk every block of the picture again.
std::vector<std::uint8_t> scanBomb(std::size_t count, std::size_t keepBytes = SIZE_MAX) {
    QImage picture(1920, 1080, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < picture.height(); ++y) {
        auto *row = reinterpret_cast<quint32 *>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            row[x] = 0xFF000000u | (random.generate() & 0x3F3F3Fu) | 0xC0C0C0u;
    }
    std::vector<std::uint8_t> jpeg = ScanBomb::progressiveJpeg(picture);
    ScanBomb::appendEmptyScans(jpeg, count);
    if (keepBytes < jpeg.size()) jpeg.resize(keepBytes);
    return jpeg;
}

double secondsToDecode(const std::vector<std::uint8_t> &jpeg, bool direct, std::chrono::milliseconds budget) {
    QImage picture;
    const auto start = std::chrono::steady_clock::now();
    if (direct)
        JpegDecoder::decodeDirect(jpeg.data(), jpeg.size(), picture, JpegDecoder::Mode::Exact, budget);
    else
        JpegDecoder::decodeInto(jpeg.data(), jpeg.size(), picture);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Unbounded, each of these held one core for 20 s or more; bounded, each returns within its budget. The
// limits are generous for a loaded machine and still far below what the faults cost.
TEST(JpegDecoderBounds, HostilePicturesReturnWithinTheirBudget) {
    using namespace std::chrono_literals;
    const auto bomb = scanBomb(100000);
    EXPECT_LT(secondsToDecode(bomb, false, JpegDecoder::kDecodeBudget), 0.5) << "refused from its scan count";
    EXPECT_LT(secondsToDecode(bomb, true, 50ms), 0.5 + 0.05) << "a decode past its budget is abandoned";
    const auto truncated = scanBomb(0, 200 * 1024);
    EXPECT_LT(secondsToDecode(truncated, false, JpegDecoder::kDecodeBudget), 1.0 + 0.5);

    QImage picture;
    EXPECT_FALSE(JpegDecoder::decodeInto(bomb.data(), bomb.size(), picture));
    const auto fine = scanBomb(JpegDecoder::kMaxScans - 20);
    EXPECT_TRUE(JpegDecoder::decodeInto(fine.data(), fine.size(), picture))
        << "a few extra scans are still a picture";
    EXPECT_EQ(picture.size(), QSize(1920, 1080));
}

class JpegDecoderTest : public testing::Test {
  protected:
    TestCard card{{320, 240, 85}};
    std::vector<std::uint8_t> frame = card.picture(7);
};

TEST_F(JpegDecoderTest, CameraPicturesTakeTheDirectPathWithQtsPixels) {
    QImage picture;
    ASSERT_TRUE(JpegDecoder::decodeDirect(frame.data(), frame.size(), picture));
    const QImage reference = decodedByQt(frame);
    EXPECT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(picture, reference);
    EXPECT_EQ(picture.dotsPerMeterX(), reference.dotsPerMeterX());
}

// The mean absolute difference per channel between two pictures of one size.
double meanDifference(const QImage &a, const QImage &b) {
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

// A camera's picture decoded at each DCT scale, by either path, looks like the full picture scaled down; an
// odd size rounds its sides up as libjpeg does.
TEST(JpegDecoderScales, EachScaleMatchesTheFullPictureScaledDown) {
    PagePicture card({1001, 601, 85});
    const auto jpeg = card.picture(3);
    const QImage full = decodedByQt(jpeg);
    for (const int scale : JpegDecoder::kScales) {
        SCOPED_TRACE(scale);
        const QSize expected(JpegDecoder::scaledSide(1001, scale), JpegDecoder::scaledSide(601, scale));
        const QImage reference = full.scaled(expected, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QImage direct, viaQt;
        ASSERT_TRUE(JpegDecoder::decodeDirect(jpeg.data(), jpeg.size(), direct, JpegDecoder::Mode::Exact,
                                              JpegDecoder::kDecodeBudget, scale));
        ASSERT_TRUE(
            JpegDecoder::decodeWithQt(jpeg.data(), jpeg.size(), viaQt, JpegDecoder::Mode::Exact, scale));
        EXPECT_EQ(direct.size(), expected);
        EXPECT_EQ(viaQt.size(), expected);
        EXPECT_LT(meanDifference(direct, reference), 4.0);
        EXPECT_LT(meanDifference(viaQt.convertToFormat(QImage::Format_RGB32), reference), 4.0);
    }
    QImage picture;
    ASSERT_TRUE(JpegDecoder::decodeInto(jpeg.data(), jpeg.size(), picture, JpegDecoder::Mode::Exact, 3));
    EXPECT_EQ(picture.size(), full.size()) << "a scale libjpeg does not offer decodes the full picture";
}

TEST(JpegDecoderScales, TheScaleIsTheSmallestPictureNotBelowTheShownSize) {
    const std::vector<std::pair<double, int>> cases{{1.0, 1},  {2.0, 1}, {0.51, 1},  {0.5, 2},  {0.3, 2},
                                                    {0.25, 4}, {0.2, 4}, {0.125, 8}, {0.01, 8}, {0, 1}};
    for (const auto &[shown, scale] : cases) EXPECT_EQ(JpegDecoder::scaleFor(shown), scale) << shown;
}

TEST_F(JpegDecoderTest, ReusesOnlyPixelsNobodyElseHolds) {
    QImage picture;
    ASSERT_TRUE(JpegDecoder::decodeInto(frame.data(), frame.size(), picture));
    const uchar *pixels = picture.constBits();
    const auto next = card.picture(8);
    ASSERT_TRUE(JpegDecoder::decodeInto(next.data(), next.size(), picture));
    EXPECT_EQ(picture.constBits(), pixels);

    // A still being saved holds the picture: it keeps its pixels while the next one decodes.
    const QImage held = picture;
    const QImage heldCopy = picture.copy();
    ASSERT_TRUE(JpegDecoder::decodeInto(frame.data(), frame.size(), picture));
    EXPECT_EQ(held, heldCopy);
    EXPECT_NE(picture, held);
    EXPECT_EQ(picture, decodedByQt(frame));
}

TEST_F(JpegDecoderTest, PicturesWithPropertiesGoToQtAndKeepThem) {
    QImage grey(64, 48, QImage::Format_Grayscale8);
    grey.fill(128);
    const auto greyJpeg = encodeJpeg(grey, 90);
    QImage described = card.draw(1);
    described.setText(QStringLiteral("Description"), QStringLiteral("lesson 4"));
    const auto describedJpeg = encodeJpeg(described, 90);

    for (const auto *jpeg : {&greyJpeg, &describedJpeg}) {
        QImage picture;
        EXPECT_FALSE(JpegDecoder::decodeDirect(jpeg->data(), jpeg->size(), picture));
        ASSERT_TRUE(JpegDecoder::decodeInto(jpeg->data(), jpeg->size(), picture));
        const QImage reference = decodedByQt(*jpeg);
        EXPECT_EQ(picture.format(), reference.format());
        EXPECT_EQ(picture.text(), reference.text());
        EXPECT_EQ(picture, reference);
    }
}

TEST_F(JpegDecoderTest, BadBytesAreNoPictureAndATruncatedOneKeepsWhatArrived) {
    QImage picture;
    const std::vector<std::uint8_t> garbage(4096, 0x5A);
    EXPECT_FALSE(JpegDecoder::decodeInto(garbage.data(), garbage.size(), picture));
    EXPECT_FALSE(JpegDecoder::decodeInto(frame.data(), 0, picture));
    EXPECT_FALSE(JpegDecoder::decodeInto(nullptr, 0, picture));
    // A broken header after a valid start.
    std::vector<std::uint8_t> broken(frame.begin(), frame.begin() + 30);
    EXPECT_FALSE(JpegDecoder::decodeInto(broken.data(), broken.size(), picture));

    // Cut in half: the top rows decode as in the whole picture, as with Qt's reader.
    const QImage whole = decodedByQt(frame);
    ASSERT_TRUE(JpegDecoder::decodeInto(frame.data(), frame.size() / 2, picture));
    ASSERT_EQ(picture.size(), whole.size());
    EXPECT_EQ(picture.copy(0, 0, 320, 16), whole.copy(0, 0, 320, 16));
    EXPECT_EQ(picture, decodedByQt({frame.begin(), frame.begin() + std::ptrdiff_t(frame.size() / 2)}));
}

// Qt's reader used to take any format it knows from the camera's bytes; a PNG with a damaged chunk (the
// library_picture fuzz target's png_chunk_longer_than_file.png) then held the GUI thread for seconds.
TEST_F(JpegDecoderTest, CameraBytesInAnotherFormatAreNoPicture) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(decodedByQt(frame).save(&buffer, "PNG"));
    QImage picture;
    EXPECT_FALSE(JpegDecoder::decodeInto(reinterpret_cast<const std::uint8_t *>(png.constData()),
                                         static_cast<std::size_t>(png.size()), picture));
}

TEST_F(JpegDecoderTest, AHeaderClaimingAHugePictureAllocatesNothing) {
    const auto huge = withDeclaredSize(frame, 60000, 60000);
    QImage picture;
    EXPECT_FALSE(JpegDecoder::decodeDirect(huge.data(), huge.size(), picture));
    EXPECT_FALSE(JpegDecoder::decodeInto(huge.data(), huge.size(), picture));
    EXPECT_TRUE(picture.isNull() || picture.sizeInBytes() <= 128LL * 1024 * 1024);
}

}  // namespace
