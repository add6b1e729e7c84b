#pragma once

// One sub-command of deskcam-cli: "deskcam-cli NAME [options] [ARGUMENTS]". Each lives in its own file pair
// and exports one SubCommand; main.cpp lists them, reads the command line against the sub-command's
// options and arguments (CliArguments) and answers --help, so run() gets a command line that parsed. The
// usage line and the help are made from the same rows (CliArguments::table).
//
// Exit codes shared by all sub-commands: 0 done, 1 failed (the message says why), 2 bad command line.

#include "CliArguments.h"

#include <string>
#include <vector>

struct SubCommand {
    const char *name;
    const char *summary;  // what it does, for the help texts
    std::vector<CliOption> options;
    std::vector<std::string> arguments;  // the positional arguments' names, all required: "OUT.png"
    int (*run)(const CliArguments &arguments);
};

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
