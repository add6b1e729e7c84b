#include "device/CommandCodec.h"

#include "device/ToolKit.h"

#include <algorithm>
#include <set>
#include <utility>

namespace CommandCodec {
namespace {

constexpr std::array<std::uint8_t, 6> kRequestHead = {'S', 'E', 'T', 'C', 'M', 'D'};
// command_recvive_head: every reply starts with it.
constexpr std::array<std::uint8_t, 6> kReplyHead = {'R', 'E', 'T', 'C', 'M', 'D'};
constexpr std::size_t kRecordCountOffset = 14;
constexpr std::size_t kChosenRecordOffset = 14;

bool startsWith(Bytes datagram, std::span<const std::uint8_t> prefix) {
    return datagram.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), datagram.begin());
}

STRUCT_RESOLUTION readWireRecord(Bytes record) {
    STRUCT_RESOLUTION resolution;
    resolution.width = record[0] + 256u * record[1];
    resolution.height = record[2] + 256u * record[3];
    std::copy_n(record.begin(), 4, resolution.raw.begin());
    return resolution;
}

}  // namespace

std::vector<std::uint8_t> getResolutionRequest(std::uint8_t randomByte) {
    std::vector<std::uint8_t> request(14, 0);
    std::copy(kRequestHead.begin(), kRequestHead.end(), request.begin());
    request[6] = randomByte;
    request[kCommandOffset] = kResolutionListCommand;
    return request;
}

SetResolutionRequest setResolutionTemplate() {
    return {'S',  'E',  'T',  'C',  'M',  'D',  0x08, 0x00, 0x00, 0x00,
            0x08, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x19, 0x00};
}

void chooseResolution(SetResolutionRequest &request, const STRUCT_RESOLUTION &resolution) {
    std::copy_n(resolution.raw.begin(), 4, request.begin() + kChosenRecordOffset);
}

ReplyKind classifyReply(Bytes datagram) {
    if (datagram.size() <= kCommandOffset || !startsWith(datagram, kReplyHead)) return ReplyKind::Ignored;
    switch (datagram[kCommandOffset]) {
        case kSetResolutionCommand:
            return ReplyKind::SetResolution;
        case kResolutionListCommand:
            return ReplyKind::ResolutionList;
        default:
            return ReplyKind::Ignored;
    }
}

bool isSetResolutionSuccess(Bytes datagram) {
    return startsWith(datagram, command_return_set_resolution);
}

ResolutionListReply parseResolutionList(Bytes datagram) {
    ResolutionListReply reply;
    if (datagram.size() < kListHeaderLength) return reply;
    const std::uint64_t count = ToolKit::HextoDec(datagram.data() + kRecordCountOffset, 2);
    reply.recordBytes = datagram.size() - kListHeaderLength;
    if (reply.recordBytes != count * kWireRecordLength) {
        reply.outcome = ResolutionListReply::Outcome::WrongLength;
        return reply;
    }
    reply.outcome = ResolutionListReply::Outcome::Parsed;
    // A set, not a scan of the list: a hostile reply may carry thousands of records.
    std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
    for (std::uint64_t i = 0; i < count; ++i) {
        const auto resolution =
            readWireRecord(datagram.subspan(kListHeaderLength + i * kWireRecordLength, 4));
        if (seen.insert({resolution.width, resolution.height}).second)
            reply.resolutions.push_back(resolution);
    }
    return reply;
}

}  // namespace CommandCodec
