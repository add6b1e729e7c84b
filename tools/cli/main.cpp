// deskcam-cli: the device link without windows, for scripts and tests. "deskcam-cli NAME [options]" runs
// one sub-command of the table below; each sub-command lives in its own file.

#include "CaptureCommand.h"
#include "FramesCommand.h"
#include "OcrCommand.h"
#include "RecordCommand.h"
#include "ResolutionsCommand.h"
#include "ScanCommand.h"
#include "SetResolutionCommand.h"
#include "StraightenCommand.h"
#include "SubCommand.h"
#include "TimeLapseCommand.h"

#include "base/Version.h"
#include "dispatch/MainQueue.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const SubCommand *const kSubCommands[] = {
    &kFramesCommand,     &kResolutionsCommand, &kSetResolutionCommand, &kRecordCommand,    &kCaptureCommand,
    &kStraightenCommand, &kOcrCommand,         &kScanCommand,          &kTimeLapseCommand,
};

const OptionTable &programTable() {
    static const OptionTable table = [] {
        OptionTable::Section commands{QStringLiteral("Commands"), {}, 6, true};
        for (const SubCommand *command : kSubCommands)
            commands.rows.push_back({QString::fromLatin1(command->name) + u' ' +
                                         QString::fromStdString(CliArguments::synopsis(*command)),
                                     QString::fromLatin1(command->summary)});
        OptionTable t(QStringLiteral("deskcam-cli"));
        t.setSynopsis(QStringLiteral("COMMAND [options]"))
            .setDescription(QStringLiteral(
                "Talks to a network document camera without a window, the way the deskcam viewer does."))
            .addSection(std::move(commands))
            .addHelp(QStringLiteral("show this help; \"deskcam-cli COMMAND --help\" shows a command's"))
            .addVersion(QStringLiteral("show the version"))
            .setOptionsEndAtFirstArgument();
        return t;
    }();
    return table;
}

void printUsage(FILE *out) {
    std::fputs(qPrintable(programTable().helpText()), out);
}

const SubCommand *findCommand(const QString &name) {
    for (const SubCommand *command : kSubCommands)
        if (name == QLatin1String(command->name)) return command;
    return nullptr;
}

int runCommand(const SubCommand &command, const std::vector<std::string> &args) {
    CliArguments arguments;
    std::string error;
    if (!arguments.parse(args, command, error)) {
        std::fprintf(stderr, "deskcam-cli %s: %s\nusage: deskcam-cli %s %s\n", command.name, error.c_str(),
                     command.name, CliArguments::synopsis(command).c_str());
        return kExitUsage;
    }
    if (arguments.helpAsked()) {
        std::fputs(CliArguments::helpText(command).c_str(), stdout);
        return kExitOk;
    }
    // Socket callbacks go to the main event queue; without a window it is a serial queue.
    dispatch::useSerialMainQueue();
    return command.run(arguments);
}

}  // namespace

int main(int argc, char **argv) {
    // The program's own options come before the command; everything after it is the command's.
    const OptionTable::Parsed parsed = programTable().parse(OptionTable::words(argc, argv));
    if (!parsed.ok()) {
        std::fprintf(stderr, "deskcam-cli: %s\n\n", qPrintable(parsed.error));
        printUsage(stderr);
        return kExitUsage;
    }
    const QStringList &positional = parsed.positional;
    if (parsed.isSet(QStringLiteral("version"))) {
        std::printf("%s\n", deskcam::versionLine("deskcam-cli").c_str());
        return kExitOk;
    }
    if (parsed.isSet(QStringLiteral("help")) ||
        (!positional.isEmpty() && positional.first() == QLatin1String("help"))) {
        printUsage(stdout);
        return kExitOk;
    }
    if (positional.isEmpty()) {
        printUsage(stderr);
        return kExitUsage;
    }
    const SubCommand *command = findCommand(positional.first());
    if (!command) {
        std::fprintf(stderr, "deskcam-cli: unknown command %s\n\n", qPrintable(positional.first()));
        printUsage(stderr);
        return kExitUsage;
    }
    // Every word after the command is the command's, as given.
    std::vector<std::string> rest;
    for (qsizetype i = 1; i < positional.size(); ++i)
        rest.push_back(positional[i].toLocal8Bit().toStdString());
    return runCommand(*command, rest);
}
