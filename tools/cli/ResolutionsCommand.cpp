#include "ResolutionsCommand.h"

#include "CommandSession.h"
#include "device/ToolKit.h"

#include <cstdio>

namespace {

int runResolutions(const CliArguments &arguments) {
    CommandSession::Target target;
    std::string error;
    if (!CommandSession::parseTarget(arguments, target, error)) {
        std::fprintf(stderr, "deskcam-cli resolutions: %s\nusage: deskcam-cli resolutions %s\n",
                     error.c_str(), CliArguments::synopsis(kResolutionsCommand).c_str());
        return kExitUsage;
    }
    CommandSession session(target);
    const auto list = session.fetchList();
    if (!list) {
        std::fprintf(stderr, "\ndeskcam-cli resolutions: no valid resolution list from %s:%u within %g s\n",
                     target.host.c_str(), static_cast<unsigned>(target.port), target.timeout.count());
        return kExitFailed;
    }
    for (const auto &entry : *list) {
        std::printf("%s\n", ToolKit::resolutionTitle(entry.width, entry.height).c_str());
    }
    return kExitOk;
}

}  // namespace

const SubCommand kResolutionsCommand = {
    "resolutions",
    "print the camera's resolutions, one WIDTH*HEIGHT line each, in the camera's order (fails after S "
    "seconds, default 3, without a valid list)",
    CommandSession::targetOptions(),
    {},
    runResolutions,
};
