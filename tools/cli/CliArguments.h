#pragma once

// The options of one sub-command: "--name value" pairs and bare "--flag"s, checked against the names the
// sub-command knows.

#include <map>
#include <string>
#include <vector>

struct CliOption {
    std::string name;  // with the dashes: "--camera"
    bool takesValue = true;
    bool required = false;
};

class CliArguments {
  public:
    // Returns false with error set on an unknown or incomplete option, or a missing required one.
    bool parse(const std::vector<std::string> &args, const std::vector<CliOption> &known, std::string &error);

    bool has(const std::string &name) const { return values_.count(name) > 0; }
    std::string text(const std::string &name, const std::string &fallback = {}) const;
    // A whole number in [min, max], or fallback when the option is absent. False with error set when the
    // given value is malformed or out of range.
    bool integer(const std::string &name, long long min, long long max, long long fallback, long long &out,
                 std::string &error) const;
    // A non-negative number of seconds, or fallback when absent.
    bool seconds(const std::string &name, double fallback, double &out, std::string &error) const;

  private:
    std::map<std::string, std::string> values_;
};
