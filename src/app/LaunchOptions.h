#pragma once

// The command line of the viewer: which camera to watch. The defaults are the camera's factory settings.
//
//   deskcam [--camera HOST] [--image-port P] [--command-port P]

#include <QString>
#include <QStringList>

#include <cstdint>

struct LaunchOptions {
    QString camera = QStringLiteral("192.168.10.123");
    std::uint16_t imagePort = 7060;
    std::uint16_t commandPort = 50000;

    // What parsing the arguments asks the program to do.
    enum class Outcome { Run, ShowHelp, Fail };
    struct Parsed;

    // arguments include the program name first, as QCoreApplication::arguments() gives them.
    static Parsed parse(const QStringList &arguments);
    // True when the raw arguments ask for help; checked before any window system is needed.
    static bool asksForHelp(int argc, char *argv[]);
    static QString usage();
};

struct LaunchOptions::Parsed {
    Outcome outcome = Outcome::Run;
    LaunchOptions options;
    // The help text for ShowHelp, the error for Fail (followed by a hint to use --help).
    QString message;
};
