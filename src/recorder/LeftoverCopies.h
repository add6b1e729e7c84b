#pragma once

// A recording's finish copies the file into a hidden ".NAME.mp4.part" beside it and renames that over the
// recording. Killed in between (power, kill -9), the copy stays behind, often as large as the recording,
// while the recording itself still plays (it was written in fragments). The next start clears such copies.

#include <chrono>
#include <filesystem>

namespace LeftoverCopies {

// Copies younger than this may belong to a viewer of another camera finishing right now.
constexpr std::chrono::minutes kSettleTime{2};

// Removes the leftover copies in folder (regular files only, not touched for kSettleTime) and logs each.
// Returns how many went.
int removeFrom(const std::filesystem::path &folder,
               std::filesystem::file_time_type now = std::filesystem::file_time_type::clock::now());

}  // namespace LeftoverCopies
