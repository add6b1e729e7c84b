#include "ScanCommand.h"

#include "CameraPicture.h"
#include "PageScan.h"
#include "device/CameraAddress.h"
#include "scan/ScanLook.h"
#include "scan/ScanPdfWriter.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kDefaultEverySeconds = 5;
constexpr double kDefaultTimeoutSeconds = 5;

struct ScanJob {
    std::string out;
    std::string host;
    std::uint16_t port = kImagePort;
    long long pages = 1;
    double everySeconds = kDefaultEverySeconds;
    double timeoutSeconds = kDefaultTimeoutSeconds;
    ScanLook::Look look = ScanLook::Look::Colour;
    ScanPdfWriter::Options pdf;
};

Clock::duration seconds(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

bool parseJob(const CliArguments &arguments, ScanJob &job, std::string &error) {
    long long port = 0;
    if (!arguments.integer("--image-port", 1, 65535, kImagePort, port, error) ||
        !arguments.integer("--pages", 1, 1000, 1, job.pages, error) ||
        !arguments.seconds("--every", kDefaultEverySeconds, job.everySeconds, error) ||
        !arguments.seconds("--timeout", kDefaultTimeoutSeconds, job.timeoutSeconds, error))
        return false;
    const auto look = ScanLook::fromName(arguments.text("--look", "colour"));
    if (!look) {
        error = "--look is one of " + ScanLook::names();
        return false;
    }
    job.out = arguments.arguments().front();
    job.host = arguments.text("--camera");
    job.port = static_cast<std::uint16_t>(port);
    job.look = *look;
    job.pdf.languages = QString::fromStdString(arguments.text("--lang", ScanPdfWriter::kDefaultLanguages));
    return true;
}

int fail(const std::string &message) {
    std::fprintf(stderr, "deskcam-cli scan: %s\n", message.c_str());
    return kExitFailed;
}

// Page after page: wait for its moment, take the newest picture, straighten, clean, read and add it.
int scanPages(const ScanJob &job, ImageRecvTCPSocket &receiver, ScanPdfWriter &pdf) {
    const std::string where = job.host + ":" + std::to_string(job.port);
    ImageBytes previous;
    const Clock::time_point start = Clock::now();
    for (long long n = 1; n <= job.pages; ++n) {
        std::this_thread::sleep_until(start + seconds(job.everySeconds * double(n - 1)));
        const QImage picture =
            CameraPicture::next(receiver, previous, Clock::now() + seconds(job.timeoutSeconds));
        if (picture.isNull())
            return fail("no picture from " + where + " for page " + std::to_string(n) + " within " +
                        std::to_string(job.timeoutSeconds) + " s");
        std::string note;
        const QImage page = ScanLook::apply(PageScan::uprightPage(picture, note), job.look);
        if (!pdf.addPage(page)) return fail(pdf.error().toStdString());
        std::fprintf(stderr, "deskcam-cli scan: page %lld of %lld%s%s\n", n, job.pages,
                     note.empty() ? "" : ": ", note.c_str());
    }
    return kExitOk;
}

int runScan(const CliArguments &arguments) {
    ScanJob job;
    std::string error;
    if (!parseJob(arguments, job, error)) {
        std::fprintf(stderr, "deskcam-cli scan: %s\n", error.c_str());
        return kExitUsage;
    }
    ImageRecvTCPSocket receiver;
    if (!receiver.initServer(job.host, job.port))
        return fail("cannot connect to the camera at " + job.host + ":" + std::to_string(job.port));
    ScanPdfWriter pdf(QString::fromLocal8Bit(job.out.c_str()), job.pdf);
    if (!pdf.note().isEmpty()) std::fprintf(stderr, "deskcam-cli scan: %s\n", qPrintable(pdf.note()));
    if (!pdf.error().isEmpty()) return fail(pdf.error().toStdString());
    if (const int code = scanPages(job, receiver, pdf); code != kExitOk) return code;
    if (!pdf.finish()) return fail(pdf.error().toStdString());
    std::printf("%s\n", job.out.c_str());
    return kExitOk;
}

}  // namespace

const SubCommand kScanCommand = {
    "scan",
    "take N pages from the camera, S seconds apart, each found, straightened and cleaned, and save them "
    "as one PDF with their text searchable to OUT.pdf",
    {
        cameraOption(),
        imagePortOption(),
        {"--pages", true, false, "N", "how many pages (1 to 1000, default 1)"},
        {"--every", true, false, "S", "seconds from one page to the next (default 5), to turn the page"},
        {"--look", true, false, "LOOK", "colour (default), grey or bw (black and white)"},
        {"--lang", true, false, "LANGS",
         "Tesseract's languages joined by +: eng, chi_sim, eng+chi_sim (default)"},
        {"--timeout", true, false, "S", "give up after S seconds without a picture (default 5)"},
    },
    {"OUT.pdf"},
    runScan,
};
