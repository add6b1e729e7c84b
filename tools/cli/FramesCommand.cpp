#include "FramesCommand.h"

#include "CliArguments.h"

#include <cstdio>

namespace {

int runFrames(const std::vector<std::string> &args) {
    CliArguments arguments;
    std::string error;
    const bool parsed = arguments.parse(args,
                                        {{"--camera", true, true},
                                         {"--image-port"},
                                         {"--count", true, true},
                                         {"--out", true, true},
                                         {"--timeout"}},
                                        error);
    if (!parsed) {
        std::fprintf(stderr, "deskcam-cli frames: %s\n", error.c_str());
        return kExitUsage;
    }
    std::fprintf(stderr, "deskcam-cli frames: the receiver is not built yet\n");
    return kExitFailed;
}

}  // namespace

const SubCommand kFramesCommand = {
    "frames",
    "--camera HOST [--image-port P] --count N --out DIR [--timeout S]",
    "write the first N pictures of the image stream to DIR/frame_0001.jpg ...",
    runFrames,
};
