#include "device/CommandCodec.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Outcome = CommandCodec::ResolutionListReply::Outcome;

Bytes listReplyHead(std::uint16_t count) {
    return {'R',
            'E',
            'T',
            'C',
            'M',
            'D',
            0,
            0,
            0,
            0,
            0x09,
            0,
            0,
            0,
            static_cast<std::uint8_t>(count >> 8),
            static_cast<std::uint8_t>(count)};
}

// The camera's answer listing 1920 x 1080 and 1280 x 720.
Bytes exampleListReply() {
    Bytes reply = listReplyHead(2);
    for (std::uint8_t byte : {0x80, 0x07, 0x38, 0x04, 0x19, 0x00, 0x05, 0xD0, 0x02, 0x19})
        reply.push_back(byte);
    return reply;
}

TEST(CommandCodec, RequestsHaveTheCameraLayout) {
    EXPECT_EQ(CommandCodec::getResolutionRequest(0x5A),
              (Bytes{'S', 'E', 'T', 'C', 'M', 'D', 0x5A, 0, 0, 0, 0x09, 0, 0, 0}));

    auto request = CommandCodec::setResolutionTemplate();
    EXPECT_EQ(Bytes(request.begin(), request.end()),
              (Bytes{'S', 'E', 'T', 'C', 'M', 'D', 8, 0, 0, 0, 8, 0, 5, 0, 0, 0, 0, 0, 0x19, 0}));
    STRUCT_RESOLUTION chosen;
    chosen.raw = {0x80, 0x07, 0x38, 0x04};
    CommandCodec::chooseResolution(request, chosen);
    EXPECT_EQ(Bytes(request.begin() + 14, request.begin() + 18), (Bytes{0x80, 0x07, 0x38, 0x04}));
    EXPECT_EQ(request[18], 0x19);
}

TEST(CommandCodec, ClassifiesRepliesByHeadAndCommandByte) {
    using Kind = CommandCodec::ReplyKind;
    Bytes reply = exampleListReply();
    EXPECT_EQ(CommandCodec::classifyReply(reply), Kind::ResolutionList);
    reply[10] = 8;
    EXPECT_EQ(CommandCodec::classifyReply(reply), Kind::SetResolution);
    reply[10] = 7;
    EXPECT_EQ(CommandCodec::classifyReply(reply), Kind::Ignored);
    reply[10] = 9;
    reply[0] = 'S';
    EXPECT_EQ(CommandCodec::classifyReply(reply), Kind::Ignored) << "a request echoed back is no reply";

    // Too short to hold the command byte: ignored, and byte 10 is never read.
    const Bytes example = exampleListReply();
    const Bytes tenBytes(example.begin(), example.begin() + 10);
    EXPECT_EQ(CommandCodec::classifyReply(tenBytes), Kind::Ignored);
    EXPECT_EQ(CommandCodec::classifyReply({}), Kind::Ignored);
    const Bytes elevenBytes(example.begin(), example.begin() + 11);
    EXPECT_EQ(CommandCodec::classifyReply(elevenBytes), Kind::ResolutionList);
}

TEST(CommandCodec, SetReplySucceedsOnlyOnTheExactFifteenBytes) {
    const auto &success = CommandCodec::command_return_set_resolution;
    Bytes reply(success.begin(), success.end());
    EXPECT_TRUE(CommandCodec::isSetResolutionSuccess(reply));
    reply.insert(reply.end(), {1, 2, 3, 4, 5});
    EXPECT_TRUE(CommandCodec::isSetResolutionSuccess(reply)) << "bytes after the first 15 do not count";
    reply[12] = 0x02;
    EXPECT_FALSE(CommandCodec::isSetResolutionSuccess(reply));
    EXPECT_FALSE(CommandCodec::isSetResolutionSuccess(Bytes(success.begin(), success.begin() + 14)));
}

TEST(CommandCodec, ParsesTheListInOrderWithoutRepeats) {
    auto reply = CommandCodec::parseResolutionList(exampleListReply());
    ASSERT_EQ(reply.outcome, Outcome::Parsed);
    ASSERT_EQ(reply.resolutions.size(), 2u);
    EXPECT_EQ(reply.resolutions[0].width, 1920u);
    EXPECT_EQ(reply.resolutions[0].height, 1080u);
    EXPECT_EQ(reply.resolutions[1].width, 1280u);
    EXPECT_EQ(reply.resolutions[1].height, 720u);
    EXPECT_EQ(reply.resolutions[1].raw, (std::array<std::uint8_t, 10>{0x00, 0x05, 0xD0, 0x02}));

    // Same width and height twice: the first keeps its place. A different byte 4 does not make it new.
    Bytes repeated = listReplyHead(3);
    repeated.insert(repeated.end(), {0x80, 0x07, 0x38, 0x04, 0x19, 0x80, 0x02, 0xE0, 0x01, 0x19, 0x80, 0x07,
                                     0x38, 0x04, 0x77});
    reply = CommandCodec::parseResolutionList(repeated);
    ASSERT_EQ(reply.resolutions.size(), 2u);
    EXPECT_EQ(reply.resolutions[0].width, 1920u);
    EXPECT_EQ(reply.resolutions[1].width, 640u);

    // Same width, other height: a different resolution.
    Bytes sameWidth = listReplyHead(2);
    sameWidth.insert(sameWidth.end(), {0x80, 0x07, 0x38, 0x04, 0x19, 0x80, 0x07, 0xB0, 0x04, 0x19});
    EXPECT_EQ(CommandCodec::parseResolutionList(sameWidth).resolutions.size(), 2u);
}

TEST(CommandCodec, ListLengthMustMatchTheRecordCount) {
    Bytes reply = exampleListReply();
    reply.pop_back();
    auto parsed = CommandCodec::parseResolutionList(reply);
    EXPECT_EQ(parsed.outcome, Outcome::WrongLength);
    EXPECT_EQ(parsed.recordBytes, 9u);
    EXPECT_TRUE(parsed.resolutions.empty());

    parsed = CommandCodec::parseResolutionList(listReplyHead(0));
    EXPECT_EQ(parsed.outcome, Outcome::Parsed);
    EXPECT_TRUE(parsed.resolutions.empty());

    // Too short for the record count: no count is read.
    for (std::size_t length = 0; length < 16; ++length) {
        const Bytes shortReply(reply.begin(), reply.begin() + static_cast<long>(length));
        EXPECT_EQ(CommandCodec::parseResolutionList(shortReply).outcome, Outcome::TooShort) << length;
    }

    // The count is big-endian: 01 00 is 256 records.
    Bytes many = listReplyHead(256);
    for (int i = 0; i < 256; ++i)
        many.insert(many.end(), {static_cast<std::uint8_t>(i), 0x01, 0x10, 0x00, 0x19});
    EXPECT_EQ(CommandCodec::parseResolutionList(many).resolutions.size(), 256u);
}

// Feeds random datagrams and mutated valid replies, each in a heap block of exactly its length so that the
// sanitizer build catches any read past the end, and checks what a parse may claim.
TEST(CommandCodec, SurvivesRandomAndMutatedDatagrams) {
    std::mt19937 random(20261207);
    auto byte = [&] { return static_cast<std::uint8_t>(random()); };
    const Bytes seeds[] = {exampleListReply(), listReplyHead(0),
                           Bytes(CommandCodec::command_return_set_resolution.begin(),
                                 CommandCodec::command_return_set_resolution.end())};

    for (int round = 0; round < 20000; ++round) {
        Bytes datagram;
        if (round % 2 == 0) {
            datagram.resize(random() % 64);
            for (auto &b : datagram) b = byte();
            if (datagram.size() >= 11 && random() % 2) {
                std::copy_n("RETCMD", 6, datagram.begin());
                datagram[10] = random() % 2 ? 8 : 9;
            }
        } else {
            datagram = seeds[random() % 3];
            const int edits = 1 + static_cast<int>(random() % 4);
            for (int edit = 0; edit < edits; ++edit) {
                switch (random() % 3) {
                    case 0:
                        if (!datagram.empty()) datagram[random() % datagram.size()] = byte();
                        break;
                    case 1:
                        datagram.resize(random() % (datagram.size() + 1));
                        break;
                    default:
                        datagram.insert(datagram.end(), random() % 12, byte());
                        break;
                }
            }
        }
        const auto exact = std::make_unique<std::uint8_t[]>(datagram.size());
        std::copy(datagram.begin(), datagram.end(), exact.get());
        const CommandCodec::Bytes view(exact.get(), datagram.size());

        (void)CommandCodec::classifyReply(view);
        (void)CommandCodec::isSetResolutionSuccess(view);
        const auto parsed = CommandCodec::parseResolutionList(view);
        if (parsed.outcome != Outcome::Parsed) {
            EXPECT_TRUE(parsed.resolutions.empty());
            continue;
        }
        const std::size_t count = (datagram[14] << 8) | datagram[15];
        ASSERT_EQ(datagram.size(), 16 + 5 * count);
        ASSERT_LE(parsed.resolutions.size(), count);
        std::set<std::pair<std::uint64_t, std::uint64_t>> sizes;
        for (const auto &resolution : parsed.resolutions) {
            EXPECT_LE(resolution.width, 65535u);
            EXPECT_TRUE(sizes.insert({resolution.width, resolution.height}).second);
        }
    }
}

}  // namespace
