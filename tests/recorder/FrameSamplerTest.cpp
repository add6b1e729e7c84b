#include "recorder/FrameSampler.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

namespace {

// A picture with fine colour detail, where the decoder's transform and chroma upsampling show.
FrameSampler::FrameBytes jpeg(int seed) {
    QImage picture(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y,
                             qRgb((x * 37 + seed) % 256, (y * 53 + x * 7) % 256, (x * y + seed * 11) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 85);
    return std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
}

QImage decodedByQtBelowQuality50(const FrameSampler::FrameBytes &bytes) {
    QBuffer buffer;
    buffer.setData(QByteArray(reinterpret_cast<const char *>(bytes->data()), qsizetype(bytes->size())));
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "JPG");
    reader.setQuality(49);
    return reader.read().convertToFormat(QImage::Format_RGB32);
}

TEST(FrameSampler, DecodesEachNewPictureOnceAsQtsFastReaderDoes) {
    FrameSampler sampler;
    FrameSampler::FrameBytes current = jpeg(1);
    sampler.setFrameSource([&] { return current; });
    sampler.start(0);
    const QImage first = sampler.sample(10);
    ASSERT_EQ(first.format(), QImage::Format_RGB32);
    EXPECT_EQ(first, decodedByQtBelowQuality50(current));
    sampler.sample(20);  // the same buffer: the same picture
    EXPECT_EQ(sampler.decodes(), 1u);
    current = jpeg(2);
    EXPECT_EQ(sampler.sample(30), decodedByQtBelowQuality50(current));
    EXPECT_EQ(sampler.decodes(), 2u);
}

// A 4K camera for a 1080p track is decoded at half size, never whole; a track no smaller than the camera
// gets the full picture.
TEST(FrameSampler, DecodesAtTheScaleNearestAboveTheTrack) {
    QImage large(3840, 2160, QImage::Format_RGB32);
    large.fill(Qt::darkGreen);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    large.save(&buffer, "JPG", 85);
    const auto bytes = std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
    const std::vector<std::pair<QSize, QSize>> cases{
        {{1920, 1080}, {1920, 1080}}, {{1280, 720}, {1920, 1080}},  {{1000, 500}, {1920, 1080}},
        {{960, 540}, {960, 540}},     {{3840, 2160}, {3840, 2160}}, {{}, {3840, 2160}}};
    for (const auto &[track, decoded] : cases) {
        SCOPED_TRACE(testing::Message() << track.width() << "x" << track.height());
        FrameSampler sampler;
        sampler.setOutputSize(track);
        sampler.setFrameSource([&] { return bytes; });
        EXPECT_EQ(sampler.sample(0).size(), decoded);
    }
}

TEST(FrameSampler, NoPictureGivesANullBuffer) {
    const std::vector<std::uint8_t> garbage = {0xFF, 0xD8, 0x00, 0x01, 0x02};
    const std::vector<std::pair<const char *, FrameSampler::FrameBytes>> cases = {
        {"no bytes", nullptr},
        {"empty bytes", std::make_shared<const std::vector<std::uint8_t>>()},
        {"no picture", std::make_shared<const std::vector<std::uint8_t>>(garbage)},
    };
    for (const auto &[name, bytes] : cases) {
        SCOPED_TRACE(name);
        FrameSampler sampler;
        sampler.setFrameSource([bytes = bytes] { return bytes; });
        EXPECT_TRUE(sampler.sample(0).isNull());
    }
    FrameSampler withoutSource;
    withoutSource.setFrameSource(nullptr);
    EXPECT_TRUE(withoutSource.sample(0).isNull());
}

TEST(FrameSampler, BytesThatAreNoPictureReplaceTheLastPicture) {
    FrameSampler sampler;
    FrameSampler::FrameBytes current = jpeg(1);
    sampler.setFrameSource([&] { return current; });
    ASSERT_FALSE(sampler.sample(0).isNull());
    current = std::make_shared<const std::vector<std::uint8_t>>(std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_TRUE(sampler.sample(1).isNull());
}

TEST(FrameSampler, TheTransformMakesTheFrameFromEveryTicksPicture) {
    FrameSampler sampler;
    const auto bytes = jpeg(3);
    sampler.setFrameSource([&] { return bytes; });
    int transforms = 0;
    sampler.setPictureTransform([&](const QImage &picture) {
        ++transforms;
        return picture.mirrored(true, false).convertToFormat(QImage::Format_ARGB32);
    });
    const QImage frame = sampler.sample(0);
    EXPECT_EQ(frame.format(), QImage::Format_RGB32);
    EXPECT_EQ(frame.pixel(0, 0), decodedByQtBelowQuality50(bytes).pixel(95, 0));
    sampler.sample(1);
    EXPECT_EQ(transforms, 2);
    EXPECT_EQ(sampler.decodes(), 1u);
}

TEST(FrameSampler, ASpellWithoutANewPictureStartsAtTheLastOneAndEndsAtTheNext) {
    FrameSampler sampler;
    FrameSampler::FrameBytes current = jpeg(1);
    sampler.setFrameSource([&] { return current; });
    EXPECT_TRUE(sampler.silences().empty());
    sampler.start(0);
    sampler.sample(1'000'000);
    sampler.sample(4'000'000);  // 3 s: not yet
    EXPECT_TRUE(sampler.silences().empty());
    sampler.sample(4'000'001);
    ASSERT_EQ(sampler.silences().size(), 1u);
    EXPECT_EQ(sampler.silences()[0].startMicros, 1'000'000);
    EXPECT_FALSE(sampler.silences()[0].endMicros);
    current = jpeg(2);
    sampler.sample(6'000'000);
    EXPECT_EQ(sampler.silences()[0].endMicros, 6'000'000);
}

}  // namespace
