#include "FrameFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

FrameFiles::FrameFiles(const std::string &folder, std::string &error) {
    std::error_code ec;
    std::vector<fs::path> paths;
    for (const auto &entry : fs::directory_iterator(folder, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && (ext == ".jpg" || ext == ".jpeg")) paths.push_back(entry.path());
    }
    if (ec) {
        error = "cannot read " + folder + ": " + ec.message();
        return;
    }
    std::sort(paths.begin(), paths.end());
    for (const auto &path : paths) {
        std::ifstream in(path, std::ios::binary);
        pictures_.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (pictures_.empty()) error = "no .jpg files in " + folder;
}

std::vector<std::uint8_t> FrameFiles::picture(std::uint64_t frameNumber) {
    return pictures_[frameNumber % pictures_.size()];
}
