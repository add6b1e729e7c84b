// Throughput of the image stream receiver against a plain blocking recv() loop, in the same run.
//
// A sender thread pushes pre-encoded 1920x1080 test-card JPEGs, framed as the camera frames them, over
// loopback as fast as the reader takes them, then closes. The baseline reads the same bytes with
// blocking recv() into one buffer and does nothing else; the receiver run goes through AsyncTcpSocket,
// framing, decoding, the frame queue and its per-frame log line (stderr goes to /dev/null while it runs).
// Nobody drains the receiver's queue, so the resident set measured during the run shows whether memory
// stays flat when the consumer falls behind.
//
//   bench_receiver [--frames N] [--rounds R]

#include "TestCard.h"
#include "WireFrame.h"
#include "device/ImageRecvTCPSocket.h"
#include "dispatch/MainQueue.h"
#include "net/ScopedFd.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDistinctPictures = 8;
constexpr long kFrameUnitTag = 11;

struct RunResult {
    double seconds = 0;
    std::uint64_t frames = 0;
    std::uint64_t bytes = 0;

    double framesPerSecond() const { return static_cast<double>(frames) / seconds; }
    double megabytesPerSecond() const { return static_cast<double>(bytes) / seconds / 1e6; }
};

// One block of distinct wire frames; the sender repeats it.
std::vector<std::uint8_t> buildBlock(std::uint64_t &pictureBytes) {
    TestCard card({1920, 1080, 85});
    std::vector<std::uint8_t> block;
    pictureBytes = 0;
    for (int i = 0; i < kDistinctPictures; ++i) {
        const auto jpeg = card.picture(static_cast<std::uint64_t>(i) * 7);
        pictureBytes += jpeg.size();
        const auto unit = wireFrame(jpeg, {static_cast<std::uint32_t>(i), false});
        block.insert(block.end(), unit.begin(), unit.end());
    }
    return block;
}

// Listens on loopback; the first client gets `repeats` copies of the block, then the connection closes.
class BlockSender {
  public:
    BlockSender(const std::vector<std::uint8_t> &block, int repeats)
        : listener_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        bind(listener_.get(), reinterpret_cast<sockaddr *>(&address), length);
        listen(listener_.get(), 1);
        getsockname(listener_.get(), reinterpret_cast<sockaddr *>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this, &block, repeats] {
            ScopedFd client(accept(listener_.get(), nullptr, nullptr));
            for (int i = 0; i < repeats; ++i) {
                for (std::size_t at = 0; at < block.size();) {
                    const ssize_t sent =
                        send(client.get(), block.data() + at, block.size() - at, MSG_NOSIGNAL);
                    if (sent <= 0) return;
                    at += static_cast<std::size_t>(sent);
                }
            }
        });
    }
    ~BlockSender() { thread_.join(); }

    std::uint16_t port() const { return port_; }

  private:
    ScopedFd listener_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

RunResult runBaseline(const std::vector<std::uint8_t> &block, int repeats) {
    BlockSender sender(block, repeats);
    const auto start = Clock::now();
    ScopedFd fd(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(sender.port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connect(fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address);
    std::vector<std::uint8_t> buffer(1 << 20);
    std::uint64_t total = 0;
    ssize_t got;
    while ((got = recv(fd.get(), buffer.data(), buffer.size(), 0)) > 0)
        total += static_cast<std::uint64_t>(got);
    return {std::chrono::duration<double>(Clock::now() - start).count(),
            static_cast<std::uint64_t>(repeats) * kDistinctPictures, total};
}

// Counts the frame units the receiver handles; everything else is the receiver's own work.
class CountingReceiver : public ImageRecvTCPSocket {
  public:
    std::atomic<std::uint64_t> units{0};

    void socketDidReadData(AsyncTcpSocket *sock, const std::vector<std::uint8_t> &data, long tag) override {
        ImageRecvTCPSocket::socketDidReadData(sock, data, tag);
        if (tag == kFrameUnitTag) ++units;
    }
};

long residentKilobytes(const char *field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
    return -1;
}

RunResult runReceiver(const std::vector<std::uint8_t> &block, int repeats, std::vector<long> &rssSamples) {
    const std::uint64_t frames = static_cast<std::uint64_t>(repeats) * kDistinctPictures;
    BlockSender sender(block, repeats);
    CountingReceiver receiver;
    const auto start = Clock::now();
    receiver.initServer("127.0.0.1", sender.port());
    std::uint64_t nextSample = 0;
    while (receiver.units < frames) {
        if (receiver.units >= nextSample) {
            rssSamples.push_back(residentKilobytes("VmRSS:"));
            nextSample += frames / 4;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    rssSamples.push_back(residentKilobytes("VmRSS:"));
    return {seconds, frames, block.size() * static_cast<std::uint64_t>(repeats)};
}

int argument(int argc, char **argv, const char *name, int fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0) return std::max(1, std::atoi(argv[i + 1]));
    return fallback;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the test card draws text
    const int frames = argument(argc, argv, "--frames", 4000);
    const int rounds = argument(argc, argv, "--rounds", 5);
    const int repeats = std::max(1, frames / kDistinctPictures);
    dispatch::useSerialMainQueue();

    std::uint64_t pictureBytes = 0;
    const auto block = buildBlock(pictureBytes);
    std::printf("frames: 1920x1080 test card JPEGs, %llu bytes on average; %d frames per run, %d rounds\n",
                static_cast<unsigned long long>(pictureBytes / kDistinctPictures),
                repeats * kDistinctPictures, rounds);

    // The receiver logs a line per frame; keep the terminal out of the measurement.
    std::fflush(stderr);
    const int savedStderr = dup(STDERR_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    RunResult bestBaseline, bestReceiver;
    std::vector<double> ratios;  // each round measures both back to back, under the same machine load
    std::vector<long> rss;
    for (int round = 0; round < rounds; ++round) {
        const RunResult baseline = runBaseline(block, repeats);
        dup2(devNull, STDERR_FILENO);
        rss.clear();
        const RunResult receiver = runReceiver(block, repeats, rss);
        std::fflush(stderr);
        dup2(savedStderr, STDERR_FILENO);
        if (round == 0 || baseline.framesPerSecond() > bestBaseline.framesPerSecond())
            bestBaseline = baseline;
        if (round == 0 || receiver.framesPerSecond() > bestReceiver.framesPerSecond())
            bestReceiver = receiver;
        ratios.push_back(receiver.framesPerSecond() / baseline.framesPerSecond());
        std::printf("round %d: baseline %.0f frames/s, receiver %.0f frames/s, ratio %.2f\n", round + 1,
                    baseline.framesPerSecond(), receiver.framesPerSecond(), ratios.back());
    }
    close(devNull);
    close(savedStderr);

    std::printf("best baseline (blocking recv, one buffer): %8.0f frames/s %8.1f MB/s\n",
                bestBaseline.framesPerSecond(), bestBaseline.megabytesPerSecond());
    std::printf("best ImageRecvTCPSocket                 : %8.0f frames/s %8.1f MB/s\n",
                bestReceiver.framesPerSecond(), bestReceiver.megabytesPerSecond());
    std::sort(ratios.begin(), ratios.end());
    std::printf("ratio receiver/baseline: %.2f (median of the rounds' ratios)\n", ratios[ratios.size() / 2]);
    std::printf("resident set during the last receiver run, queue never drained (kB, at 0/25/50/75/100%%):");
    for (long kb : rss) std::printf(" %ld", kb);
    std::printf("\npeak resident set of the process: %ld kB\n", residentKilobytes("VmHWM:"));
    return 0;
}
