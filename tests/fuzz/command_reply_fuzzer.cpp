// Fuzz target: one datagram from the command port, through the reply classifier and parser and through the
// command channel's dispatch. Each result is checked against the reply layout written out afresh here, so
// a parser that reads the wrong bytes fails as surely as one that reads past the datagram.

#include "device/CommandCodec.h"
#include "device/CommandUDPSocket.h"
#include "dispatch/MainQueue.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Counts the delegate calls of one reply.
struct CountingDelegate : CommandUDPSocketDelegate {
    int clears = 0;
    int fills = 0;
    void ClearResolution() override { ++clears; }
    void fillResolution() override { ++fills; }
};

bool isReply(const std::uint8_t *data, std::size_t size) {
    return size >= 11 && std::memcmp(data, "RETCMD", 6) == 0;
}

// The list a valid list reply must give: records in order, the first of each width and height kept.
std::vector<STRUCT_RESOLUTION> expectedList(const std::uint8_t *data, std::size_t count) {
    std::vector<STRUCT_RESOLUTION> list;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t *record = data + 16 + 5 * i;
        STRUCT_RESOLUTION resolution;
        resolution.width = record[0] | record[1] << 8;
        resolution.height = record[2] | record[3] << 8;
        std::memcpy(resolution.raw.data(), record, 4);
        const bool repeated = std::any_of(list.begin(), list.end(), [&](const STRUCT_RESOLUTION &seen) {
            return seen.width == resolution.width && seen.height == resolution.height;
        });
        if (!repeated) list.push_back(resolution);
    }
    return list;
}

bool sameList(const std::vector<STRUCT_RESOLUTION> &a, const std::vector<STRUCT_RESOLUTION> &b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.width == y.width && x.height == y.height && x.raw == y.raw;
    });
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    dispatch::useSerialMainQueue();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace CommandCodec;
    // A copy of exactly the datagram's length, so that any read past it is caught.
    const std::vector<std::uint8_t> datagram(data, data + size);
    const Bytes bytes(datagram);

    const ReplyKind kind = classifyReply(bytes);
    const bool reply = isReply(data, size);
    check(kind == (!reply          ? ReplyKind::Ignored
                   : data[10] == 8 ? ReplyKind::SetResolution
                   : data[10] == 9 ? ReplyKind::ResolutionList
                                   : ReplyKind::Ignored));
    check(isSetResolutionSuccess(bytes) ==
          (size >= 15 && std::memcmp(data, command_return_set_resolution.data(), 15) == 0));

    const ResolutionListReply list = parseResolutionList(bytes);
    const std::size_t count = size >= 16 ? std::size_t{data[14]} << 8 | data[15] : 0;
    const bool wellSized = size >= 16 && size - 16 == 5 * count;
    if (size < 16) {
        check(list.outcome == ResolutionListReply::Outcome::TooShort);
    } else if (!wellSized) {
        check(list.outcome == ResolutionListReply::Outcome::WrongLength && list.recordBytes == size - 16);
    } else {
        check(list.outcome == ResolutionListReply::Outcome::Parsed);
        check(sameList(list.resolutions, expectedList(data, count)));
    }

    // The channel: only a valid list reply replaces the list and tells the delegate, once each.
    static CommandUDPSocket channel;
    CountingDelegate delegate;
    channel.setDelegate(&delegate);
    const std::vector<STRUCT_RESOLUTION> before = channel.m_resolution_list();
    channel.analysis_recvive_command(datagram.data(), datagram.size());
    channel.setDelegate(nullptr);
    if (kind == ReplyKind::ResolutionList && wellSized) {
        check(delegate.clears == 1 && delegate.fills == 1);
        check(sameList(channel.m_resolution_list(), list.resolutions));
    } else {
        check(delegate.clears == 0 && delegate.fills == 0);
        check(sameList(channel.m_resolution_list(), before));
    }
    return 0;
}
