#pragma once

// The command line of the viewer: which camera to watch. The defaults are the camera's factory settings.
//
//   deskcam [--camera HOST] [--image-port P] [--command-port P] [-h|--help] [-v|--version]

#include "device/CameraAddress.h"

#include <QString>
#include <QStringList>

#include <cstdint>

struct LaunchOptions {
    QString camera = QString::fromLatin1(kDefaultCameraHost);
    std::uint16_t imagePort = kImagePort;
    std::uint16_t commandPort = kCommandPort;

    // What parsing the arguments asks the program to do.
    enum class Outcome { Run, ShowHelp, ShowVersion, Fail };
    struct Parsed;

    // arguments include the program name first, as QCoreApplication::arguments() gives them. Help and
    // version win over errors, so they can be answered from the raw command line before the window system
    // (and Qt's own options such as -platform) are known.
    static Parsed parse(const QStringList &arguments);
    static Parsed parse(int argc, char *argv[]);
    static QString usage();
};

struct LaunchOptions::Parsed {
    Outcome outcome = Outcome::Run;
    LaunchOptions options;
    // The help text for ShowHelp, "deskcam VERSION" for ShowVersion, the error for Fail (followed by a hint
    // to use --help).
    QString message;
};
