#include "RecordCommand.h"

#include "CliArguments.h"
#include "device/ImageRecvTCPSocket.h"
#include "recorder/CaptureTimestamps.h"
#include "recorder/RVImagesToVideo.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr long long kDefaultImagePort = 7060;
constexpr double kDefaultTimeoutSeconds = 10;
constexpr std::int32_t kFramesPerSecond = 25;
constexpr auto kPollInterval = std::chrono::milliseconds(10);
// Finishing writes the index and moves it to the front; give it time on a loaded machine.
constexpr auto kFinishPatience = std::chrono::seconds(60);

struct RecordJob {
    std::string host;
    std::uint16_t port = 0;
    double seconds = 0;
    bool audio = true;
    QSizeF size;  // empty: the first picture's size
    double timeoutSeconds = 0;
    std::string out;
};

bool parseSize(const std::string &text, QSizeF &size) {
    int width = 0, height = 0;
    char x = 0;
    if (std::sscanf(text.c_str(), "%d%c%d", &width, &x, &height) != 3 || x != 'x' || width < 2 ||
        height < 2) {
        return false;
    }
    size = QSizeF(width, height);
    return true;
}

bool parseJob(const CliArguments &arguments, RecordJob &job, std::string &error) {
    job.out = arguments.arguments().front();
    long long port = 0;
    bool ok = arguments.integer("--image-port", 1, 65535, kDefaultImagePort, port, error) &&
              arguments.seconds("--seconds", 0, job.seconds, error) &&
              arguments.seconds("--timeout", kDefaultTimeoutSeconds, job.timeoutSeconds, error);
    if (ok && arguments.has("--size") && !parseSize(arguments.text("--size"), job.size)) {
        error = "bad value for --size: " + arguments.text("--size");
        ok = false;
    }
    job.host = arguments.text("--camera");
    job.port = static_cast<std::uint16_t>(port);
    job.audio = !arguments.has("--no-audio");
    return ok;
}

// The viewer's worker thread in small: reconnect while the stream is silent.
class Supervisor {
  public:
    explicit Supervisor(ImageRecvTCPSocket &receiver)
        : thread_([&receiver](std::stop_token stop) {
              while (!stop.stop_requested()) {
                  if (receiver.isTimeOut()) receiver.func_reconnect_server();
                  std::this_thread::sleep_for(kPollInterval);
              }
          }) {}

  private:
    std::jthread thread_;
};

QSizeF firstPictureSize(ImageRecvTCPSocket &receiver, double timeoutSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeoutSeconds));
    while (Clock::now() < deadline) {
        if (const ImageBytes bytes = receiver.getFirstImageData(); bytes && !bytes->empty()) {
            QByteArray data(reinterpret_cast<const char *>(bytes->data()),
                            static_cast<qsizetype>(bytes->size()));
            QBuffer buffer(&data);
            QImageReader reader(&buffer, "JPG");
            if (reader.size().isValid()) return reader.size();
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return {};
}

// Stops the recording once it holds the asked seconds of media time.
void stopAfter(RVImagesToVideo &recorder, double seconds, const std::atomic<bool> &returned) {
    std::int64_t startMicros = 0;
    while (!returned && (startMicros = recorder.statistics().startMicros) == 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::int64_t endMicros = startMicros + static_cast<std::int64_t>(seconds * 1e6);
    while (!returned && CaptureTimestamps::nowMicros() < endMicros) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    recorder.doStop();
}

int record(const RecordJob &job) {
    // The microphone needs a Qt application object.
    static int argc = 1;
    static char name[] = "deskcam-cli";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    ImageRecvTCPSocket &receiver = ImageRecvTCPSocket::sharedInstance();
    receiver.initServer(job.host, job.port);
    Supervisor supervisor(receiver);
    QSizeF size = job.size;
    if (size.isEmpty()) size = firstPictureSize(receiver, job.timeoutSeconds);
    if (size.isEmpty()) {
        std::fprintf(stderr, "deskcam-cli record: no picture from %s:%u within %g s\n", job.host.c_str(),
                     static_cast<unsigned>(job.port), job.timeoutSeconds);
        return kExitFailed;
    }

    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(job.audio);
    std::promise<bool> outcome;
    std::atomic<bool> returned{false};
    std::thread recording([&] {
        recorder->writeImageAsMovie({}, job.out, size, kFramesPerSecond, false,
                                    [&outcome](bool finished) { outcome.set_value(finished); });
        returned = true;
    });
    stopAfter(*recorder, job.seconds, returned);
    recording.join();
    recorder->doStop();

    auto finished = outcome.get_future();
    if (finished.wait_for(kFinishPatience) != std::future_status::ready || !finished.get()) {
        std::fprintf(stderr, "deskcam-cli record: %s was not written\n", job.out.c_str());
        return kExitFailed;
    }
    const auto statistics = recorder->statistics();
    std::printf("recorded %s: %llu frames, %llu ticks, %llu late, %llu decodes\n", job.out.c_str(),
                static_cast<unsigned long long>(statistics.framesAppended),
                static_cast<unsigned long long>(statistics.ticks),
                static_cast<unsigned long long>(statistics.lateTicks),
                static_cast<unsigned long long>(statistics.decodes));
    return kExitOk;
}

int runRecord(const CliArguments &arguments) {
    RecordJob job;
    std::string error;
    if (!parseJob(arguments, job, error)) {
        std::fprintf(stderr, "deskcam-cli record: %s\nusage: deskcam-cli record %s\n", error.c_str(),
                     kRecordCommand.usage);
        return kExitUsage;
    }
    return record(job);
}

}  // namespace

const SubCommand kRecordCommand = {
    "record",
    "--camera HOST [--image-port P] --seconds S [--no-audio] [--size WxH] [--timeout S] OUT.mp4",
    "record the pictures (and the default microphone) into OUT.mp4 for S seconds, at the first picture's "
    "size unless --size is given",
    {
        cameraOption(),
        imagePortOption(),
        {"--seconds", true, true, "S", "length of the recording in seconds of media time"},
        {"--no-audio", false, false, "", "record the pictures only, without the microphone"},
        {"--size", true, false, "WxH", "video size (default: the first picture's)"},
        {"--timeout", true, false, "S", "give up after S seconds without a picture (default 10)"},
    },
    {"OUT.mp4"},
    runRecord,
};
