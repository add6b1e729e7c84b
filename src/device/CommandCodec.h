#pragma once

// The camera's command datagrams as bytes: building the two requests and reading the replies. Pure
// functions, so the parsing can be tested and fuzzed without sockets. Nothing here reads past the datagram
// it is given.
//
// Requests start with "SETCMD", replies with "RETCMD"; byte 10 is the command (9 = resolution list,
// 8 = set resolution).

#include "device/STRUCT_RESOLUTION.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace CommandCodec {

using Bytes = std::span<const std::uint8_t>;
using SetResolutionRequest = std::array<std::uint8_t, 20>;

inline constexpr std::uint8_t kSetResolutionCommand = 8;
inline constexpr std::uint8_t kResolutionListCommand = 9;
inline constexpr std::size_t kCommandOffset = 10;
// Where the records of a list reply start, after the 2-byte big-endian record count at 14.
inline constexpr std::size_t kListHeaderLength = 16;
inline constexpr std::size_t kWireRecordLength = 5;
// The success reply to a set request: "RETCMD" 08 00 00 00 08 00 01 00 00.
inline constexpr std::array<std::uint8_t, 15> command_return_set_resolution = {
    'R', 'E', 'T', 'C', 'M', 'D', 0x08, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01, 0x00, 0x00};

// The 14-byte list request; randomByte (1 to 255) goes to byte 6.
std::vector<std::uint8_t> getResolutionRequest(std::uint8_t randomByte);
// The 20-byte set request before any choice: bytes 14 to 17 are zero.
SetResolutionRequest setResolutionTemplate();
// Puts bytes 0 to 3 of the resolution's wire record (width, height, 16-bit little-endian each) into bytes
// 14 to 17 of the request.
void chooseResolution(SetResolutionRequest &request, const STRUCT_RESOLUTION &resolution);

enum class ReplyKind {
    Ignored,  // too short for the command byte, not "RETCMD", or an unknown command
    SetResolution,
    ResolutionList,
};
ReplyKind classifyReply(Bytes datagram);

// True exactly when the first 15 bytes are the success reply.
bool isSetResolutionSuccess(Bytes datagram);

struct ResolutionListReply {
    enum class Outcome {
        TooShort,     // under 16 bytes: no record count to read
        WrongLength,  // not 16 + 5 x N bytes
        Parsed,
    };
    Outcome outcome = Outcome::TooShort;
    // Length minus 16, which the wrong-length message shows.
    std::uint64_t recordBytes = 0;
    // In reply order; a record with the width and height of an earlier one is left out.
    std::vector<STRUCT_RESOLUTION> resolutions;
};
ResolutionListReply parseResolutionList(Bytes datagram);

}  // namespace CommandCodec
