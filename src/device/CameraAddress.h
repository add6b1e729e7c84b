#pragma once

// Where the camera is found out of the box: its factory address and the ports of its two services. The
// viewer, the tools and the simulator all default to these, so they are written here once.

#include <cstdint>

inline constexpr const char *kDefaultCameraHost = "192.168.10.123";
inline constexpr std::uint16_t kImagePort = 7060;     // TCP: the JPEG picture stream
inline constexpr std::uint16_t kCommandPort = 50000;  // UDP: the command service
