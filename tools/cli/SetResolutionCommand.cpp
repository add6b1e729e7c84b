#include "SetResolutionCommand.h"

#include "CommandSession.h"
#include "device/ToolKit.h"

#include <charconv>
#include <cstdio>

namespace {

// The channel takes the index as one byte.
constexpr int kLargestIndex = 255;

bool parseIndex(const std::string &text, std::uint8_t &index) {
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > kLargestIndex)
        return false;
    index = static_cast<std::uint8_t>(value);
    return true;
}

int usageError(const std::string &error) {
    std::fprintf(stderr, "deskcam-cli set-resolution: %s\nusage: deskcam-cli set-resolution %s\n",
                 error.c_str(), CliArguments::synopsis(kSetResolutionCommand).c_str());
    return kExitUsage;
}

int runSetResolution(const CliArguments &arguments) {
    std::uint8_t index = 0;
    if (!parseIndex(arguments.arguments().front(), index))
        return usageError("INDEX must be a number from 0 to 255");
    CommandSession::Target target;
    std::string error;
    if (!CommandSession::parseTarget(arguments, target, error)) return usageError(error);

    CommandSession session(target);
    // The choice is made from the channel's own list, so it needs one first, as the viewer's menu does.
    const auto list = session.fetchList();
    if (!list) {
        std::fprintf(stderr,
                     "\ndeskcam-cli set-resolution: no valid resolution list from %s:%u within %g s\n",
                     target.host.c_str(), static_cast<unsigned>(target.port), target.timeout.count());
        return kExitFailed;
    }
    if (!session.choose(index)) {
        std::fprintf(stderr,
                     "\ndeskcam-cli set-resolution: no entry %u; the camera offers %zu resolution(s)\n",
                     static_cast<unsigned>(index), list->size());
        return kExitFailed;
    }
    const std::string chosen = ToolKit::resolutionTitle((*list)[index].width, (*list)[index].height);
    const auto reply = session.waitForSetReply();
    if (!reply) {
        std::fprintf(stderr, "deskcam-cli set-resolution: no answer to the choice of %s within %g s\n",
                     chosen.c_str(), target.timeout.count());
        return kExitFailed;
    }
    if (!reply->complete) {
        std::fprintf(stderr, "deskcam-cli set-resolution: no valid answer to the choice of %s\n",
                     chosen.c_str());
        return kExitFailed;
    }
    if (reply->result != 0) {
        std::fprintf(stderr, "deskcam-cli set-resolution: the camera refused %s\n", chosen.c_str());
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

const SubCommand kSetResolutionCommand = {
    "set-resolution",
    "choose entry INDEX (from 0) of the camera's resolution list and wait for the camera's answer (fails "
    "on refusal, on an answer too short to read, or after S seconds, default 3, without one)",
    CommandSession::targetOptions(),
    {"INDEX"},
    runSetResolution,
};
