#pragma once

// Where the simulator's pictures come from: a generated test card or a folder of JPEG files. Connections
// ask for pictures from their own threads, so implementations are thread-safe.

#include <cstdint>
#include <vector>

// The size and JPEG quality of a generated picture.
struct PictureStyle {
    int width = 1920;
    int height = 1080;
    int jpegQuality = 85;
};

class PictureSource {
  public:
    virtual ~PictureSource() = default;

    // The JPEG bytes of picture number frameNumber (counted from 0 on each connection).
    virtual std::vector<std::uint8_t> picture(std::uint64_t frameNumber) = 0;
    // Switches the picture size from the next picture on; sources that cannot resize ignore it.
    virtual void setSize(int width, int height) = 0;
};
