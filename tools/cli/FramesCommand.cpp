#include "FramesCommand.h"

#include "CliArguments.h"
#include "device/CameraAddress.h"
#include "device/ImageRecvTCPSocket.h"
#include "device/StreamSupervisor.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kDefaultTimeoutSeconds = 10;
// The viewer's supervision rhythm: poll every 10 ms while pictures arrive, pause 2 s after a failed
// reconnection.
constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kReconnectPause = std::chrono::seconds(2);

struct FramesJob {
    std::string host;
    std::uint16_t port = 0;
    long long count = 0;
    std::filesystem::path out;
    double timeoutSeconds = 0;
};

bool parseJob(const CliArguments &arguments, FramesJob &job, std::string &error) {
    long long port = 0;
    const bool ok = arguments.integer("--image-port", 1, 65535, kImagePort, port, error) &&
                    arguments.integer("--count", 1, 1'000'000, 0, job.count, error) &&
                    arguments.seconds("--timeout", kDefaultTimeoutSeconds, job.timeoutSeconds, error);
    job.host = arguments.text("--camera");
    job.port = static_cast<std::uint16_t>(port);
    job.out = arguments.text("--out");
    return ok;
}

bool writeFrame(const std::filesystem::path &path, const STRUCT_RECVDATA &frame) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(frame.buf.get()), static_cast<std::streamsize>(frame.len));
    return static_cast<bool>(file.flush());
}

std::filesystem::path framePath(const std::filesystem::path &folder, long long number) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%04lld.jpg", number);
    return folder / name;
}

// Supervises the receiver as the viewer does. A pump thread takes the queued pictures in arrival order and
// writes them, also while the supervisor blocks in a reconnection; this thread watches for the end.
int receiveFrames(const FramesJob &job) {
    ImageRecvTCPSocket &receiver = ImageRecvTCPSocket::sharedInstance();
    const auto patience =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(job.timeoutSeconds));
    std::atomic<long long> written{0};
    std::atomic<bool> writeFailed{false};
    std::atomic<Clock::time_point> lastPicture{Clock::now()};

    std::jthread pump([&](std::stop_token stop) {
        while (!stop.stop_requested() && written < job.count) {
            while (written < job.count) {
                const auto frame = receiver.takeOldestFrame();
                if (!frame) break;
                const auto path = framePath(job.out, written + 1);
                if (!writeFrame(path, *frame)) {
                    std::fprintf(stderr, "deskcam-cli frames: cannot write %s\n", path.c_str());
                    writeFailed = true;
                    return;
                }
                ++written;
                lastPicture = Clock::now();
            }
            std::this_thread::sleep_for(kPollInterval);
        }
    });

    StreamSupervisor supervisor(receiver, job.host, job.port, {}, {kPollInterval, kReconnectPause});
    supervisor.start();
    while (written < job.count && !writeFailed) {
        const auto silence = Clock::now() - lastPicture.load();
        if (silence > patience) {
            std::fprintf(stderr,
                         "deskcam-cli frames: no picture from %s:%u within %g s (%lld of %lld written)\n",
                         job.host.c_str(), static_cast<unsigned>(job.port), job.timeoutSeconds,
                         written.load(), job.count);
            return kExitFailed;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return writeFailed ? kExitFailed : kExitOk;
}

int runFrames(const CliArguments &arguments) {
    FramesJob job;
    std::string error;
    if (!parseJob(arguments, job, error)) {
        std::fprintf(stderr, "deskcam-cli frames: %s\nusage: deskcam-cli frames %s\n", error.c_str(),
                     CliArguments::synopsis(kFramesCommand).c_str());
        return kExitUsage;
    }
    std::error_code ec;
    std::filesystem::create_directories(job.out, ec);
    if (ec) {
        std::fprintf(stderr, "deskcam-cli frames: cannot create %s: %s\n", job.out.c_str(),
                     ec.message().c_str());
        return kExitFailed;
    }
    return receiveFrames(job);
}

}  // namespace

const SubCommand kFramesCommand = {
    "frames",
    "write N pictures of the image stream to DIR/frame_0001.jpg ... in arrival order; the frame queue keeps "
    "only the newest three, so a burst faster than the writing skips pictures (fails after S seconds, "
    "default 10, without a picture)",
    {
        cameraOption(),
        imagePortOption(),
        {"--count", true, true, "N", "how many pictures to write (1 to 1000000)"},
        {"--out", true, true, "DIR", "folder for the pictures, made if missing"},
        {"--timeout", true, false, "S", "give up after S seconds without a picture (default 10)"},
    },
    {},
    runFrames,
};
