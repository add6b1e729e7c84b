#include "RecordCommand.h"

#include "CliArguments.h"
#include "StopSignals.h"
#include "device/CameraAddress.h"
#include "device/ImageRecvTCPSocket.h"
#include "device/StreamSupervisor.h"
#include "recorder/CaptureTimestamps.h"
#include "recorder/RVImagesToVideo.h"
#include "recorder/VideoSize.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageReader>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

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
    QSizeF size;  // empty: the first picture's size, limited by videoSize
    VideoSize::Choice videoSize = VideoSize::kDefault;
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
    bool ok = arguments.integer("--image-port", 1, 65535, kImagePort, port, error) &&
              arguments.seconds("--seconds", 0, job.seconds, error) &&
              arguments.seconds("--timeout", kDefaultTimeoutSeconds, job.timeoutSeconds, error);
    if (ok && arguments.has("--size") && !parseSize(arguments.text("--size"), job.size)) {
        error = "bad value for --size: " + arguments.text("--size");
        ok = false;
    }
    if (ok && arguments.has("--video-size")) {
        const auto choice = VideoSize::fromName(arguments.text("--video-size"));
        if (choice) {
            job.videoSize = *choice;
        } else {
            error = "bad value for --video-size: " + arguments.text("--video-size") + " (" +
                    VideoSize::names() + ")";
            ok = false;
        }
    }
    job.host = arguments.text("--camera");
    job.port = static_cast<std::uint16_t>(port);
    job.audio = !arguments.has("--no-audio");
    return ok;
}

// SIGINT or SIGTERM (StopSignals) ends the recording early and the file is finished as after --seconds; a
// second one ends the program at once (the file, fragmented while recording, still plays).

// SIGUSR2 pauses the recording, the next one resumes it, and so on. The handler only counts; the thread
// that watches the recording toggles it as many times.
class PauseSignals {
  public:
    PauseSignals() {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGUSR2, &action, nullptr);
    }
    // Pauses or resumes recorder for every signal since the last call (the recorder logs each).
    void apply(RVImagesToVideo &recorder) {
        for (const int count = received_.load(); applied_ != count; ++applied_) {
            if (!recorder.pause()) recorder.resume();
        }
    }

  private:
    static void onSignal(int) { ++received_; }
    static inline std::atomic<int> received_{0};
    int applied_ = 0;
};

QSizeF firstPictureSize(ImageRecvTCPSocket &receiver, double timeoutSeconds) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(timeoutSeconds));
    while (Clock::now() < deadline && !StopSignals::received()) {
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

// Stops the recording once it holds the asked seconds of media time, or at a stop signal; pauses and
// resumes it at the pause signal (the time paused holds no media time).
void stopAfter(RVImagesToVideo &recorder, double seconds, const std::atomic<bool> &returned,
               PauseSignals &pauseSignals) {
    const auto waitWhile = [&](auto condition) {
        while (!returned && !StopSignals::received() && condition()) {
            pauseSignals.apply(recorder);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    std::int64_t startMicros = 0;
    waitWhile([&] { return (startMicros = recorder.statistics().startMicros) == 0; });
    // Half a frame early: the frame of the slot at S seconds would run the file a frame past S.
    const std::int64_t endMicros =
        startMicros + static_cast<std::int64_t>((seconds - 0.5 / kFramesPerSecond) * 1e6);
    waitWhile([&] { return CaptureTimestamps::nowMicros() - recorder.pausedMicros() < endMicros; });
    recorder.doStop();
}

void printSpells(const char *what, const std::vector<RVImagesToVideo::Report::Spell> &spells) {
    for (const auto &spell : spells) {
        std::fprintf(stderr, "deskcam-cli record: warning: %s from %s", what,
                     RVImagesToVideo::Report::timeText(spell.start).c_str());
        if (spell.end) {
            std::fprintf(stderr, " to %s", RVImagesToVideo::Report::timeText(*spell.end).c_str());
        } else {
            std::fprintf(stderr, " to the end");
        }
        std::fprintf(stderr, " of the recording\n");
    }
}

// Says how the recording ended; the exit code.
int tellOutcome(const RVImagesToVideo &recorder, const RecordJob &job) {
    using Outcome = RVImagesToVideo::Report::Outcome;
    const RVImagesToVideo::Report report = recorder.report();
    printSpells("the camera sent no new picture", report.cameraSilences);
    printSpells("the microphone delivered no sound", report.microphoneSilences);
    const char *out = job.out.c_str();
    switch (report.outcome) {
        case Outcome::Saved:
            break;
        case Outcome::NothingRecorded:
            std::fprintf(stderr,
                         "deskcam-cli record: stopped before anything was recorded; %s was not written\n",
                         out);
            return kExitFailed;
        case Outcome::WriteFailed:
            std::fprintf(stderr, "deskcam-cli record: %s %s (%s): the recording stopped after %.1f s; %s\n",
                         report.diskFull ? "no room left for" : "could not write", out,
                         report.failure.c_str(), report.seconds,
                         QFile::exists(QString::fromStdString(job.out))
                             ? "the file keeps what was recorded until then"
                             : "nothing was kept");
            return kExitFailed;
        case Outcome::FileGone:
            std::fprintf(
                stderr,
                "deskcam-cli record: %s was removed from the disk %.1f s into the recording; what was "
                "recorded is lost\n",
                out, report.fileGoneAt);
            return kExitFailed;
        case Outcome::NotStarted:
        case Outcome::Pending:
            std::fprintf(stderr, "deskcam-cli record: %s was not written%s%s\n", out,
                         report.failure.empty() ? "" : ": ", report.failure.c_str());
            return kExitFailed;
    }
    if (const int signal = StopSignals::received()) {
        std::fprintf(stderr, "deskcam-cli record: stopped by %s after %.1f s\n", sigabbrev_np(signal),
                     report.seconds);
    }
    const auto statistics = recorder.statistics();
    std::printf(
        "recorded %s: %llu frames, %llu ticks, %llu late (%llu slots skipped), %llu decodes, paused for %.1f "
        "s\n",
        out, static_cast<unsigned long long>(statistics.framesAppended),
        static_cast<unsigned long long>(statistics.ticks),
        static_cast<unsigned long long>(statistics.lateTicks),
        static_cast<unsigned long long>(statistics.skippedSlots),
        static_cast<unsigned long long>(statistics.decodes), report.pausedSeconds);
    return kExitOk;
}

int record(const RecordJob &job) {
    // The microphone needs a Qt application object.
    static int argc = 1;
    static char name[] = "deskcam-cli";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const StopSignals stopSignals;
    PauseSignals pauseSignals;

    ImageRecvTCPSocket &receiver = ImageRecvTCPSocket::sharedInstance();
    // Reconnects while the stream is silent; a failed reconnection is followed by one ordinary pass.
    StreamSupervisor supervisor(receiver, job.host, job.port, {}, {kPollInterval, kPollInterval});
    supervisor.start();
    QSizeF size = job.size;
    if (size.isEmpty())
        size = QSizeF(
            VideoSize::forCamera(firstPictureSize(receiver, job.timeoutSeconds).toSize(), job.videoSize));
    if (size.isEmpty() && StopSignals::received()) {
        std::fprintf(stderr, "deskcam-cli record: stopped before the recording began\n");
        return kExitFailed;
    }
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
    stopAfter(*recorder, job.seconds, returned, pauseSignals);
    recording.join();
    recorder->doStop();

    if (outcome.get_future().wait_for(kFinishPatience) != std::future_status::ready) {
        std::fprintf(stderr, "deskcam-cli record: %s was not finished in time\n", job.out.c_str());
        return kExitFailed;
    }
    return tellOutcome(*recorder, job);
}

int runRecord(const CliArguments &arguments) {
    RecordJob job;
    std::string error;
    if (!parseJob(arguments, job, error)) {
        std::fprintf(stderr, "deskcam-cli record: %s\nusage: deskcam-cli record %s\n", error.c_str(),
                     CliArguments::synopsis(kRecordCommand).c_str());
        return kExitUsage;
    }
    return record(job);
}

const std::string kVideoSizeNames = VideoSize::names();

}  // namespace

const SubCommand kRecordCommand = {
    "record",
    "record the pictures (and the default microphone) into OUT.mp4 for S seconds, at the first picture's "
    "size up to 1920x1080 unless --video-size or --size says otherwise; SIGINT or SIGTERM stops early and "
    "still finishes the file; SIGUSR2 pauses and, sent again, resumes",
    {
        cameraOption(),
        imagePortOption(),
        {"--seconds", true, true, "S",
         "length of the recording in seconds of media time (pauses not counted)"},
        {"--no-audio", false, false, "", "record the pictures only, without the microphone"},
        {"--video-size", true, false, kVideoSizeNames.c_str(),
         "video size: the first picture's, or that limited to 1920x1080 (the default) or 1280x720"},
        {"--size", true, false, "WxH", "video size in pixels, instead of --video-size"},
        {"--timeout", true, false, "S", "give up after S seconds without a picture (default 10)"},
    },
    {"OUT.mp4"},
    runRecord,
};
