#include "CliArguments.h"

#include "SubCommand.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

QString optionName(const CliOption &option) {
    return QString::fromStdString(option.name).remove(0, 2);  // "--camera" -> "camera"
}

}  // namespace

OptionTable CliArguments::table(const SubCommand &command) {
    OptionTable table(QStringLiteral("deskcam-cli ") + QString::fromLatin1(command.name));
    table.setDescription(QString::fromStdString(wrapped(command.summary, 0)));
    for (const CliOption &option : command.options)
        table.add({{optionName(option)},
                   option.takesValue ? QString::fromStdString(option.valueName) : QString(),
                   QString::fromStdString(option.help),
                   option.required});
    QStringList arguments;
    for (const std::string &argument : command.arguments) arguments << QString::fromStdString(argument);
    table.setArguments(arguments).addHelp(QStringLiteral("show this help"));
    return table;
}

std::string CliArguments::synopsis(const SubCommand &command) {
    return table(command).synopsis().toStdString();
}

bool CliArguments::parse(const std::vector<std::string> &args, const SubCommand &command,
                         std::string &error) {
    QStringList words{QString::fromLatin1(command.name)};
    for (const std::string &arg : args) words << QString::fromLocal8Bit(arg.c_str());
    const OptionTable::Parsed parsed = table(command).parse(words);
    if (parsed.isSet(QStringLiteral("help"))) {
        helpAsked_ = true;
        return true;
    }
    if (!parsed.ok()) {
        error = parsed.error.toStdString();
        return false;
    }
    for (const CliOption &option : command.options) {
        const QString name = optionName(option);
        if (parsed.isSet(name)) values_[option.name] = parsed.value(name).toStdString();
    }
    for (const QString &argument : parsed.positional) arguments_.push_back(argument.toStdString());
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
    return table(command).helpText().toStdString();
}

std::string CliArguments::wrapped(const std::string &text, std::size_t indent) {
    return OptionTable::wrapped(QString::fromStdString(text), static_cast<int>(indent)).toStdString();
}
