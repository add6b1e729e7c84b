#pragma once

// One sub-command of deskcam-cli: "deskcam-cli NAME [options]". Each lives in its own file pair and exports
// one SubCommand; main.cpp lists them.
//
// Exit codes shared by all sub-commands: 0 done, 1 failed (the message says why), 2 bad command line.

#include <string>
#include <vector>

struct SubCommand {
    const char *name;
    const char *usage;    // options, shown by "deskcam-cli help" and on a bad command line
    const char *summary;  // one line
    int (*run)(const std::vector<std::string> &args);
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
