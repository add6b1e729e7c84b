// deskcam-cli: the device link without windows, for scripts and tests. "deskcam-cli NAME [options]" runs
// one sub-command of the table below; each sub-command lives in its own file.

#include "CaptureCommand.h"
#include "FramesCommand.h"
#include "RecordCommand.h"
#include "ResolutionsCommand.h"
#include "SetResolutionCommand.h"
#include "SubCommand.h"

#include "dispatch/MainQueue.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const SubCommand *const kSubCommands[] = {
    &kFramesCommand,
    &kResolutionsCommand,
    &kSetResolutionCommand,
    &kRecordCommand,
    &kCaptureCommand,
};

void printUsage(FILE *out) {
    std::fputs("usage: deskcam-cli COMMAND [options]\n\ncommands:\n", out);
    for (const SubCommand *command : kSubCommands)
        std::fprintf(out, "  %s %s\n      %s\n", command->name, command->usage, command->summary);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        printUsage(argc < 2 ? stderr : stdout);
        return argc < 2 ? kExitUsage : kExitOk;
    }
    for (const SubCommand *command : kSubCommands) {
        if (std::strcmp(argv[1], command->name) != 0) continue;
        // Socket callbacks go to the main event queue; without a window it is a serial queue.
        dispatch::useSerialMainQueue();
        return command->run(std::vector<std::string>(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "deskcam-cli: unknown command %s\n\n", argv[1]);
    printUsage(stderr);
    return kExitUsage;
}
