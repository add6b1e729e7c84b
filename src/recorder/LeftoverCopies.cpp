#include "recorder/LeftoverCopies.h"

#include "base/Log.h"

#include <string>
#include <system_error>

namespace LeftoverCopies {
namespace {

bool isFinishCopy(const std::string &name) {
    constexpr std::string_view suffix = ".mp4.part";
    return name.size() > suffix.size() + 1 && name.front() == '.' && name.ends_with(suffix);
}

}  // namespace

int removeFrom(const std::filesystem::path &folder, std::filesystem::file_time_type now) {
    int removed = 0;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        std::error_code entryError;
        // symlink_status: a link is not a copy of ours, whatever it points to.
        if (!isFinishCopy(entry.path().filename().string()) ||
            !std::filesystem::is_regular_file(entry.symlink_status(entryError)))
            continue;
        const auto modified = std::filesystem::last_write_time(entry.path(), entryError);
        if (entryError || now - modified < kSettleTime) continue;
        if (std::filesystem::remove(entry.path(), entryError)) {
            deskcam::logLine("Removed %s, the unfinished copy of an interrupted recording's finish",
                             entry.path().c_str());
            ++removed;
        }
    }
    return removed;
}

}  // namespace LeftoverCopies
