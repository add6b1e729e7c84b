#include "TimeLapseCommand.h"

#include "CameraPicture.h"
#include "StopSignals.h"
#include "device/CameraAddress.h"
#include "recorder/TimeLapse.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using recorder::TimeLapse;

// A moment waits this long for a newer camera picture before it counts as missed.
constexpr auto kMomentPatience = std::chrono::seconds(2);

int usage(const std::string &message) {
    std::fprintf(stderr, "deskcam-cli timelapse: %s\n", message.c_str());
    return kExitUsage;
}

int fail(const QString &message) {
    std::fprintf(stderr, "deskcam-cli timelapse: %s\n", qPrintable(message));
    return kExitFailed;
}

// Sleeps until when, in short steps so that a stop signal ends the wait.
void sleepUntil(Clock::time_point when) {
    while (!StopSignals::received() && Clock::now() < when)
        std::this_thread::sleep_for(
            std::min<Clock::duration>(when - Clock::now(), std::chrono::milliseconds(50)));
}

// One picture per moment until the count is taken or a signal stops it.
void takeMoments(TimeLapse &lapse, ImageRecvTCPSocket &receiver) {
    ImageBytes previous;
    const Clock::time_point start = Clock::now();
    for (long long moment = 0; !StopSignals::received() && !lapse.complete(); ++moment) {
        const Clock::time_point due = start + moment * lapse.plan().every;
        sleepUntil(due);
        if (StopSignals::received()) break;
        const auto patience = std::min<Clock::duration>(kMomentPatience, lapse.plan().every);
        const QImage picture = CameraPicture::next(receiver, previous, Clock::now() + patience);
        if (lapse.add(picture) == TimeLapse::Moment::WriteFailed) {
            std::fprintf(stderr, "deskcam-cli timelapse: could not write picture %d in %s\n",
                         lapse.taken() + 1, qPrintable(lapse.folder()));
            break;
        }
    }
}

int runTimeLapse(const CliArguments &arguments) {
    double every = 0;
    long long count = 0, port = 0;
    std::string error;
    if (!arguments.seconds("--every", 0, every, error) ||
        !arguments.integer("--count", 0, 1'000'000, 0, count, error) ||
        !arguments.integer("--image-port", 1, 65535, kImagePort, port, error))
        return usage(error);
    QString planError;
    const auto plan = TimeLapse::planFor(every, count, &planError);
    if (!plan) return usage(planError.toStdString());

    TimeLapse lapse(QString::fromLocal8Bit(arguments.arguments().front().c_str()), *plan);
    if (!lapse.start(&planError)) return fail(planError);
    ImageRecvTCPSocket receiver;
    const std::string camera = arguments.text("--camera");
    if (!receiver.initServer(camera, static_cast<std::uint16_t>(port)))
        return fail(QStringLiteral("cannot connect to the camera at %1:%2")
                        .arg(QString::fromStdString(camera))
                        .arg(port));
    const StopSignals stopSignals;
    takeMoments(lapse, receiver);

    std::printf("%d pictures in %s\n", lapse.taken(), qPrintable(lapse.folder()));
    if (lapse.missed() > 0)
        std::printf("%d moments missed while the camera sent no picture; the numbers have no gap\n",
                    lapse.missed());
    if (!arguments.has("--mp4") || lapse.taken() == 0) return lapse.taken() > 0 ? kExitOk : kExitFailed;
    const QString film = QString::fromLocal8Bit(arguments.text("--mp4").c_str());
    const auto made = lapse.makeFilm(film);
    if (!made.written) return fail(QStringLiteral("could not write %1: %2").arg(film, made.error));
    std::printf("film %s: %d frames at %d fps\n", qPrintable(film), made.frames,
                recorder::StillsMovie::kFrameRate);
    return kExitOk;
}

}  // namespace

const SubCommand kTimeLapseCommand = {
    "timelapse",
    "take a picture every S seconds (1 to 600) into DIR as numbered PNGs, N of them or until SIGINT/SIGTERM "
    "(--count 0), then with --mp4 a film of them at 25 fps",
    {
        cameraOption(),
        imagePortOption(),
        {"--every", true, true, "S", "seconds between pictures, 1 to 600"},
        {"--count", true, false, "N", "pictures to take (default 0: until stopped)"},
        {"--mp4", true, false, "FILE", "also write the pictures as a film to FILE"},
    },
    {"DIR"},
    runTimeLapse,
};
