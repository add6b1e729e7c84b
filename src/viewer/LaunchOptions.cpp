#include "viewer/LaunchOptions.h"

#include "base/OptionTable.h"
#include "base/Version.h"
#include "viewer/ViewerSettings.h"

#include <QSettings>

namespace {

// A port given on the command line: a whole number from 1 to 65535.
bool readPort(const QString &text, std::uint16_t &port) {
    bool isNumber = false;
    const uint value = text.toUInt(&isNumber);
    if (!isNumber || value == 0 || value > 65535) return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

const OptionTable &launchTable() {
    static const OptionTable table = [] {
        const LaunchOptions defaults;
        OptionTable t(QStringLiteral("deskcam"));
        t.setHelpColumn(23)
            .setDescription(QStringLiteral(
                "Shows the live picture of a network document camera: fit, 1:1, zoom, turn and pan it, "
                "switch "
                "the\n"
                "camera's resolution, capture stills and record video. The viewer reconnects by itself "
                "whenever\n"
                "the camera goes away."))
            .add({{QStringLiteral("camera")},
                  QStringLiteral("HOST"),
                  QStringLiteral("camera address or host name (default %1)").arg(defaults.camera)})
            .add({{QStringLiteral("image-port")},
                  QStringLiteral("P"),
                  QStringLiteral("TCP port of the camera's picture stream (default %1)")
                      .arg(defaults.imagePort)})
            .add({{QStringLiteral("command-port")},
                  QStringLiteral("P"),
                  QStringLiteral("UDP port of the camera's command service (default %1)")
                      .arg(defaults.commandPort)})
            .addHelp(QStringLiteral("show this help and exit"))
            .addVersion(QStringLiteral("show the version and exit"))
            .addSection(
                {QStringLiteral("Environment"),
                 {{QStringLiteral("DESKCAM_LANG"),
                   QStringLiteral("en or zh_CN: the language of the window texts (default: the system's)")}}})
            .addSection(
                {QStringLiteral("Files"),
                 {{QStringLiteral("~/.config/deskcam/deskcam.conf"),
                   QStringLiteral("the save folder, asked for at the first capture or recording, and the "
                                  "camera used without --camera (group camera: host, image_port, "
                                  "command_port)")}}});
        return t;
    }();
    return table;
}

}  // namespace

LaunchOptions::Parsed LaunchOptions::parse(const QStringList &arguments) {
    const LaunchOptions defaults;
    const OptionTable::Parsed parser = launchTable().parse(arguments);

    Parsed result;
    const QString hint = QStringLiteral("\nTry 'deskcam --help' for more information.");
    if (parser.isSet(QStringLiteral("help"))) {
        result.outcome = Outcome::ShowHelp;
        result.message = usage();
        return result;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        result.outcome = Outcome::ShowVersion;
        result.message = QString::fromStdString(deskcam::versionLine("deskcam"));
        return result;
    }
    if (!parser.ok()) {
        result.outcome = Outcome::Fail;
        result.message = parser.error + hint;
        return result;
    }
    result.addressGiven = parser.isSet(QStringLiteral("camera")) ||
                          parser.isSet(QStringLiteral("image-port")) ||
                          parser.isSet(QStringLiteral("command-port"));
    result.options.camera = parser.value(QStringLiteral("camera"), defaults.camera).trimmed();
    if (result.options.camera.isEmpty()) {
        result.outcome = Outcome::Fail;
        result.message = QStringLiteral("--camera needs a host name or address.") + hint;
        return result;
    }
    for (const auto &[name, port] :
         {std::pair{QStringLiteral("image-port"), &result.options.imagePort},
          std::pair{QStringLiteral("command-port"), &result.options.commandPort}}) {
        const QString text = parser.value(name, QString::number(*port));
        if (!readPort(text, *port)) {
            result.outcome = Outcome::Fail;
            result.message =
                QStringLiteral("--%1 must be a port number from 1 to 65535, not '%2'.").arg(name, text) +
                hint;
            return result;
        }
    }
    return result;
}

LaunchOptions::Parsed LaunchOptions::parse(int argc, char *argv[]) {
    return parse(OptionTable::words(argc, argv));
}

QString LaunchOptions::text() const {
    return QStringLiteral("%1:%2:%3").arg(camera).arg(imagePort).arg(commandPort);
}

std::optional<LaunchOptions> LaunchOptions::fromText(const QString &text) {
    // The host may hold colons itself (an IPv6 address): the ports are the last two fields.
    const qsizetype second = text.lastIndexOf(QLatin1Char(':'));
    const qsizetype first = second > 0 ? text.lastIndexOf(QLatin1Char(':'), second - 1) : -1;
    LaunchOptions camera;
    if (first <= 0) return std::nullopt;
    camera.camera = text.left(first).trimmed();
    if (camera.camera.isEmpty() || !readPort(text.mid(first + 1, second - first - 1), camera.imagePort) ||
        !readPort(text.mid(second + 1), camera.commandPort))
        return std::nullopt;
    return camera;
}

std::optional<LaunchOptions> LaunchOptions::remembered(QSettings &settings) {
    settings.beginGroup(QLatin1String(ViewerSettings::kCameraGroup));
    const QString text =
        QStringLiteral("%1:%2:%3")
            .arg(settings.value(QLatin1String(ViewerSettings::kCameraHostKey)).toString(),
                 settings.value(QLatin1String(ViewerSettings::kCameraImagePortKey)).toString(),
                 settings.value(QLatin1String(ViewerSettings::kCameraCommandPortKey)).toString());
    settings.endGroup();
    return fromText(text);
}

QList<LaunchOptions> LaunchOptions::recent(QSettings &settings) {
    settings.beginGroup(QLatin1String(ViewerSettings::kCameraGroup));
    const QStringList texts = settings.value(QLatin1String(ViewerSettings::kCameraRecentKey)).toStringList();
    settings.endGroup();
    QList<LaunchOptions> cameras;
    for (const QString &text : texts)
        if (const auto camera = fromText(text);
            camera && !cameras.contains(*camera) && cameras.size() < kRecent)
            cameras.append(*camera);
    return cameras;
}

void LaunchOptions::remember(QSettings &settings, const LaunchOptions &camera) {
    QList<LaunchOptions> cameras = recent(settings);
    cameras.removeAll(camera);
    cameras.prepend(camera);
    QStringList texts;
    for (const LaunchOptions &used : cameras.mid(0, kRecent)) texts.append(used.text());
    settings.beginGroup(QLatin1String(ViewerSettings::kCameraGroup));
    settings.setValue(QLatin1String(ViewerSettings::kCameraHostKey), camera.camera);
    settings.setValue(QLatin1String(ViewerSettings::kCameraImagePortKey), camera.imagePort);
    settings.setValue(QLatin1String(ViewerSettings::kCameraCommandPortKey), camera.commandPort);
    settings.setValue(QLatin1String(ViewerSettings::kCameraRecentKey), texts);
    settings.endGroup();
}

QString LaunchOptions::usage() {
    return launchTable().helpText();
}
