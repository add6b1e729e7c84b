#pragma once

// The command line of one sub-command, read through its OptionTable: "--name value" options (also
// "--name=value"), bare "--flag"s and positional arguments in any order, "--" before arguments that begin
// with a dash, and -h/--help.

#include "base/OptionTable.h"
#include "device/CameraAddress.h"

#include <map>
#include <string>
#include <vector>

struct CliOption {
    std::string name;  // with the dashes: "--camera"
    bool takesValue = true;
    bool required = false;
    std::string valueName;  // "HOST", for the help
    std::string help;       // one line for the help
};

// The rows most sub-commands share.
inline CliOption cameraOption() {
    return {"--camera", true, true, "HOST", "the camera's address or host name"};
}
inline CliOption imagePortOption() {
    return {"--image-port", true, false, "P",
            "TCP port of the picture stream (default " + std::to_string(kImagePort) + ")"};
}

struct SubCommand;

class CliArguments {
  public:
    // Reads args (the words after the sub-command's name) against the command's options and arguments.
    // Returns false with error set on an unknown or incomplete option, a missing required one, or too few
    // or too many arguments; with --help only helpAsked() is filled.
    bool parse(const std::vector<std::string> &args, const SubCommand &command, std::string &error);

    bool helpAsked() const { return helpAsked_; }
    // The positional arguments, in the command's order.
    const std::vector<std::string> &arguments() const { return arguments_; }

    bool has(const std::string &name) const { return values_.count(name) > 0; }
    std::string text(const std::string &name, const std::string &fallback = {}) const;
    // A whole number in [min, max], or fallback when the option is absent. False with error set when the
    // given value is malformed or out of range.
    bool integer(const std::string &name, long long min, long long max, long long fallback, long long &out,
                 std::string &error) const;
    // A non-negative number of seconds, or fallback when absent.
    bool seconds(const std::string &name, double fallback, double &out, std::string &error) const;

    // The sub-command's options, arguments and summary as the table that parses and explains them.
    static OptionTable table(const SubCommand &command);
    // The options and arguments for the usage lines: "--camera HOST [--timeout S] OUT.png".
    static std::string synopsis(const SubCommand &command);
    // "deskcam-cli NAME --help": the usage line, the summary and one line per option.
    static std::string helpText(const SubCommand &command);
    // text broken into lines of at most 100 characters, each after indent spaces.
    static std::string wrapped(const std::string &text, std::size_t indent);

  private:
    bool helpAsked_ = false;
    std::vector<std::string> arguments_;
    std::map<std::string, std::string> values_;
};
