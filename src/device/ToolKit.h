#pragma once

#include <cstdint>
#include <string>

class ToolKit {
  public:
    // The first count bytes of bytes read as one unsigned big-endian number. Counts above 8 overflow the
    // result and are not used; a count of 0 or less gives 0.
    static std::uint64_t HextoDec(const std::uint8_t *bytes, std::int32_t count);
    // A resolution as the viewer's menu and the command-line tool show it: "1920*1080".
    static std::string resolutionTitle(std::uint64_t width, std::uint64_t height);
};
