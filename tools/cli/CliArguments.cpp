#include "CliArguments.h"

#include "SubCommand.h"

#include <QCommandLineParser>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

QString optionName(const CliOption &option) {
    return QString::fromStdString(option.name).remove(0, 2);  // "--camera" -> "camera"
}

// Pads text to a column of at least width, with one space after it in any case.
std::string column(std::string text, std::size_t width) {
    text.resize(std::max(text.size() + 1, width), ' ');
    return text;
}

}  // namespace

bool CliArguments::parse(const std::vector<std::string> &args, const SubCommand &command,
                         std::string &error) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    parser.addOption(help);
    for (const CliOption &option : command.options) {
        parser.addOption(option.takesValue ? QCommandLineOption(optionName(option), {},
                                                                QString::fromStdString(option.valueName))
                                           : QCommandLineOption(optionName(option)));
    }
    QStringList words{QString::fromLatin1(command.name)};
    for (const std::string &arg : args) words << QString::fromLocal8Bit(arg.c_str());
    const bool parsed = parser.parse(words);
    if (parser.isSet(help)) {
        helpAsked_ = true;
        return true;
    }
    if (!parsed) {
        error = parser.errorText().toStdString();
        return false;
    }

    for (const CliOption &option : command.options) {
        const QString name = optionName(option);
        if (parser.isSet(name)) values_[option.name] = parser.value(name).toStdString();
        if (option.required && !parser.isSet(name)) {
            error = option.name + " is required";
            return false;
        }
    }
    for (const QString &argument : parser.positionalArguments()) arguments_.push_back(argument.toStdString());
    if (arguments_.size() < command.arguments.size()) {
        error = "missing " + command.arguments[arguments_.size()];
        return false;
    }
    if (arguments_.size() > command.arguments.size()) {
        error = "unexpected argument " + arguments_[command.arguments.size()];
        return false;
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

std::string CliArguments::helpText(const SubCommand &command) {
    std::string text = std::string("Usage: deskcam-cli ") + command.name + " " + command.usage + "\n\n" +
                       wrapped(command.summary, 0) + "\nOptions:\n";
    for (const CliOption &option : command.options) {
        const std::string left =
            "  " + option.name + (option.valueName.empty() ? "" : " " + option.valueName);
        text += column(left, 22) + option.help + "\n";
    }
    text += column("  -h, --help", 22) + "show this help\n";
    return text;
}

std::string CliArguments::wrapped(const std::string &text, std::size_t indent) {
    constexpr std::size_t kWidth = 100;
    std::string result;
    std::string line;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        if (!line.empty() && indent + line.size() + 1 + word.size() > kWidth) {
            result += std::string(indent, ' ') + line + "\n";
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += word;
        start = end + 1;
    }
    if (!line.empty()) result += std::string(indent, ' ') + line + "\n";
    return result;
}
