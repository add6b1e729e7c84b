// deskcam-cli: the device link without windows, for scripts and tests. "deskcam-cli NAME [options]" runs
// one sub-command of the table below; each sub-command lives in its own file.

#include "CaptureCommand.h"
#include "FramesCommand.h"
#include "RecordCommand.h"
#include "ResolutionsCommand.h"
#include "SetResolutionCommand.h"
#include "SubCommand.h"

#include "base/Version.h"
#include "dispatch/MainQueue.h"

#include <QCommandLineParser>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const SubCommand *const kSubCommands[] = {
    &kFramesCommand, &kResolutionsCommand, &kSetResolutionCommand, &kRecordCommand, &kCaptureCommand,
};

void printUsage(FILE *out) {
    std::fputs(
        "Usage: deskcam-cli COMMAND [options]\n"
        "Talks to a network document camera without a window, the way the deskcam viewer does.\n\n"
        "Commands:\n",
        out);
    for (const SubCommand *command : kSubCommands)
        std::fprintf(out, "  %s %s\n%s", command->name, command->usage,
                     CliArguments::wrapped(command->summary, 6).c_str());
    std::fputs(
        "\n"
        "Options:\n"
        "  -h, --help          show this help; \"deskcam-cli COMMAND --help\" shows a command's\n"
        "  -v, --version       show the version\n",
        out);
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
                     command.name, command.usage);
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
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QStringList words;
    for (int i = 0; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(words)) {
        std::fprintf(stderr, "deskcam-cli: %s\n\n", qPrintable(parser.errorText()));
        printUsage(stderr);
        return kExitUsage;
    }
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(version)) {
        std::printf("%s\n", deskcam::versionLine("deskcam-cli").c_str());
        return kExitOk;
    }
    if (parser.isSet(help) || (!positional.isEmpty() && positional.first() == QLatin1String("help"))) {
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
