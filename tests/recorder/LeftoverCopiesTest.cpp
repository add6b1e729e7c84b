#include "recorder/LeftoverCopies.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TEST(LeftoverCopies, OnlyOldHiddenCopiesOfAFinishGo) {
    const fs::path folder = fs::temp_directory_path() / ("deskcam-leftovers-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const auto now = fs::file_time_type::clock::now();
    struct File {
        const char *name;
        fs::file_time_type::duration age;
        bool removed;
    };
    const File files[] = {
        {".record_20261208_101500.mp4.part", 10min, true},
        {".record_20261208_101501.mp4.part", 30s, false},  // a finish still under way
        {"record_20261208_101500.mp4", 10min, false},      // the recording itself
        {".notes.txt.part", 10min, false},
        {"record.mp4.part", 10min, false},  // not hidden: not ours
    };
    for (const File &file : files) {
        std::ofstream(folder / file.name) << "x";
        fs::last_write_time(folder / file.name, now - file.age);
    }
    fs::create_directory(folder / ".folder.mp4.part");
    fs::last_write_time(folder / ".folder.mp4.part", now - 10min);

    EXPECT_EQ(LeftoverCopies::removeFrom(folder, now), 1);
    for (const File &file : files) EXPECT_EQ(!fs::exists(folder / file.name), file.removed) << file.name;
    EXPECT_TRUE(fs::exists(folder / ".folder.mp4.part")) << "only regular files go";
    EXPECT_EQ(LeftoverCopies::removeFrom(folder / "missing", now), 0);
    fs::remove_all(folder);
}

}  // namespace
