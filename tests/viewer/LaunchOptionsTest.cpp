#include "viewer/LaunchOptions.h"

#include <gtest/gtest.h>
#include <QHostAddress>

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
