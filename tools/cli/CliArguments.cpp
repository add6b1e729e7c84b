#include "CliArguments.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

bool CliArguments::parse(const std::vector<std::string> &args, const std::vector<CliOption> &known,
                         std::string &error) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto option =
            std::find_if(known.begin(), known.end(), [&](const CliOption &o) { return o.name == args[i]; });
        if (option == known.end()) {
            error = "unknown option " + args[i];
            return false;
        }
        if (!option->takesValue) {
            values_[option->name] = {};
            continue;
        }
        if (i + 1 >= args.size()) {
            error = option->name + " needs a value";
            return false;
        }
        values_[option->name] = args[++i];
    }
    for (const auto &option : known) {
        if (option.required && !has(option.name)) {
            error = option.name + " is required";
            return false;
        }
    }
    return true;
}

std::string CliArguments::text(const std::string &name, const std::string &fallback) const {
    const auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

bool CliArguments::integer(const std::string &name, long long min, long long max, long long fallback,
                           long long &out, std::string &error) const {
    if (!has(name)) {
        out = fallback;
        return true;
    }
    const std::string value = text(name);
    long long number = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (ec != std::errc() || end != value.data() + value.size() || number < min || number > max) {
        error = "bad value for " + name + ": " + value + " (expected " + std::to_string(min) + ".." +
                std::to_string(max) + ")";
        return false;
    }
    out = number;
    return true;
}

bool CliArguments::seconds(const std::string &name, double fallback, double &out, std::string &error) const {
    if (!has(name)) {
        out = fallback;
        return true;
    }
    const std::string value = text(name);
    char *end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (value.empty() || *end != '\0' || !std::isfinite(number) || number < 0) {
        error = "bad value for " + name + ": " + value + " (expected seconds)";
        return false;
    }
    out = number;
    return true;
}
