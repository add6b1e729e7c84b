#include "device/ImageRecvTCPSocket.h"

#include "ImageServer.h"
#include "LoopbackListener.h"
#include "WireFrame.h"
#include "dispatch/MainQueue.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

using namespace std::chrono_literals;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes picture(std::size_t length, std::uint8_t seed) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13);
    return bytes;
}

// What the framing hands to the decoder: the wire frame without its leading start marker.
Bytes deliveredUnit(const Bytes &jpeg, bool badLength = false) {
    Bytes wire = wireFrame(jpeg, {7, badLength});
    return Bytes(wire.begin() + 9, wire.end());
}

std::string asText(const Bytes &bytes) {
    return std::string(bytes.begin(), bytes.end());
}

bool waitUntil(const std::function<bool()> &done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// A receiver whose wall clock the test sets (whole seconds).
class ClockedReceiver : public ImageRecvTCPSocket {
  public:
    std::atomic<std::int64_t> nowSeconds{1'000'000};

  protected:
    timeval wallClockNow() const override { return {static_cast<time_t>(nowSeconds.load()), 250'000}; }
};

// The same picture bytes for every frame, so that what arrives can be compared byte for byte.
class FixedPictures : public PictureSource {
  public:
    explicit FixedPictures(Bytes jpeg) : jpeg_(std::move(jpeg)) {}
    std::vector<std::uint8_t> picture(std::uint64_t) override { return jpeg_; }
    void setSize(int, int) override {}

  private:
    Bytes jpeg_;
};

class ImageRecvTCPSocketTest : public testing::Test {
  protected:
    // Socket callbacks already produced have run once this returns.
    void flushMainQueue() {
        mainQueue->sync([] {});
    }

    dispatch::QueuePtr mainQueue = dispatch::useSerialMainQueue();
};

// ---------------------------------------------------------------------------------------------------------
// Frame decoding and the frame queue

TEST_F(ImageRecvTCPSocketTest, KeepsTheLastThreeFramesAndTheLatestWhole) {
    ImageRecvTCPSocket receiver;
    EXPECT_TRUE(receiver.inited());
    EXPECT_FALSE(receiver.bConnected());
    ASSERT_TRUE(receiver.getFirstImageData());
    EXPECT_TRUE(receiver.getFirstImageData()->empty());

    receiver.func_remove_image_list_first();  // empty queue: nothing happens
    ImageBytes earlier;
    for (std::uint8_t i = 1; i <= 5; ++i) {
        EXPECT_TRUE(receiver.processPackBody(deliveredUnit(picture(10 + i, i))));
        if (i == 4) earlier = receiver.getFirstImageData();
    }
    EXPECT_TRUE(receiver.bConnected());
    EXPECT_EQ(receiver.picturesReceived(), 5u);
    EXPECT_EQ(receiver.pictureBytesReceived(), 11u + 12 + 13 + 14 + 15);
    EXPECT_GT(receiver.latestArrivalMicros(), 0);

    const auto queue = receiver.list_image_data();
    ASSERT_EQ(queue.size(), 3u);
    std::uint8_t seed = 3;
    for (const STRUCT_RECVDATA &entry : queue) {
        const Bytes sent = picture(10 + seed, seed);
        EXPECT_EQ(entry.len, sent.size());
        EXPECT_EQ(Bytes(entry.buf.get(), entry.buf.get() + entry.len), sent)
            << "restored frame " << int(seed);
        EXPECT_EQ(entry.buf[entry.len], 0) << "entries end in a zero byte";
        ++seed;
    }
    EXPECT_EQ(*receiver.getFirstImageData(), picture(15, 5));
    EXPECT_EQ(*earlier, picture(14, 4)) << "a reader keeps the frame it took";

    const auto copy = receiver.list_image_data();
    receiver.func_remove_image_list_first();
    EXPECT_EQ(receiver.list_image_data().size(), 2u);
    EXPECT_EQ(copy.front().buf[0], picture(13, 3)[0]) << "a copy keeps its buffers after removal";
    EXPECT_EQ(receiver.takeOldestFrame()->len, 14u);
    EXPECT_EQ(receiver.list_image_data().size(), 1u);
}

TEST_F(ImageRecvTCPSocketTest, RejectedAndEmptyUnitsLeaveTheQueueAlone) {
    ImageRecvTCPSocket receiver;
    EXPECT_FALSE(receiver.processPackBody(Bytes(31, 0)));

    testing::internal::CaptureStdout();
    EXPECT_TRUE(receiver.processPackBody(deliveredUnit(picture(16, 1), /*badLength=*/true)));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error: func_trans_recv()图像数据长度异常！\r\n");
    EXPECT_FALSE(receiver.bConnected());

    Bytes truncated = deliveredUnit(picture(16, 1));
    truncated[4] = 200;  // declares 200 picture bytes, carries 16 and the marker
    EXPECT_TRUE(receiver.processPackBody(truncated));
    EXPECT_TRUE(receiver.list_image_data().empty());
    EXPECT_FALSE(receiver.bConnected());
    EXPECT_EQ(receiver.picturesReceived(), 0u);

    receiver.processPackBody(deliveredUnit(picture(8, 1)));
    EXPECT_TRUE(receiver.processPackBody(Bytes(32, 0)));  // n = 0
    EXPECT_TRUE(receiver.getFirstImageData()->empty());
    EXPECT_EQ(receiver.list_image_data().size(), 1u) << "an empty picture is not queued";
    EXPECT_TRUE(receiver.bConnected());
}

// ---------------------------------------------------------------------------------------------------------
// Liveness

TEST_F(ImageRecvTCPSocketTest, SilenceOfMoreThanThreeWholeSecondsIsATimeout) {
    ClockedReceiver receiver;
    receiver.setBConnected(true);
    EXPECT_TRUE(receiver.isTimeOut()) << "no frame unit yet";
    EXPECT_FALSE(receiver.bConnected());

    const std::int64_t start = receiver.nowSeconds;
    receiver.socketDidReadData(nullptr, deliveredUnit(picture(10, 1)), 11);
    EXPECT_TRUE(receiver.bConnected());
    receiver.nowSeconds = start + 3;
    EXPECT_FALSE(receiver.isTimeOut());
    EXPECT_EQ(receiver.timeuse(), 3u);
    EXPECT_TRUE(receiver.bConnected());
    receiver.nowSeconds = start + 4;
    EXPECT_TRUE(receiver.isTimeOut());
    EXPECT_FALSE(receiver.bConnected());

    // A unit the decoder rejects still counts as life.
    testing::internal::CaptureStdout();
    receiver.socketDidReadData(nullptr, deliveredUnit(picture(10, 1), /*badLength=*/true), 11);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(receiver.isTimeOut());

    // Only whole seconds count; a clock that went back is a timeout.
    receiver.nowSeconds = start - 1;
    EXPECT_TRUE(receiver.isTimeOut());
}

TEST_F(ImageRecvTCPSocketTest, OtherTagsAreNotFrames) {
    ClockedReceiver receiver;
    receiver.socketDidReadData(nullptr, deliveredUnit(picture(10, 1)), 10);
    receiver.socketDidReadData(nullptr, deliveredUnit(picture(10, 1)), 12);
    EXPECT_TRUE(receiver.list_image_data().empty());
    EXPECT_TRUE(receiver.isTimeOut());
}

// ---------------------------------------------------------------------------------------------------------
// On a real connection

TEST_F(ImageRecvTCPSocketTest, SkipsGarbageSilentlyAndCutsSplitAndBurstFrames) {
    LoopbackListener listener;
    ImageRecvTCPSocket receiver;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(receiver.initServer("127.0.0.1", listener.port()));
    EXPECT_EQ(receiver.server_ip(), "127.0.0.1");
    EXPECT_EQ(receiver.server_port(), listener.port());
    ScopedFd camera = listener.accept();
    ASSERT_TRUE(camera.valid());

    const std::string first = asText(wireFrame(picture(100, 1), {0, false}));
    const std::string burst =
        asText(wireFrame(picture(200, 2), {1, false})) + asText(wireFrame(picture(300, 3), {2, false}));
    sendBytes(camera.get(), "Garbage before any marker, even a Boundary");
    sendBytes(camera.get(), first.substr(0, 4));  // the start marker split
    std::this_thread::sleep_for(20ms);
    sendBytes(camera.get(), first.substr(4, first.size() - 8));
    std::this_thread::sleep_for(20ms);
    sendBytes(camera.get(), first.substr(first.size() - 4));  // and the end marker
    sendBytes(camera.get(), burst);

    ASSERT_TRUE(waitUntil([&] { return receiver.list_image_data().size() == 3; }));
    flushMainQueue();
    const std::string log = testing::internal::GetCapturedStderr();
    const auto queue = receiver.list_image_data();
    std::size_t expectedLength = 100;
    for (const auto &entry : queue) {
        EXPECT_EQ(entry.len, expectedLength);
        expectedLength += 100;
    }
    EXPECT_EQ(*receiver.getFirstImageData(), picture(300, 3));
    EXPECT_TRUE(receiver.bConnected());

    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = log.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(log.substr(at, end - at));
    ASSERT_EQ(lines.size(), 4u) << log;  // connected, then one line per frame: the garbage left no trace
    EXPECT_NE(
        lines[0].find("ImageRecvTCPSocket (127.0.0.1:" + std::to_string(listener.port()) + ") 连接成功!"),
        std::string::npos);
    EXPECT_NE(lines[1].find("本帧数据长度:100 缓存队列:0\r"), std::string::npos);
    EXPECT_NE(lines[3].find("本帧数据长度:300 缓存队列:2\r"), std::string::npos);
}

TEST_F(ImageRecvTCPSocketTest, ConnectionRequestsRefusedAtOnceAreLoggedAndReturnNo) {
    ImageRecvTCPSocket receiver;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(receiver.initServer("", 7060));
    LoopbackListener silent(AF_INET, 0);
    silent.fillBacklog();
    EXPECT_TRUE(receiver.initServer("127.0.0.1", silent.port()));
    EXPECT_FALSE(receiver.initServer("127.0.0.1", silent.port()));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("ImageRecvTCPSocket 连接错误：Invalid host parameter (nil or \"\"). Should be a "
                       "domain name or IP "
                       "address string.!"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("ImageRecvTCPSocket 连接错误：Attempting to connect while connected or accepting "
                       "connections. Disconnect first.!"),
              std::string::npos)
        << log;
}

TEST_F(ImageRecvTCPSocketTest, LaterFailuresAreLoggedAndKeepTheLatestFrame) {
    const Bytes jpeg = picture(500, 9);
    ImageServer::Config config;
    config.port = 0;
    config.fps = 0;
    config.faults.closeAfter = 1;
    ImageServer camera(config, std::make_shared<FixedPictures>(jpeg));
    std::string error;
    ASSERT_TRUE(camera.start(error)) << error;

    ImageRecvTCPSocket receiver;
    ImageRecvTCPSocket refused;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(receiver.initServer("127.0.0.1", camera.port()));
    ASSERT_TRUE(refused.initServer("127.0.0.1", closedLoopbackPort()));
    const bool bothClosed = waitUntil([&] {
        return receiver.m_AsyncTcpSocket()->isDisconnected() && refused.m_AsyncTcpSocket()->isDisconnected();
    });
    flushMainQueue();
    const std::string log = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(bothClosed);
    EXPECT_NE(log.find("ImageRecvTCPSocket 连接断开：Socket closed by remote peer!"), std::string::npos)
        << log;
    EXPECT_NE(log.find("ImageRecvTCPSocket 连接断开：Connection refused!"), std::string::npos) << log;
    EXPECT_EQ(*receiver.getFirstImageData(), jpeg);
    EXPECT_EQ(receiver.list_image_data().size(), 1u);
    EXPECT_TRUE(receiver.bConnected()) << "only the liveness test clears it";
}

TEST_F(ImageRecvTCPSocketTest, ReconnectingLogsNoDisconnectAndReportsFreshFrames) {
    ImageServer::Config config;
    config.port = 0;
    config.fps = 50;
    ImageServer camera(config, std::make_shared<FixedPictures>(picture(1000, 4)));
    std::string error;
    ASSERT_TRUE(camera.start(error)) << error;

    ImageRecvTCPSocket receiver;
    ASSERT_TRUE(receiver.initServer("127.0.0.1", camera.port()));
    ASSERT_TRUE(waitUntil([&] { return receiver.bConnected(); }));
    flushMainQueue();

    testing::internal::CaptureStderr();
    receiver.setBConnected(false);
    EXPECT_TRUE(receiver.func_reconnect_server());
    flushMainQueue();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("连接断开"), std::string::npos) << log;
    EXPECT_NE(log.find("连接成功"), std::string::npos) << log;
    EXPECT_EQ(camera.connectionCount(), 2);
}

TEST_F(ImageRecvTCPSocketTest, AStreamWithoutEndMarkerIsCutOffAtTheLargestUnit) {
    LoopbackListener listener;
    ImageRecvTCPSocket receiver;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(receiver.initServer("127.0.0.1", listener.port()));
    ScopedFd camera = listener.accept();
    ASSERT_TRUE(camera.valid());
    std::thread flood([fd = camera.get()] {
        std::string endless(1 << 20, 'x');
        endless.replace(0, 9, "BoundaryS");
        for (int i = 0; i < 40; ++i) {
            if (send(fd, endless.data(), endless.size(), MSG_NOSIGNAL) <= 0) return;
            endless[0] = 'x';
        }
    });
    const bool cut = waitUntil([&] { return receiver.m_AsyncTcpSocket()->isDisconnected(); });
    shutdown(camera.get(), SHUT_RDWR);  // wakes a blocked send
    flood.join();
    flushMainQueue();
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(cut);
    EXPECT_NE(log.find("ImageRecvTCPSocket 连接断开：Read operation reached set maximum length!"),
              std::string::npos)
        << log;
}

// ---------------------------------------------------------------------------------------------------------
// Saving

TEST_F(ImageRecvTCPSocketTest, SavesPngAtomicallyUnderTheHomeFolder) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());

    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(10, 200, 30));
    image.setPixelColor(5, 7, Qt::red);
    testing::internal::CaptureStderr();
    const bool saved = ImageRecvTCPSocket::saveImage(image, "~/still.png");
    const bool missingFolder = ImageRecvTCPSocket::saveImage(image, "~/no/such/folder/still.png");
    const std::string log = testing::internal::GetCapturedStderr();
    qputenv("HOME", savedHome);

    EXPECT_TRUE(saved);
    EXPECT_FALSE(missingFolder);
    EXPECT_NE(log.find("Saved Image: 1"), std::string::npos);
    EXPECT_NE(log.find("Saved Image: 0"), std::string::npos);
    const QImage back(home.filePath("still.png"), "PNG");
    ASSERT_EQ(back.size(), image.size());
    EXPECT_EQ(back.pixelColor(5, 7), QColor(Qt::red));
    EXPECT_EQ(back.pixelColor(0, 0), QColor(10, 200, 30));
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files), QStringList{"still.png"}) << "no temporary file left";
}

}  // namespace
