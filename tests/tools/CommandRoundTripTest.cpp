// deskcam-sim's command service and deskcam-cli's resolutions and set-resolution as separate programs on
// loopback: the list printed is the list offered, a choice switches the size of the streamed pictures.

#include "ChildProcess.h"
#include "SimulatorProcess.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <QImage>
#include <QTemporaryDir>

namespace {

struct CliRun {
    int exitCode = -1;
    std::string output;
};

class CommandRoundTripTest : public testing::Test {
  protected:
    // Starts the test-card simulator on free ports; false when it did not print both ports.
    bool startSimulator(const QStringList &options) {
        if (!simulator.start(QStringList{"--size", "640x480", "--fps", "50"} + options)) return false;
        imagePort = std::to_string(simulator.imagePort());
        commandPort = std::to_string(simulator.commandPort());
        return true;
    }

    std::string simulatorLog() const { return simulator.log().toStdString(); }

    // The program's standard output, or with errorsOnly its standard error.
    CliRun runCli(std::vector<std::string> args, const std::string &port, bool errorsOnly = false) {
        args.insert(args.begin(), DESKCAM_CLI_PATH);
        args.insert(args.end(), {"--camera", "127.0.0.1", "--command-port", port});
        if (errorsOnly) {
            std::string command = "exec";
            for (const auto &arg : args) command += " '" + arg + "'";
            args = {"/bin/sh", "-c", command + " 2>&1 >/dev/null"};
        }
        ChildProcess cli(args);
        CliRun run;
        run.output = cli.readAll();
        run.exitCode = cli.wait();
        return run;
    }

    QTemporaryDir dir;
    SimulatorProcess simulator;
    std::string imagePort;
    std::string commandPort;
};

TEST_F(CommandRoundTripTest, ListsChoosesAndStreamsTheNewSize) {
    ASSERT_TRUE(startSimulator({}));
    const auto listed = runCli({"resolutions", "--timeout", "5"}, commandPort);
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.output, "1920*1080\n1280*720\n640*480\n");

    const auto chosen = runCli({"set-resolution", "1", "--timeout", "5"}, commandPort);
    EXPECT_EQ(chosen.exitCode, 0);
    EXPECT_EQ(chosen.output, "分辨率设置成功。。。。。。\r\n");
    // The choice went out as the list request followed by the set request carrying 1280 x 720 as sent.
    const std::string log = simulatorLog();
    const auto setRequest = log.find("53 45 54 43 4D 44 08 00 00 00 08 00 05 00 00 05 D0 02 19 00");
    ASSERT_NE(setRequest, std::string::npos) << log;
    EXPECT_NE(log.rfind("00 00 00 09 00 00 00\n", setRequest), std::string::npos) << log;

    const QString out = dir.filePath("frames");
    ChildProcess frames({DESKCAM_CLI_PATH, "frames", "--camera", "127.0.0.1", "--image-port", imagePort,
                         "--count", "2", "--out", out.toStdString(), "--timeout", "10"});
    (void)frames.readAll();
    ASSERT_EQ(frames.wait(), 0);
    for (const char *name : {"/frame_0001.jpg", "/frame_0002.jpg"}) {
        EXPECT_EQ(QImage(out + name, "JPG").size(), QSize(1280, 720)) << name;
    }
}

TEST_F(CommandRoundTripTest, RepeatedEntryIsListedOnce) {
    ASSERT_TRUE(startSimulator({"--resolutions", "1920x1080,640x480,1920x1080"}));
    const auto listed = runCli({"resolutions"}, commandPort);
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_EQ(listed.output, "1920*1080\n640*480\n");
}

TEST_F(CommandRoundTripTest, WrongLengthListIsReportedAndFails) {
    ASSERT_TRUE(startSimulator({"--bad-list-length"}));
    const auto listed = runCli({"resolutions", "--timeout", "1"}, commandPort);
    EXPECT_EQ(listed.exitCode, 1);
    // Three records are 15 bytes; the reply carries one less.
    EXPECT_EQ(listed.output, "**取分辨率数据长度异常！长度：14l");
}

// The second list reply (choosing asks for the list again) may still be arriving while the program ends;
// a callback running then once read the channel as it was being destroyed: a crash in about 3 % of runs.
TEST_F(CommandRoundTripTest, ASetResolutionEndsCleanlyWhileAListReplyArrives) {
    ASSERT_TRUE(startSimulator({"--refuse-set"}));
    int crashes = 0;
    for (int run = 0; run < 40; ++run)
        if (runCli({"set-resolution", "3", "--timeout", "5"}, commandPort).exitCode != 1) ++crashes;
    EXPECT_EQ(crashes, 0);
}

TEST_F(CommandRoundTripTest, IndexOutsideTheListAndRefusalFail) {
    ASSERT_TRUE(startSimulator({"--refuse-set"}));
    const auto outside = runCli({"set-resolution", "3", "--timeout", "5"}, commandPort);
    EXPECT_EQ(outside.exitCode, 1);
    EXPECT_EQ(outside.output, "**设置分辨率参数有误");

    const auto refused = runCli({"set-resolution", "0", "--timeout", "5"}, commandPort);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.output, "") << "no success line for a refusal";
    EXPECT_NE(simulatorLog().find("command: refusing 1920x1080"), std::string::npos);

    EXPECT_EQ(runCli({"set-resolution", "x"}, commandPort).exitCode, 2);
}

TEST_F(CommandRoundTripTest, ShortSetReplyIsNoValidAnswerNotARefusal) {
    ASSERT_TRUE(startSimulator({"--short-set-reply"}));
    const auto chosen = runCli({"set-resolution", "--timeout", "5", "1"}, commandPort, true);
    EXPECT_EQ(chosen.exitCode, 1);
    EXPECT_NE(chosen.output.find("no valid answer to the choice of 1280*720"), std::string::npos)
        << chosen.output;
    EXPECT_EQ(chosen.output.find("refused"), std::string::npos) << chosen.output;
}

TEST_F(CommandRoundTripTest, SilentCameraFails) {
    // A bound port that never answers.
    const int silent = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(silent, reinterpret_cast<sockaddr *>(&address), &length);
    const std::string port = std::to_string(ntohs(address.sin_port));

    EXPECT_EQ(runCli({"resolutions", "--timeout", "0.5"}, port).exitCode, 1);
    EXPECT_EQ(runCli({"set-resolution", "0", "--timeout", "0.5"}, port).exitCode, 1);
    close(silent);
}

}  // namespace
