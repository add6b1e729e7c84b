#include "device/DecodedPictures.h"

#include "TestCard.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

DecodedPictures::Bytes cardPicture(std::uint64_t number) {
    TestCard card({640, 360, 85});
    return std::make_shared<const std::vector<std::uint8_t>>(card.picture(number));
}

// The view and the recorder asking for one picture at one scale, at the same moment: one decode, one
// picture; another scale or other bytes are decoded of their own.
TEST(DecodedPictures, APictureNeededTwiceAtOneScaleIsDecodedOnce) {
    DecodedPictures cache;
    const auto bytes = cardPicture(1);
    DecodedPictures::Picture first, second;
    std::thread view([&] { first = cache.decode(bytes, 2, JpegDecoder::Mode::Exact); });
    std::thread recorder([&] { second = cache.decode(bytes, 2, JpegDecoder::Mode::Fast); });
    view.join();
    recorder.join();
    EXPECT_EQ(cache.decodes(), 1u);
    EXPECT_EQ(first.picture.constBits(), second.picture.constBits());
    EXPECT_EQ(first.picture.size(), QSize(320, 180));
    EXPECT_EQ(first.fullSize, QSize(640, 360));

    EXPECT_EQ(cache.decode(bytes, 1, JpegDecoder::Mode::Exact).picture.size(), QSize(640, 360));
    EXPECT_EQ(cache.decodes(), 2u);
    // Equal bytes in another buffer are another picture of the camera's.
    const auto copy = std::make_shared<const std::vector<std::uint8_t>>(*bytes);
    cache.decode(copy, 2, JpegDecoder::Mode::Exact);
    EXPECT_EQ(cache.decodes(), 3u);
    // Only the newest are kept.
    cache.decode(bytes, 2, JpegDecoder::Mode::Exact);
    EXPECT_EQ(cache.decodes(), 4u);
}

TEST(DecodedPictures, BytesThatAreNoPictureGiveANullPicture) {
    DecodedPictures cache;
    const auto junk =
        std::make_shared<const std::vector<std::uint8_t>>(std::vector<std::uint8_t>{0xFF, 0xD8, 1});
    EXPECT_TRUE(cache.decode(junk, 1, JpegDecoder::Mode::Exact).picture.isNull());
    EXPECT_TRUE(cache.decode(nullptr, 1, JpegDecoder::Mode::Exact).picture.isNull());
}

}  // namespace
