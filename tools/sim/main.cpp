// deskcam-sim: the document camera on loopback, for tests, benchmarks and trying the viewer without a
// camera. Servers run on their own threads; the main thread only waits for SIGINT or SIGTERM.

#include "CommandServer.h"
#include "FrameFiles.h"
#include "ImageServer.h"
#include "PagePicture.h"
#include "SimOptions.h"
#include "TestCard.h"
#include "base/Log.h"
#include "base/Version.h"

#include <QGuiApplication>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

std::shared_ptr<PictureSource> makePictureSource(const SimOptions &options, std::string &error) {
    if (options.framesDir.empty() && options.page)
        return std::make_shared<PagePicture>(
            PagePicture::Style{options.width, options.height, options.jpegQuality});
    if (options.framesDir.empty())
        return std::make_shared<TestCard>(
            TestCard::Style{options.width, options.height, options.jpegQuality});
    auto files = std::make_shared<FrameFiles>(options.framesDir, error);
    return error.empty() ? files : nullptr;
}

// Blocked in every thread (threads inherit the mask), then taken by sigwait in main.
sigset_t stopSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

}  // namespace

int main(int argc, char **argv) {
    // Drawing text needs a QGuiApplication, and the simulator has no window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    SimOptions options;
    std::string error;
    if (!parseSimOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "deskcam-sim: %s\n\n%s", error.c_str(), simUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(simUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("%s\n", deskcam::versionLine("deskcam-sim").c_str());
        return 0;
    }

    const sigset_t stopSet = stopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSet, nullptr);

    auto pictures = makePictureSource(options, error);
    if (pictures && options.flash.lengthMs > 0)
        pictures = std::make_shared<FlashingPictures>(pictures, options.flash, options.width, options.height,
                                                      options.jpegQuality);
    if (!pictures) {
        std::fprintf(stderr, "deskcam-sim: %s\n", error.c_str());
        return 1;
    }
    ImageServer imageServer({options.host, options.imagePort, options.fps, options.faults}, pictures);
    if (!imageServer.start(error)) {
        std::fprintf(stderr, "deskcam-sim: %s\n", error.c_str());
        return 1;
    }
    deskcam::stdoutLine("image-port %u\n", static_cast<unsigned>(imageServer.port()));
    CommandServer commandServer(
        {options.host, options.commandPort, options.resolutions, options.badListLength, options.refuseSet,
         options.commandDelayMs, options.shortSetReply, options.replyFloodPerSecond},
        [&imageServer](int width, int height) { imageServer.setSize(width, height); });
    if (!commandServer.start(error)) {
        std::fprintf(stderr, "deskcam-sim: %s\n", error.c_str());
        return 1;
    }
    deskcam::stdoutLine("command-port %u\n", static_cast<unsigned>(commandServer.port()));

    int signal = 0;
    sigwait(&stopSet, &signal);
    commandServer.stop();
    imageServer.stop();
    return 0;
}
