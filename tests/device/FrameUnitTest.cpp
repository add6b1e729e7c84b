#include "device/FrameUnit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A unit as the framing delivers it: header with length bytes 4..7, picture, end marker.
Bytes unit(std::array<std::uint8_t, 4> lengthBytes, const Bytes &picture, bool endMarker = true) {
    static constexpr char kEndMarker[] = "BoundaryE";
    // Sized up front: g++ 12 at -O2 warns falsely about inserting into a freshly made vector.
    Bytes bytes(32 + picture.size() + (endMarker ? 9 : 0), 0xAA);
    std::copy(lengthBytes.begin(), lengthBytes.end(), bytes.begin() + 4);
    std::copy(picture.begin(), picture.end(), bytes.begin() + 32);
    if (endMarker)
        std::copy(kEndMarker, kEndMarker + 9,
                  bytes.begin() + 32 + static_cast<std::ptrdiff_t>(picture.size()));
    return bytes;
}

Bytes sequence(std::size_t length) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return bytes;
}

TEST(FrameUnit, ReadsTheLengthLittleEndianAndRejectsATopByte) {
    EXPECT_EQ(FrameUnit::decode(unit({0x10, 0, 0, 0}, sequence(16))).length, 16u);
    const FrameUnit big = FrameUnit::decode(unit({0, 0x01, 0, 0}, sequence(256)));
    EXPECT_EQ(big.status, FrameUnit::Status::Picture);
    EXPECT_EQ(big.length, 256u);

    const FrameUnit rejected = FrameUnit::decode(unit({0, 0, 0, 0x01}, sequence(16)));
    EXPECT_EQ(rejected.status, FrameUnit::Status::BadLength);
}

TEST(FrameUnit, ShortUnitsAreIgnoredAndAnEmptyPictureIsAPicture) {
    EXPECT_EQ(FrameUnit::decode(Bytes(31, 0)).status, FrameUnit::Status::TooShort);
    const FrameUnit empty = FrameUnit::decode(Bytes(32, 0));
    EXPECT_EQ(empty.status, FrameUnit::Status::Picture);
    EXPECT_EQ(empty.length, 0u);
    EXPECT_TRUE(empty.picture.empty());
}

TEST(FrameUnit, AUnitStartingWithTheMarkerAndAZeroHasItsHeaderAfterTheMarker) {
    const std::string marker = "BoundaryS";
    Bytes marked(marker.begin(), marker.end());
    Bytes body = unit({3, 0, 0, 0}, {1, 2, 3});
    body[0] = 0;  // the zero after the marker is the header's first byte
    marked.insert(marked.end(), body.begin(), body.end());
    const FrameUnit frame = FrameUnit::decode(marked);
    ASSERT_EQ(frame.status, FrameUnit::Status::Picture);
    EXPECT_EQ(Bytes(frame.picture.begin(), frame.picture.end()), (Bytes{1, 2, 3}));

    // Marker, zero and too few bytes for a header after it: ignored, never read past the end.
    Bytes cut(marked.begin(), marked.begin() + 38);
    EXPECT_EQ(FrameUnit::decode(cut).status, FrameUnit::Status::TooShort);
}

TEST(FrameUnit, APictureLongerThanTheDeliveredBytesIsTruncatedAndBytesAfterItAreIgnored) {
    const FrameUnit truncated = FrameUnit::decode(unit({100, 0, 0, 0}, sequence(50), false));
    EXPECT_EQ(truncated.status, FrameUnit::Status::Truncated);
    EXPECT_EQ(truncated.length, 100u);

    const Bytes withTrailer = unit({4, 0, 0, 0}, sequence(20));
    const FrameUnit frame = FrameUnit::decode(withTrailer);
    ASSERT_EQ(frame.status, FrameUnit::Status::Picture);
    EXPECT_EQ(Bytes(frame.picture.begin(), frame.picture.end()), Bytes(sequence(4)));
}

TEST(FrameUnit, RestoreComplementsOnlyTheMiddleByte) {
    for (std::size_t n : {1u, 10u, 11u}) {
        const Bytes original = sequence(n);
        Bytes picture = original;
        FrameUnit::restore(picture);
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t expected = i == n / 2 ? static_cast<std::uint8_t>(~original[i]) : original[i];
            EXPECT_EQ(picture[i], expected) << "n=" << n << " i=" << i;
        }
    }
    Bytes none;
    FrameUnit::restore(none);  // nothing to do, nothing touched
}

}  // namespace
