#include "viewer/LaunchOptions.h"

#include "base/Version.h"

#include <QCommandLineParser>

namespace {

// A port given on the command line: a whole number from 1 to 65535.
bool readPort(const QString &text, std::uint16_t &port) {
    bool isNumber = false;
    const uint value = text.toUInt(&isNumber);
    if (!isNumber || value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace

LaunchOptions::Parsed LaunchOptions::parse(const QStringList &arguments) {
    const LaunchOptions defaults;
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption camera(
        QStringLiteral("camera"),
        QStringLiteral("Camera address or host name (default %1).").arg(defaults.camera),
        QStringLiteral("HOST"), defaults.camera);
    const QCommandLineOption imagePort(
        QStringLiteral("image-port"),
        QStringLiteral("TCP port of the picture stream (default %1).").arg(defaults.imagePort),
        QStringLiteral("P"), QString::number(defaults.imagePort));
    const QCommandLineOption commandPort(
        QStringLiteral("command-port"),
        QStringLiteral("UDP port of the command service (default %1).").arg(defaults.commandPort),
        QStringLiteral("P"), QString::number(defaults.commandPort));
    parser.addOptions({help, version, camera, imagePort, commandPort});

    Parsed result;
    const QString hint = QStringLiteral("\nTry 'deskcam --help' for more information.");
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        result.outcome = Outcome::ShowHelp;
        result.message = usage();
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = Outcome::ShowVersion;
        result.message = QString::fromStdString(deskcam::versionLine("deskcam"));
        return result;
    }
    if (!parsed) {
        result.outcome = Outcome::Fail;
        result.message = parser.errorText() + hint;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.outcome = Outcome::Fail;
        result.message =
            QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()) + hint;
        return result;
    }
    result.options.camera = parser.value(camera).trimmed();
    if (result.options.camera.isEmpty()) {
        result.outcome = Outcome::Fail;
        result.message = QStringLiteral("--camera needs a host name or address.") + hint;
        return result;
    }
    for (const auto &[option, port] : {std::pair{&imagePort, &result.options.imagePort},
                                       std::pair{&commandPort, &result.options.commandPort}}) {
        if (!readPort(parser.value(*option), *port)) {
            result.outcome = Outcome::Fail;
            result.message = QStringLiteral("--%1 must be a port number from 1 to 65535, not '%2'.")
                                 .arg(option->names().first(), parser.value(*option)) +
                             hint;
            return result;
        }
    }
    return result;
}

LaunchOptions::Parsed LaunchOptions::parse(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return parse(arguments);
}

QString LaunchOptions::usage() {
    const LaunchOptions defaults;
    return QStringLiteral(
               "Usage: deskcam [--camera HOST] [--image-port P] [--command-port P]\n"
               "\n"
               "Shows the live picture of a network document camera: fit, 1:1, zoom, turn and pan it, switch "
               "the\n"
               "camera's resolution, capture stills and record video. The viewer reconnects by itself "
               "whenever\n"
               "the camera goes away.\n"
               "\n"
               "Options:\n"
               "  --camera HOST        camera address or host name (default %1)\n"
               "  --image-port P       TCP port of the camera's picture stream (default %2)\n"
               "  --command-port P     UDP port of the camera's command service (default %3)\n"
               "  -h, --help           show this help and exit\n"
               "  -v, --version        show the version and exit\n"
               "\n"
               "Environment:\n"
               "  DESKCAM_LANG         en or zh_CN: the language of the window texts (default: the "
               "system's)\n"
               "\n"
               "Files:\n"
               "  ~/.config/deskcam/deskcam.conf\n"
               "                       the save folder, asked for at the first capture or recording\n")
        .arg(defaults.camera)
        .arg(defaults.imagePort)
        .arg(defaults.commandPort);
}
