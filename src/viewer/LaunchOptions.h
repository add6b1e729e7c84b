#pragma once

// The command line of the viewer: which camera to watch. Without one, the camera remembered in the settings,
// and without that the camera's factory settings.
//
//   deskcam [--camera HOST] [--image-port P] [--command-port P] [-h|--help] [-v|--version]

#include "device/CameraAddress.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

class QSettings;

struct LaunchOptions {
    QString camera = QString::fromLatin1(kDefaultCameraHost);
    std::uint16_t imagePort = kImagePort;
    std::uint16_t commandPort = kCommandPort;

    bool operator==(const LaunchOptions &) const = default;
    // "host:image:command", as the settings list the cameras used.
    QString text() const;
    static std::optional<LaunchOptions> fromText(const QString &text);

    // The camera in use kept in settings (group "camera"); nothing when none is kept or it is unusable.
    static std::optional<LaunchOptions> remembered(QSettings &settings);
    // Keeps camera as the one in use and first of the last kRecent cameras used.
    static void remember(QSettings &settings, const LaunchOptions &camera);
    static QList<LaunchOptions> recent(QSettings &settings);
    static constexpr int kRecent = 5;

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
    // --camera, --image-port or --command-port was given: the command line wins over the remembered camera.
    bool addressGiven = false;
    // The help text for ShowHelp, "deskcam VERSION" for ShowVersion, the error for Fail (followed by a hint
    // to use --help).
    QString message;
};
