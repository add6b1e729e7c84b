#include "device/CommandUDPSocket.h"

#include "device/CommandCodec.h"
#include "dispatch/MainQueue.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

// 1920 x 1080 and 1280 x 720, as the camera sends them.
const Bytes kExampleListReply = {'R', 'E',  'T',  'C',  'M',  'D',  0,    0,    0,    0,    0x09, 0,    0,
                                 0,   0x00, 0x02, 0x80, 0x07, 0x38, 0x04, 0x19, 0x00, 0x05, 0xD0, 0x02, 0x19};

Bytes setReply(std::uint8_t byte12) {
    Bytes reply(CommandCodec::command_return_set_resolution.begin(),
                CommandCodec::command_return_set_resolution.end());
    reply[12] = byte12;
    return reply;
}

// The camera's command port: a plain datagram socket on loopback that answers whoever wrote last.
class FakeCamera {
  public:
    FakeCamera() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        const auto any = SocketAddress::ipv4("127.0.0.1", 0);
        EXPECT_EQ(::bind(fd_, any.sockaddrPointer(), any.length()), 0);
        sockaddr_storage bound{};
        socklen_t length = sizeof bound;
        getsockname(fd_, reinterpret_cast<sockaddr *>(&bound), &length);
        port_ = SocketAddress(reinterpret_cast<sockaddr *>(&bound), length).port();
    }
    ~FakeCamera() { ::close(fd_); }

    std::uint16_t port() const { return port_; }

    // The next request, or an empty optional when none comes within timeout.
    std::optional<Bytes> request(std::chrono::milliseconds timeout = 5000ms) {
        pollfd ready{fd_, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(timeout.count())) != 1) return std::nullopt;
        Bytes data(65535);
        sockaddr_storage from{};
        socklen_t length = sizeof from;
        const ssize_t received =
            ::recvfrom(fd_, data.data(), data.size(), 0, reinterpret_cast<sockaddr *>(&from), &length);
        if (received < 0) return std::nullopt;
        client_ = SocketAddress(reinterpret_cast<sockaddr *>(&from), length);
        data.resize(static_cast<std::size_t>(received));
        return data;
    }

    void reply(const Bytes &datagram) {
        ASSERT_FALSE(client_.empty()) << "nobody has asked yet";
        ASSERT_EQ(
            ::sendto(fd_, datagram.data(), datagram.size(), 0, client_.sockaddrPointer(), client_.length()),
            static_cast<ssize_t>(datagram.size()));
    }

  private:
    int fd_ = -1;
    std::uint16_t port_ = 0;
    SocketAddress client_;
};

// Plays the viewer: writes down each delegate call, the fill with the entries' titles.
class RecordingViewer : public CommandUDPSocketDelegate {
  public:
    explicit RecordingViewer(CommandUDPSocket *&channel) : channel_(channel) {}

    void ClearResolution() override {
        EXPECT_TRUE(channel_->m_resolution_list().empty());
        record("clear");
    }
    void fillResolution() override {
        std::string titles;
        for (const auto &entry : channel_->m_resolution_list()) {
            if (!titles.empty()) titles += ' ';
            titles += std::to_string(entry.width) + "*" + std::to_string(entry.height);
        }
        record("fill " + titles);
    }
    void commandSocketDidClose() override { record("closed"); }
    void setResolutionReplied(std::int32_t result, bool complete) override {
        record("set " + std::to_string(result) + (complete ? "" : " short"));
    }

    bool waitForCount(std::size_t count) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [&] { return lines_.size() >= count; });
    }
    std::vector<std::string> lines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }

  private:
    void record(const std::string &line) {
        std::lock_guard lock(mutex_);
        lines_.push_back(line);
        changed_.notify_all();
    }

    CommandUDPSocket *&channel_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> lines_;
};

class CommandUDPSocketTest : public ::testing::Test {
  protected:
    CommandUDPSocketTest() {
        channel = channelOwner.get();
        channel->setDelegate(&viewer);
    }

    void connect() { EXPECT_FALSE(channel->ConnectUDPHost("127.0.0.1", camera.port())) << "always NO"; }

    // Runs fn on the main event queue, where the channel's state lives.
    void onMain(const std::function<void()> &fn) { mainQueue->sync(fn); }

    // Lets everything the socket has produced so far reach the channel.
    void drain() {
        (void)channel->m_Command_Socket()->isConnected();
        mainQueue->sync([] {});
    }

    // Sends a list request, takes it at the camera and answers it with reply.
    void askAndReply(const Bytes &reply) {
        channel->sendData(nullptr, SEND_GET_RESOLUTION);
        ASSERT_TRUE(camera.request());
        camera.reply(reply);
    }

    // Connects, takes the list request and answers it with the example list.
    void receiveExampleList() {
        connect();
        channel->sendData(nullptr, SEND_GET_RESOLUTION);
        ASSERT_TRUE(camera.request());
        camera.reply(kExampleListReply);
        ASSERT_TRUE(viewer.waitForCount(2));
        ASSERT_EQ(viewer.lines(), (std::vector<std::string>{"clear", "fill 1920*1080 1280*720"}));
    }

    FakeCamera camera;
    dispatch::QueuePtr mainQueue = dispatch::useSerialMainQueue();
    CommandUDPSocket *channel = nullptr;
    RecordingViewer viewer{channel};
    std::unique_ptr<CommandUDPSocket> channelOwner = std::make_unique<CommandUDPSocket>();
};

TEST_F(CommandUDPSocketTest, ListRequestGetsTheCamerasListInOrder) {
    testing::internal::CaptureStderr();
    connect();
    channel->sendData(nullptr, SEND_GET_RESOLUTION);
    const auto request = camera.request();
    ASSERT_TRUE(request);
    ASSERT_EQ(request->size(), 14u);
    EXPECT_EQ(Bytes(request->begin(), request->begin() + 6), Bytes({'S', 'E', 'T', 'C', 'M', 'D'}));
    EXPECT_EQ((*request)[10], 9);

    camera.reply(kExampleListReply);
    ASSERT_TRUE(viewer.waitForCount(2));
    drain();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(viewer.lines(), (std::vector<std::string>{"clear", "fill 1920*1080 1280*720"}));
    EXPECT_NE(log.find("CommandUDPSocket connected！\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("SEND_GET_RESOLUTION sended!\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("remove all object!\n"), std::string::npos) << log;

    onMain([&] {
        const auto &list = channel->m_resolution_list();
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[1].raw, (std::array<std::uint8_t, 10>{0x00, 0x05, 0xD0, 0x02}));
    });
}

TEST_F(CommandUDPSocketTest, RepeatedRecordAndEmptyListReplaceTheList) {
    receiveExampleList();
    Bytes repeated = kExampleListReply;
    std::copy_n(kExampleListReply.begin() + 16, 5, repeated.begin() + 21);
    askAndReply(repeated);
    askAndReply({'R', 'E', 'T', 'C', 'M', 'D', 0, 0, 0, 0, 0x09, 0, 0, 0, 0, 0});
    ASSERT_TRUE(viewer.waitForCount(6));
    EXPECT_EQ(viewer.lines(), (std::vector<std::string>{"clear", "fill 1920*1080 1280*720", "clear",
                                                        "fill 1920*1080", "clear", "fill "}));
}

TEST_F(CommandUDPSocketTest, WrongLengthAndShortRepliesLeaveTheListAlone) {
    receiveExampleList();
    testing::internal::CaptureStdout();
    Bytes wrongLength = kExampleListReply;
    wrongLength.pop_back();  // 25 bytes announcing 2 records
    askAndReply(wrongLength);
    camera.reply({'R', 'E', 'T', 'C', 'M', 'D', 0, 0, 0, 0});                   // no command byte
    askAndReply({'R', 'E', 'T', 'C', 'M', 'D', 0, 0, 0, 0, 0x09, 0, 0, 0, 0});  // no record count
    askAndReply(Bytes(kExampleListReply.begin(), kExampleListReply.begin() + 11));
    const Bytes success = setReply(0x01);
    camera.reply(Bytes(success.begin(), success.begin() + 14));  // set reply cut short
    camera.reply({'X', 'E', 'T', 'C', 'M', 'D', 0, 0, 0, 0, 0x09, 0, 0, 0, 0, 0});
    camera.reply(setReply(0x02));  // not a success; marks the end of the batch
    ASSERT_TRUE(viewer.waitForCount(4));
    drain();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "**取分辨率数据长度异常！长度：9l");
    EXPECT_EQ(viewer.lines(),
              (std::vector<std::string>{"clear", "fill 1920*1080 1280*720", "set -1 short", "set -1"}));
    onMain([&] { EXPECT_EQ(channel->m_resolution_list().size(), 2u); });

    onMain([&] {
        EXPECT_EQ(channel->func_get_resolution(kExampleListReply.data(), 15), 0);
        EXPECT_EQ(channel->func_return_set_resolution(success.data(), 14), -1);
    });
}

// 256 entries is all the set request can address; count distinct sizes from 100x100 up.
Bytes listReply(int entries) {
    // Sized first and written in place: g++ 12 -O3 misreads inserts of a few bytes (-Wstringop-overflow).
    Bytes reply(16 + 5 * std::size_t(entries));
    std::copy_n(kExampleListReply.begin(), 14, reply.begin());
    reply[14] = std::uint8_t(entries >> 8);
    reply[15] = std::uint8_t(entries);
    for (int i = 0; i < entries; ++i) {
        const int width = 100 + i;
        std::uint8_t *record = reply.data() + 16 + 5 * i;
        record[0] = std::uint8_t(width), record[1] = std::uint8_t(width >> 8), record[2] = 100,
        record[4] = 0x19;
    }
    return reply;
}

TEST_F(CommandUDPSocketTest, OnlyRequestedListsAreTakenOneReplyPerRequest) {
    receiveExampleList();
    testing::internal::CaptureStderr();
    // Unrequested, and a second answer to a request already answered: dropped, in one log line. A set
    // reply after each batch marks when the channel has seen it (loopback keeps the order).
    for (int i = 0; i < 20; ++i) camera.reply(listReply(3));
    camera.reply(setReply(0x02));
    ASSERT_TRUE(viewer.waitForCount(3));
    askAndReply(listReply(4));
    camera.reply(listReply(5));
    camera.reply(setReply(0x02));
    ASSERT_TRUE(viewer.waitForCount(6));
    askAndReply(listReply(300));
    ASSERT_TRUE(viewer.waitForCount(8));
    drain();
    const std::string log = testing::internal::GetCapturedStderr();
    const auto lines = viewer.lines();
    const auto entries = [](const std::string &line) { return std::count(line.begin(), line.end(), '*'); };
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2], "set -1") << "none of the 20 unrequested lists was taken";
    EXPECT_EQ(entries(lines[4]), 4) << "the list asked for comes through";
    EXPECT_EQ(lines[5], "set -1") << "the second answer to one request was dropped";
    EXPECT_EQ(entries(lines[7]), 256) << "cut at what the set request addresses";
    EXPECT_NE(log.find("ignored 1 unrequested replies"), std::string::npos) << log;
    EXPECT_LT(std::count(log.begin(), log.end(), '\n'), 10) << "the flood is not logged reply by reply";
    EXPECT_NE(log.find("cut to its first 256 of 300 entries"), std::string::npos) << log;
}

TEST_F(CommandUDPSocketTest, ChoosingAnEntrySendsTheListRequestThenItsRawBytes) {
    receiveExampleList();
    bool accepted = false;
    onMain([&] { accepted = channel->control_set_resolution(0); });
    EXPECT_TRUE(accepted);
    const auto listRequest = camera.request();
    const auto setRequest = camera.request();
    ASSERT_TRUE(listRequest && setRequest);
    EXPECT_EQ(listRequest->size(), 14u);
    EXPECT_EQ((*listRequest)[10], 9);
    ASSERT_EQ(setRequest->size(), 20u);
    EXPECT_EQ(*setRequest,
              (Bytes{'S', 'E', 'T', 'C', 'M', 'D', 8, 0, 0, 0, 8, 0, 5, 0, 0x80, 0x07, 0x38, 0x04, 0x19, 0}));

    onMain([&] { channel->control_set_resolution(1); });
    ASSERT_TRUE(camera.request());
    const auto secondSet = camera.request();
    ASSERT_TRUE(secondSet);
    EXPECT_EQ(Bytes(secondSet->begin() + 14, secondSet->begin() + 18), (Bytes{0x00, 0x05, 0xD0, 0x02}));

    // The template is shared by the whole process and keeps the last choice: a set request from a new channel
    // carries it too.
    CommandUDPSocket another;
    another.ConnectUDPHost("127.0.0.1", camera.port());
    another.sendData(nullptr, SEND_SET_RESOLUTION);
    const auto fromAnother = camera.request();
    ASSERT_TRUE(fromAnother);
    EXPECT_EQ(Bytes(fromAnother->begin() + 14, fromAnother->begin() + 18), (Bytes{0x00, 0x05, 0xD0, 0x02}));
}

TEST_F(CommandUDPSocketTest, InvalidIndexSendsOnlyTheListRequest) {
    connect();
    testing::internal::CaptureStdout();
    bool accepted = true;
    onMain([&] { accepted = channel->control_set_resolution(0); });
    EXPECT_FALSE(accepted) << "the list is still empty";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "**设置分辨率参数有误");
    const auto request = camera.request();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->size(), 14u);
    EXPECT_FALSE(camera.request(100ms)) << "no set request may follow";

    camera.reply(kExampleListReply);
    ASSERT_TRUE(viewer.waitForCount(2));
    onMain([&] { accepted = channel->control_set_resolution(2); });
    EXPECT_FALSE(accepted) << "index 2 of a two-entry list";
    EXPECT_EQ(camera.request()->size(), 14u);
    EXPECT_FALSE(camera.request(100ms));
}

TEST_F(CommandUDPSocketTest, SetReplyPrintsSuccessOnlyForTheExactReply) {
    receiveExampleList();
    testing::internal::CaptureStdout();
    camera.reply(setReply(0x01));
    camera.reply(setReply(0x02));
    ASSERT_TRUE(viewer.waitForCount(4));
    drain();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "分辨率设置成功。。。。。。\r\n");
    EXPECT_EQ(viewer.lines()[2], "set 0");
    EXPECT_EQ(viewer.lines()[3], "set -1");
    onMain([&] { EXPECT_EQ(channel->m_resolution_list().size(), 2u); });
}

TEST_F(CommandUDPSocketTest, EveryListRequestDrawsANonZeroRandomByte) {
    connect();
    std::set<std::uint8_t> seen;
    for (int batch = 0; batch < 6; ++batch) {
        for (int i = 0; i < 50; ++i) channel->sendData(nullptr, SEND_GET_RESOLUTION);
        for (int i = 0; i < 50; ++i) {
            const auto request = camera.request();
            ASSERT_TRUE(request);
            ASSERT_EQ(request->size(), 14u);
            EXPECT_NE((*request)[6], 0);
            seen.insert((*request)[6]);
        }
    }
    EXPECT_GT(seen.size(), 100u) << "300 draws from 1..255 should hit many values";

    channel->sendData(nullptr, SEND_REBOOT);
    channel->sendData(nullptr, 0);
    EXPECT_FALSE(camera.request(100ms)) << "only tags 1 and 2 have a datagram";
}

TEST_F(CommandUDPSocketTest, RefusedConnectIsLoggedAndSendsFailByTag) {
    testing::internal::CaptureStderr();
    EXPECT_FALSE(channel->ConnectUDPHost("", camera.port()));
    channel->sendData(nullptr, SEND_GET_RESOLUTION);
    channel->sendData(nullptr, SEND_SET_RESOLUTION);
    drain();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("连接失败\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Error:SEND_GET_RESOLUTION send fail!\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Error:SEND_SET_RESOLUTION send fail!\r\n"), std::string::npos) << log;
    EXPECT_FALSE(camera.request(50ms));
}

TEST_F(CommandUDPSocketTest, APortThatIsNotServedClosesTheChannelAndTellsTheViewer) {
    std::uint16_t closedPort = 0;
    {
        FakeCamera gone;
        closedPort = gone.port();
    }
    testing::internal::CaptureStderr();
    channel->ConnectUDPHost("127.0.0.1", closedPort);
    channel->sendData(nullptr, SEND_GET_RESOLUTION);
    ASSERT_TRUE(viewer.waitForCount(1));
    EXPECT_EQ(viewer.lines(), std::vector<std::string>{"closed"});
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("CommandUDPSocket closed: "), std::string::npos) << log;
    EXPECT_TRUE(channel->m_Command_Socket()->isClosed());
}

TEST_F(CommandUDPSocketTest, SendCallbacksLogByTag) {
    testing::internal::CaptureStderr();
    onMain([&] {
        for (long tag : {3L, 42L}) {
            channel->udpSocketDidSendDataWithTag(channel->m_Command_Socket(), tag);
            channel->udpSocketDidNotSendDataWithTag(channel->m_Command_Socket(), tag, TransportError{});
        }
    });
    const std::string log = testing::internal::GetCapturedStderr();
    for (const char *line : {"SEND_REBOOT sended!\r\n", "Error:SEND_REBOOT send fail!\r\n",
                             "Unknown udp string sended!\r\n", "Error:Unknown udp string send fail!\r\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line;
    }
}

TEST_F(CommandUDPSocketTest, DiscardingTheChannelWhileRepliesArriveIsSafe) {
    receiveExampleList();
    std::thread flood([&] {
        for (int i = 0; i < 300; ++i) camera.reply(kExampleListReply);
    });
    std::this_thread::sleep_for(2ms);
    // What the viewer's worker does with the previous channel.
    channel->m_Command_Socket()->setDelegate(nullptr);
    channel->m_Command_Socket()->close();
    channelOwner.reset();
    const std::size_t linesAtDiscard = viewer.lines().size();
    flood.join();
    mainQueue->sync([] {});
    std::this_thread::sleep_for(20ms);
    mainQueue->sync([] {});
    EXPECT_EQ(viewer.lines().size(), linesAtDiscard) << "no delegate call after the channel is gone";
}

// Random and mutated replies straight into reply dispatch, each in a heap block of exactly its length, so the
// sanitizer build sees any read past the datagram. The list must stay free of repeats whatever arrives.
TEST_F(CommandUDPSocketTest, ReplyDispatchSurvivesRandomAndMutatedDatagrams) {
    std::mt19937 random(7);
    testing::internal::CaptureStdout();
    onMain([&] {
        for (int round = 0; round < 5000; ++round) {
            Bytes datagram = round % 2 ? kExampleListReply : setReply(0x01);
            if (round % 3 == 0) {
                datagram.resize(random() % 40);
                for (auto &b : datagram) b = static_cast<std::uint8_t>(random());
            }
            datagram.resize(random() % (datagram.size() + 8));
            if (!datagram.empty() && random() % 2)
                datagram[random() % datagram.size()] ^= 1u << (random() % 8);
            const auto exact = std::make_unique<std::uint8_t[]>(datagram.size());
            std::copy(datagram.begin(), datagram.end(), exact.get());
            channel->analysis_recvive_command(exact.get(), datagram.size());

            std::set<std::pair<std::uint64_t, std::uint64_t>> sizes;
            for (const auto &entry : channel->m_resolution_list()) {
                ASSERT_TRUE(sizes.insert({entry.width, entry.height}).second);
            }
        }
    });
    (void)testing::internal::GetCapturedStdout();
}

}  // namespace
