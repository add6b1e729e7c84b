#pragma once

// The JPEG files of a folder, sent in name order and then again from the start. The bytes go out as they
// are on disk, so a receiver's output can be compared byte for byte with the files.

#include "PictureSource.h"

#include <string>

class FrameFiles : public PictureSource {
  public:
    // Loads every *.jpg and *.jpeg of folder; error is set and the source is empty when there is none.
    FrameFiles(const std::string &folder, std::string &error);

    std::vector<std::uint8_t> picture(std::uint64_t frameNumber) override;
    void setSize(int, int) override {}

    std::size_t count() const { return pictures_.size(); }

  private:
    std::vector<std::vector<std::uint8_t>> pictures_;  // read-only after construction
};
