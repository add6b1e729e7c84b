#include "viewer/LaunchOptions.h"

#include <gtest/gtest.h>
#include <QHostAddress>
#include <QSettings>
#include <QTemporaryDir>

namespace {

LaunchOptions::Parsed parse(QStringList arguments) {
    arguments.prepend(QStringLiteral("deskcam"));
    return LaunchOptions::parse(arguments);
}

TEST(LaunchOptions, DefaultsAreTheCamerasFactorySettings) {
    const auto parsed = parse({});
    ASSERT_EQ(parsed.outcome, LaunchOptions::Outcome::Run);
    // The camera's factory address, written as a number: this test never connects to it.
    EXPECT_EQ(QHostAddress(parsed.options.camera), QHostAddress(quint32{0xC0A80A7B}));
    EXPECT_EQ(parsed.options.imagePort, 7060);
    EXPECT_EQ(parsed.options.commandPort, 50000);
}

TEST(LaunchOptions, ReadsCameraAndPortsInEitherSpelling) {
    const auto parsed = parse({"--camera", "127.0.0.1", "--image-port=17060", "--command-port", "65535"});
    ASSERT_EQ(parsed.outcome, LaunchOptions::Outcome::Run) << parsed.message.toStdString();
    EXPECT_EQ(parsed.options.camera, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(parsed.options.imagePort, 17060);
    EXPECT_EQ(parsed.options.commandPort, 65535);
}

TEST(LaunchOptions, KnowsWhetherTheCommandLineNamedACamera) {
    EXPECT_FALSE(parse({}).addressGiven);
    for (const QStringList &given :
         {QStringList{"--camera", "127.0.0.1"}, QStringList{"--image-port", "17060"},
          QStringList{"--command-port=15000"}})
        EXPECT_TRUE(parse(given).addressGiven) << given.join(' ').toStdString();
}

// The camera in use and the last five used, newest first and each once; an IPv6 host keeps its colons.
TEST(LaunchOptions, RemembersTheCameraInUseAndTheLastFiveUsed) {
    QTemporaryDir folder;
    QSettings settings(folder.filePath(QStringLiteral("deskcam.conf")), QSettings::IniFormat);
    EXPECT_FALSE(LaunchOptions::remembered(settings));
    const auto camera = [](const char *host, std::uint16_t port) {
        LaunchOptions options;
        options.camera = QString::fromLatin1(host);
        options.imagePort = port;
        options.commandPort = std::uint16_t(port + 1);
        return options;
    };
    for (std::uint16_t port = 1000; port < 1007; ++port)
        LaunchOptions::remember(settings, camera("127.0.0.1", port));
    LaunchOptions::remember(settings, camera("::1", 1004));
    LaunchOptions::remember(settings, camera("127.0.0.1", 1004));
    EXPECT_EQ(LaunchOptions::remembered(settings), camera("127.0.0.1", 1004));
    QStringList used;
    for (const LaunchOptions &options : LaunchOptions::recent(settings)) used << options.text();
    EXPECT_EQ(used, (QStringList{"127.0.0.1:1004:1005", "::1:1004:1005", "127.0.0.1:1006:1007",
                                 "127.0.0.1:1005:1006", "127.0.0.1:1003:1004"}));

    for (const char *bad :
         {"", "host", "host:1", ":7060:50000", "host:0:50000", "host:7060:65536", "host:x:1"})
        EXPECT_FALSE(LaunchOptions::fromText(QString::fromLatin1(bad))) << bad;
    settings.setValue(QStringLiteral("camera/image_port"), 0);
    EXPECT_FALSE(LaunchOptions::remembered(settings)) << "an unusable port is no camera";
}

TEST(LaunchOptions, RejectsWhatIsNoPortOrNoOption) {
    const QStringList bad[] = {
        {"--image-port", "0"},
        {"--image-port", "65536"},
        {"--command-port", "abc"},
        {"--command-port", "-5"},
        {"--camera", ""},
        {"--camera"},
        {"--colour"},
        {"camera.local"},
    };
    for (const QStringList &arguments : bad) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const auto parsed = parse(arguments);
        EXPECT_EQ(parsed.outcome, LaunchOptions::Outcome::Fail);
        EXPECT_TRUE(parsed.message.contains(QStringLiteral("--help")));
    }
    EXPECT_TRUE(parse({"--image-port", "70000"}).message.contains(QStringLiteral("--image-port")));
}

TEST(LaunchOptions, HelpDescribesEveryOptionWithItsDefault) {
    const auto parsed = parse({"--camera", "127.0.0.1", "--help"});
    ASSERT_EQ(parsed.outcome, LaunchOptions::Outcome::ShowHelp);
    const QString factoryCamera = QHostAddress(quint32{0xC0A80A7B}).toString();
    for (const QString &text : {QStringLiteral("--camera HOST"), QStringLiteral("--image-port P"),
                                QStringLiteral("--command-port P"), factoryCamera, QStringLiteral("7060"),
                                QStringLiteral("50000")}) {
        EXPECT_TRUE(parsed.message.contains(text)) << text.toStdString();
    }
}

TEST(LaunchOptions, HelpAndVersionWinOverWhatIsNotKnownBeforeTheWindowSystem) {
    // Qt's own options (-platform offscreen) are unknown here; --help and --version still answer.
    char program[] = "deskcam", platform[] = "-platform", offscreen[] = "offscreen", help[] = "-h",
         version[] = "--version";
    char *withHelp[] = {program, platform, offscreen, help};
    char *withVersion[] = {program, version, platform, offscreen};
    char *withNeither[] = {program, platform, offscreen};
    EXPECT_EQ(LaunchOptions::parse(4, withHelp).outcome, LaunchOptions::Outcome::ShowHelp);
    const auto shown = LaunchOptions::parse(4, withVersion);
    EXPECT_EQ(shown.outcome, LaunchOptions::Outcome::ShowVersion);
    EXPECT_TRUE(shown.message.startsWith(QStringLiteral("deskcam "))) << shown.message.toStdString();
    EXPECT_EQ(LaunchOptions::parse(3, withNeither).outcome, LaunchOptions::Outcome::Fail);
}

}  // namespace
