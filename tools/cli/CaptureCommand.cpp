#include "CaptureCommand.h"

#include "CameraPicture.h"
#include "CliArguments.h"
#include "device/CameraAddress.h"
#include "device/ImageRecvTCPSocket.h"
#include "device/JpegDecoder.h"

#include <QImage>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr double kDefaultTimeoutSeconds = 5;

int fail(const std::string &message) {
    std::fprintf(stderr, "deskcam-cli capture: %s\n", message.c_str());
    return kExitFailed;
}

int runCapture(const CliArguments &arguments) {
    const std::string out = arguments.arguments().front();
    std::string error;
    long long port = 0;
    double timeout = 0;
    const bool parsed = arguments.integer("--image-port", 1, 65535, kImagePort, port, error) &&
                        arguments.seconds("--timeout", kDefaultTimeoutSeconds, timeout, error);
    if (!parsed) {
        std::fprintf(stderr, "deskcam-cli capture: %s\n", error.c_str());
        return kExitUsage;
    }

    const std::string camera = arguments.text("--camera");
    const std::string where = camera + ":" + std::to_string(port);
    ImageRecvTCPSocket receiver;
    if (!receiver.initServer(camera, static_cast<std::uint16_t>(port)))
        return fail("cannot connect to the camera at " + where);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(timeout));
    ImageBytes previous;
    const QImage picture = CameraPicture::next(receiver, previous, deadline);
    if (picture.isNull()) {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", timeout);
        return fail("no picture from " + where + " within " + seconds + " s");
    }
    if (!ImageRecvTCPSocket::saveImage(picture, out)) return fail("could not write " + out);
    std::printf("%s\n", out.c_str());
    return kExitOk;
}

}  // namespace

const SubCommand kCaptureCommand = {
    "capture",
    "write the camera's newest picture as PNG to OUT.png (fails after S seconds, default 5, without one)",
    {
        cameraOption(),
        imagePortOption(),
        {"--timeout", true, false, "S", "give up after S seconds without a picture (default 5)"},
    },
    {"OUT.png"},
    runCapture,
};
