// bench-recorder [SECONDS] [FOLDER]: the recorder's cost against plain ffmpeg, in one run.
//
// 1. Writes SECONDS x 25 pictures of the simulator's 1920x1080 test card as JPEG files (FOLDER, or a
//    temporary folder).
// 2. Records them with RVImagesToVideo for SECONDS, without a microphone, the pictures handed over as the
//    receiver would at 25 per second; measures this process's CPU time per frame written and counts the
//    ticks that came late (after the next frame's slot had begun, leaving a slot without a frame).
// 3. Transcodes the same JPEG files with the ffmpeg program and the same encoder settings (libx264,
//    the live preset, yuv420p, fast start) and measures its CPU time per frame.
// Prints both and their ratio.

#include "TestCard.h"
#include "recorder/RVImagesToVideo.h"
#include "recorder/VideoWriterInput.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFps = 25;
constexpr int kJpegQuality = 85;  // the simulator's default

double cpuSeconds(const rusage &usage) {
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

std::vector<RVImagesToVideo::FrameBytes> writePictures(const QDir &folder, int count) {
    TestCard card(TestCard::Style{kWidth, kHeight, kJpegQuality});
    std::vector<RVImagesToVideo::FrameBytes> pictures;
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> bytes = card.picture(static_cast<std::uint64_t>(i));
        QFile file(folder.filePath(QString::asprintf("frame_%04d.jpg", i + 1)));
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
        pictures.push_back(std::make_shared<const std::vector<std::uint8_t>>(bytes));
    }
    return pictures;
}

struct RecorderFigures {
    double cpuPerFrameMs = 0;
    RVImagesToVideo::Statistics statistics;
};

RecorderFigures recordPictures(const std::vector<RVImagesToVideo::FrameBytes> &pictures,
                               const std::string &path, double seconds) {
    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(false);
    const auto start = std::chrono::steady_clock::now();
    // The picture the receiver would hold now, at 25 new pictures per second.
    recorder->setFrameSource([&pictures, start] {
        const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return pictures[std::min(pictures.size() - 1, static_cast<std::size_t>(elapsed * kFps))];
    });
    std::promise<bool> finished;
    const double cpuBefore = processCpuSeconds();
    std::thread recording([&] {
        recorder->writeImageAsMovie({}, path, QSizeF(kWidth, kHeight), kFps, false,
                                    [&finished](bool ok) { finished.set_value(ok); });
    });
    std::this_thread::sleep_until(start + std::chrono::duration<double>(seconds));
    recorder->doStop();
    recording.join();
    finished.get_future().wait();
    RecorderFigures figures;
    figures.statistics = recorder->statistics();
    figures.cpuPerFrameMs = (processCpuSeconds() - cpuBefore) * 1000 /
                            std::max<std::uint64_t>(1, figures.statistics.framesAppended);
    return figures;
}

// CPU time of the ffmpeg program (user + system, its threads included), or a negative number on failure.
double ffmpegCpuSeconds(const QDir &folder, const std::string &out) {
    const std::string input = folder.filePath("frame_%04d.jpg").toStdString();
    const std::string fps = std::to_string(kFps);
    const pid_t child = fork();
    if (child == 0) {
        execlp("ffmpeg", "ffmpeg", "-loglevel", "error", "-y", "-framerate", fps.c_str(), "-i", input.c_str(),
               "-c:v", "libx264", "-preset", recorder::kLivePreset, "-pix_fmt", "yuv420p", "-movflags",
               "+faststart", out.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return cpuSeconds(usage);
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the test card draws text
    const double seconds = argc > 1 ? std::atof(argv[1]) : 20;
    QTemporaryDir temporary;
    const QDir folder(argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path());
    folder.mkpath(".");
    const int count = static_cast<int>(seconds * kFps);

    std::printf("writing %d pictures of %dx%d into %s\n", count, kWidth, kHeight, qPrintable(folder.path()));
    const auto pictures = writePictures(folder, count);
    if (pictures.empty()) return 1;

    std::printf("recording %.0f s with RVImagesToVideo (x264 preset %s)\n", seconds, recorder::kLivePreset);
    const RecorderFigures ours =
        recordPictures(pictures, folder.filePath("recorder.mp4").toStdString(), seconds);
    const auto &statistics = ours.statistics;

    std::printf("transcoding the same %d pictures with ffmpeg\n", count);
    const double ffmpegCpu = ffmpegCpuSeconds(folder, folder.filePath("ffmpeg.mp4").toStdString());
    if (ffmpegCpu < 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    const double ffmpegPerFrameMs = ffmpegCpu * 1000 / count;

    std::printf(
        "\nrecorder: %llu frames written, %llu ticks, %llu late (%.2f %%), %llu decodes\n",
        static_cast<unsigned long long>(statistics.framesAppended),
        static_cast<unsigned long long>(statistics.ticks),
        static_cast<unsigned long long>(statistics.lateTicks),
        100.0 * statistics.lateTicks / std::max<std::uint64_t>(1, statistics.ticks),
        static_cast<unsigned long long>(statistics.decodes));
    std::printf("recorder CPU per frame: %.1f ms\n", ours.cpuPerFrameMs);
    std::printf("ffmpeg   CPU per frame: %.1f ms\n", ffmpegPerFrameMs);
    std::printf("ratio recorder / ffmpeg: %.2f\n", ours.cpuPerFrameMs / ffmpegPerFrameMs);
    return 0;
}
