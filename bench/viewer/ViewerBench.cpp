// The live viewer end to end, against a camera on loopback that sends the simulator's test card or its
// page (a printed page on a desk, with a real camera's JPEG entropy):
//   (a) latency from the last byte of a frame leaving the camera to that picture being set on the view,
//       median and 95th percentile;
//   (b) the viewer's CPU time per shown frame (whole process: socket, framing, supervision, decoding,
//       layout and painting; the camera's own thread is subtracted), against decoding the same JPEGs
//       alone, measured in the same run: with libjpeg-turbo straight into 32-bit pixels at the DCT scale
//       the viewer uses (the floor), and with Qt's decoder; paced at the camera's frame rate as the
//       viewer meets them, and back to back; and against the floor plus drawing the picture once on a
//       window-sized picture as the view does (smooth, at the size shown), which no viewer can skip;
//   (c) the longest the GUI thread was busy at a stretch (a 2 ms timer's worst lateness).
//
//   (c) with --teaching: the viewer's CPU per shown frame with strokes on the picture and the status
//       overlay on, against the same viewer without them, in alternating stretches of S seconds each;
//       with --spotlight alike, with the spotlight on and the stills strip shown against both off.
//   (c) with --scan: the frame rate shown with scan mode on (the page's outline found four times a
//       second on a worker), against the same viewer with it off, in alternating stretches of S seconds.
//
//   bench_viewer [--seconds S] [--fps F] [--size WxH] [--picture card|page] [--teaching | --spotlight |
//   --scan]
//                (defaults: 10, 30, 1920x1080, card)
//
// Runs on the offscreen platform unless a DISPLAY or QT_QPA_PLATFORM is set.

#include "DecodeFloor.h"
#include "PagePicture.h"
#include "TestCard.h"

#include "ServerSocket.h"
#include "TimedSender.h"
#include "WireFrame.h"
#include "app/MouseDragView.h"
#include "app/QtMainQueue.h"
#include "app/ViewController.h"
#include "device/ImageRecvTCPSocket.h"
#include "device/JpegDecoder.h"
#include "viewer/DKBookmark.h"
#include "viewer/LaunchOptions.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace {

constexpr std::size_t kDistinctPictures = 60;  // two seconds of distinct frames at 30 fps
constexpr int kWarmUpMs = 3000;
constexpr int kPacedDecodes = 150;  // five seconds at 30 fps
constexpr int kTeachingRounds = 3;  // pairs of stretches without and with the teaching tools

struct Settings {
    double seconds = 10;
    double fps = 30;
    int width = 1920;
    int height = 1080;
    bool teaching = false;
    bool spotlight = false;
    bool scan = false;
    bool page = false;
};

bool parseSettings(const QStringList &arguments, Settings &settings) {
    for (int i = 1; i < arguments.size(); i += 2) {
        const QString &name = arguments[i];
        if (name == QLatin1String("--teaching") || name == QLatin1String("--spotlight") ||
            name == QLatin1String("--scan")) {
            (name == QLatin1String("--teaching")    ? settings.teaching
             : name == QLatin1String("--spotlight") ? settings.spotlight
                                                    : settings.scan) = true;
            --i;
            continue;
        }
        if (i + 1 >= arguments.size()) return false;
        const QString &value = arguments[i + 1];
        if (name == QLatin1String("--seconds")) {
            settings.seconds = value.toDouble();
        } else if (name == QLatin1String("--fps")) {
            settings.fps = value.toDouble();
        } else if (name == QLatin1String("--picture") &&
                   (value == QLatin1String("card") || value == QLatin1String("page"))) {
            settings.page = value == QLatin1String("page");
        } else if (name == QLatin1String("--size") && value.contains(QLatin1Char('x'))) {
            settings.width = value.section(QLatin1Char('x'), 0, 0).toInt();
            settings.height = value.section(QLatin1Char('x'), 1, 1).toInt();
        } else {
            return false;
        }
    }
    return settings.seconds > 0 && settings.fps > 0 && settings.width > 0 && settings.height > 0;
}

std::size_t fingerprint(const std::vector<std::uint8_t> &bytes) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
}

// CPU seconds of each thread of this process, by thread id, with the thread's name.
struct ThreadTimes {
    std::map<int, std::pair<std::string, double>> byThread;
};

ThreadTimes threadTimes() {
    ThreadTimes times;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        std::getline(stat, line);
        const auto open = line.find('('), close = line.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::istringstream rest(line.substr(close + 2));
        std::string field;
        for (int i = 0; i < 11; ++i) rest >> field;  // state .. cmajflt
        double user = 0, system = 0;
        rest >> user >> system;
        times.byThread[std::stoi(entry.path().filename())] = {line.substr(open + 1, close - open - 1),
                                                              (user + system) / ticks};
    }
    return times;
}

// The CPU seconds each thread (grouped by name) used between two snapshots, added to byName.
void addThreadShares(const ThreadTimes &before, const ThreadTimes &after,
                     std::map<std::string, double> &byName) {
    for (const auto &[tid, entry] : after.byThread) {
        const auto earlier = before.byThread.find(tid);
        byName[entry.first] += entry.second - (earlier == before.byThread.end() ? 0 : earlier->second.second);
    }
}

// The CPU each thread (grouped by name) used between two snapshots, in milliseconds per shown frame.
void printThreadShares(const ThreadTimes &before, const ThreadTimes &after, int frames) {
    std::map<std::string, double> byName;
    addThreadShares(before, after, byName);
    for (const auto &[name, seconds] : byName) {
        if (seconds > 0)
            std::printf("  thread %-16s %.2f ms per frame\n", name.c_str(), seconds * 1000 / frames);
    }
}

void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// How late a 2 ms timer on the GUI thread fires at worst: the longest the thread was busy at a stretch.
class GuiStallProbe {
  public:
    GuiStallProbe() {
        timer_.setInterval(2);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            worstMs_ = std::max(worstMs_, sinceLast_.nsecsElapsed() / 1e6 - 2);
            sinceLast_.restart();
        });
        sinceLast_.start();
        timer_.start();
    }
    double longestMs() const { return worstMs_; }

  private:
    QTimer timer_;
    QElapsedTimer sinceLast_;
    double worstMs_ = 0;
};

// What a presenter leaves on a page: six handwritten pen lines and two highlighted ones.
void drawOnPicture(DrawingSheet &sheet, QSize picture) {
    const double w = picture.width(), h = picture.height();
    for (int line = 0; line < 6; ++line) {
        const double y = h * (0.2 + 0.1 * line);
        sheet.beginStroke(Stroke::Kind::Pen, QColor(229, 57, 53), 5, {w * 0.15, y});
        for (int i = 1; i <= 150; ++i)
            sheet.extendStroke({w * (0.15 + 0.5 * i / 150), y + 12 * std::sin(i * 0.7)});
    }
    for (const double y : {0.35, 0.65}) {
        sheet.beginStroke(Stroke::Kind::Highlighter, QColor(253, 216, 53), 30, {w * 0.1, h * y});
        for (int i = 1; i <= 40; ++i) sheet.extendStroke({w * (0.1 + 0.7 * i / 40), h * y + 2 * std::sin(i)});
    }
}

// The viewer's CPU time (the camera's thread taken out) over stretches, the pictures it showed, and the
// CPU seconds of each thread by name.
struct Stretch {
    double cpuSeconds = 0;
    int shown = 0;
    std::map<std::string, double> threads;
};

void measureStretch(double seconds, const TimedSender &camera, const int &shownSoFar, Stretch &total) {
    const double cpuStart = processCpuSeconds();
    const double cameraStart = std::chrono::duration<double>(camera.cpuTime()).count();
    const int shownStart = shownSoFar;
    const ThreadTimes threadsBefore = threadTimes();
    runEventLoopFor(static_cast<int>(seconds * 1000));
    addThreadShares(threadsBefore, threadTimes(), total.threads);
    total.cpuSeconds += processCpuSeconds() - cpuStart -
                        (std::chrono::duration<double>(camera.cpuTime()).count() - cameraStart);
    total.shown += shownSoFar - shownStart;
}

double perShownMs(const Stretch &stretch) {
    return stretch.shown > 0 ? stretch.cpuSeconds / stretch.shown * 1000 : 0;
}

// What is compared: a tool on against off.
struct Comparison {
    const char *what;  // "strokes and overlay"
    std::function<void(bool)> turn;
};

// The tool on, then off, in turns, so that a change of load on the machine falls on both alike.
int compareTeachingTools(ViewController &viewer, const TimedSender &camera, const Settings &settings,
                         const Comparison &comparison) {
    int shown = 0;
    QObject::connect(&viewer, &ViewController::imageShown, [&] { ++shown; });
    Stretch plain, teaching;
    for (int round = 0; round < kTeachingRounds; ++round) {
        comparison.turn(false);
        runEventLoopFor(500);
        Stretch without, with;
        measureStretch(settings.seconds, camera, shown, without);
        comparison.turn(true);
        runEventLoopFor(500);
        measureStretch(settings.seconds, camera, shown, with);
        std::printf("round %d: without %.2f ms per frame (%d shown), with %.2f ms per frame (%d shown)\n",
                    round + 1, perShownMs(without), without.shown, perShownMs(with), with.shown);
        for (const auto &[stretch, sum] : {std::pair{&without, &plain}, std::pair{&with, &teaching}}) {
            sum->cpuSeconds += stretch->cpuSeconds;
            sum->shown += stretch->shown;
            for (const auto &[name, seconds] : stretch->threads) sum->threads[name] += seconds;
        }
    }
    std::printf("platform %s, window 1280x800, %dx%d at %.0f fps, %d rounds of 2 x %.0f s\n",
                qPrintable(QGuiApplication::platformName()), settings.width, settings.height, settings.fps,
                kTeachingRounds, settings.seconds);
    std::printf("viewer CPU per frame     %.2f ms without, %.2f ms with %s\n", perShownMs(plain),
                perShownMs(teaching), comparison.what);
    std::printf("ratio with/without       %.3f (target: within 1.1)\n",
                perShownMs(plain) > 0 ? perShownMs(teaching) / perShownMs(plain) : 0);
    std::printf("where the time went, ms per frame without / with (the camera's thread included):\n");
    for (const auto &[name, seconds] : teaching.threads) {
        const double before = plain.threads[name] * 1000 / std::max(plain.shown, 1);
        const double after = seconds * 1000 / std::max(teaching.shown, 1);
        if (before > 0.005 || after > 0.005)
            std::printf("  thread %-16s %.2f / %.2f\n", name.c_str(), before, after);
    }
    return 0;
}

int measureScanSaving(ViewController &viewer);

// Scan mode off, then on, in turns: the frames shown per second and the CPU per frame of each.
int compareScanMode(ViewController &viewer, const TimedSender &camera, const Settings &settings) {
    int shown = 0;
    QObject::connect(&viewer, &ViewController::imageShown, [&] { ++shown; });
    int outlines = 0;
    QObject::connect(&viewer.scanMode(), &ScanMode::outlineFound, [&] { ++outlines; });
    Stretch plain, scanning;
    for (int round = 0; round < kTeachingRounds; ++round) {
        viewer.scanMode().setActive(false);
        runEventLoopFor(500);
        Stretch without, with;
        measureStretch(settings.seconds, camera, shown, without);
        viewer.scanMode().setActive(true);
        runEventLoopFor(500);
        measureStretch(settings.seconds, camera, shown, with);
        std::printf("round %d: without %.1f fps shown, with %.1f fps shown\n", round + 1,
                    without.shown / settings.seconds, with.shown / settings.seconds);
        for (const auto &[stretch, sum] : {std::pair{&without, &plain}, std::pair{&with, &scanning}}) {
            sum->cpuSeconds += stretch->cpuSeconds;
            sum->shown += stretch->shown;
        }
    }
    const double seconds = kTeachingRounds * settings.seconds;
    std::printf("platform %s, window 1280x800, %dx%d at %.0f fps, %d rounds of 2 x %.0f s\n",
                qPrintable(QGuiApplication::platformName()), settings.width, settings.height, settings.fps,
                kTeachingRounds, settings.seconds);
    std::printf("outlines found           %d (%.1f per second of scan mode)\n", outlines,
                outlines / (seconds + kTeachingRounds * 0.5));
    std::printf("frames shown per second  %.2f without, %.2f with scan mode\n", plain.shown / seconds,
                scanning.shown / seconds);
    std::printf("ratio with/without       %.3f (target: at least 0.98)\n",
                plain.shown > 0 ? double(scanning.shown) / plain.shown : 0);
    std::printf(
        "viewer CPU per frame     %.2f ms without, %.2f ms with (the page finder's worker included)\n",
        perShownMs(plain), perShownMs(scanning));
    return measureScanSaving(viewer);
}

// Two pages added and saved as a PDF with their text, live pictures going on: the longest the GUI thread
// was busy at a stretch meanwhile.
int measureScanSaving(ViewController &viewer) {
    QTemporaryDir root;
    DKBookmark::defaultShareBookmark().setSavePath(DKBookmark::CreateDirectory(root.filePath("ZUVA")));
    ScanMode &scan = viewer.scanMode();
    scan.setActive(true);
    runEventLoopFor(500);
    GuiStallProbe stalls;
    QElapsedTimer clock;
    clock.start();
    for (int page = 0; page < 2; ++page) {
        const int before = scan.pages().count();
        scan.addPage();
        while (scan.pages().count() == before && clock.elapsed() < 20000) runEventLoopFor(20);
    }
    bool saved = false;
    QObject::connect(&scan, &ScanMode::saveFinished, [&] { saved = true; });
    scan.savePdf();
    while (!saved && clock.elapsed() < 60000) runEventLoopFor(20);
    std::printf(
        "adding 2 pages and saving them as PDF: %.1f s, GUI thread busy at most %.1f ms at a stretch "
        "(target: 50)\n",
        clock.elapsed() / 1000.0, stalls.longestMs());
    DKBookmark::defaultShareBookmark().setSavePath(QString());
    return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The status overlay's switch is remembered in the user's settings; the benchmark keeps its own.
    QTemporaryDir settingsHome;
    if (settingsHome.isValid()) qputenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit());
    QApplication application(argc, argv);
    Settings settings;
    if (!parseSettings(QApplication::arguments(), settings)) {
        std::fprintf(stderr,
                     "usage: bench_viewer [--seconds S] [--fps F] [--size WxH] [--picture card|page] "
                     "[--teaching | --spotlight | --scan]\n");
        return 2;
    }
    QtMainQueue::install(application);

    std::printf("Encoding %zu %s pictures of %dx%d ...\n", kDistinctPictures,
                settings.page ? "page" : "test-card", settings.width, settings.height);
    std::unique_ptr<PictureSource> card;
    if (settings.page)
        card = std::make_unique<PagePicture>(PictureStyle{settings.width, settings.height, 85});
    else
        card = std::make_unique<TestCard>(PictureStyle{settings.width, settings.height, 85});
    std::vector<std::vector<std::uint8_t>> jpegs, units;
    std::unordered_map<std::size_t, std::size_t> unitOfPicture;
    for (std::size_t n = 0; n < kDistinctPictures; ++n) {
        jpegs.push_back(card->picture(n));
        // The page repeats a few noise variants: bytes after the end marker, which decoders skip, tell
        // the units apart for the latency.
        if (unitOfPicture.count(fingerprint(jpegs.back())) != 0)
            for (int shift = 0; shift < 32; shift += 8) jpegs.back().push_back(std::uint8_t(n >> shift));
        units.push_back(wireFrame(jpegs.back(), {static_cast<std::uint32_t>(n), false}));
        unitOfPicture[fingerprint(jpegs.back())] = n;
    }

    TimedSender camera(units, settings.fps);
    LaunchOptions options;
    options.camera = QStringLiteral("127.0.0.1");
    options.imagePort = camera.start();
    options.commandPort = unusedLoopbackPort(SOCK_DGRAM);
    if (options.imagePort == 0) {
        std::fprintf(stderr, "bench_viewer: cannot listen on loopback\n");
        return 1;
    }

    ImageRecvTCPSocket receiver;
    ViewController viewer(options, receiver);
    viewer.resize(1280, 800);
    viewer.show();

    bool measuring = false;
    int shown = 0;
    std::vector<double> latenciesMs;
    QObject::connect(&viewer, &ViewController::imageShown, [&] {
        const auto now = TimedSender::Clock::now();
        if (!measuring) return;
        ++shown;
        const ImageBytes bytes = viewer.shownImageBytes();
        const auto unit = unitOfPicture.find(fingerprint(*bytes));
        TimedSender::Clock::time_point sentAt;
        if (unit != unitOfPicture.end() && camera.lastSentTime(unit->second, sentAt)) {
            latenciesMs.push_back(std::chrono::duration<double, std::milli>(now - sentAt).count());
        }
    });

    runEventLoopFor(kWarmUpMs);  // connection, reconnection, first relayout
    if (settings.teaching) {
        DrawingSheet &sheet = viewer.dragView()->drawingSheet();
        return compareTeachingTools(
            viewer, camera, settings,
            {"strokes (6 pen lines of 151 points, 2 highlighter lines) and overlay", [&](bool on) {
                 sheet.clear();
                 if (on) drawOnPicture(sheet, viewer.currentImage().size());
                 viewer.setStatusOverlayShown(on);
             }});
    }
    if (settings.spotlight) {
        return compareTeachingTools(
            viewer, camera, settings,
            {"the spotlight on and the stills strip shown", [&](bool on) {
                 for (QAction *action : {viewer.ui().spotlight_action, viewer.ui().stills_action})
                     if (action->isChecked() != on) action->trigger();
             }});
    }
    if (settings.scan) return compareScanMode(viewer, camera, settings);
    const int scale = JpegDecoder::scaleFor(viewer.displayGeometry().zoom() * viewer.devicePixelRatioF());
    const double cpuStart = processCpuSeconds();
    const double cameraStart = std::chrono::duration<double>(camera.cpuTime()).count();
    const ThreadTimes threadsBefore = threadTimes();
    GuiStallProbe stalls;
    measuring = true;
    runEventLoopFor(static_cast<int>(settings.seconds * 1000));
    measuring = false;
    const double longestStallMs = stalls.longestMs();
    const ThreadTimes threadsAfter = threadTimes();
    const double viewerCpu = processCpuSeconds() - cpuStart -
                             (std::chrono::duration<double>(camera.cpuTime()).count() - cameraStart);
    camera.stop();

    // Qt's decoder alone on the same pictures, as many as the viewer showed (at least one round).
    const int decodes = std::max<int>(shown, kDistinctPictures);
    const double perDecode = decodeBackToBackMs(jpegs, decodes);
    const double perPacedDecode = decodePacedMs(jpegs, kPacedDecodes, settings.fps);
    const double perFloor = decodeBackToBackMs(jpegs, decodes, libjpegTurboAt(scale));
    const double perPacedFloor = decodePacedMs(jpegs, kPacedDecodes, settings.fps, libjpegTurboAt(scale));
    const double ratio = viewer.dragView()->devicePixelRatioF();
    const ShownPicture shownPicture{viewer.dragView()->size() * ratio,
                                    viewer.displayGeometry().zoom() * ratio};
    const double perPacedDraw = drawPacedMs(jpegs, kPacedDecodes, settings.fps, scale, shownPicture);
    if (perDecode < 0 || perPacedDecode < 0 || perFloor < 0 || perPacedFloor < 0 || perPacedDraw < 0)
        return 1;

    const double sentFrames = settings.seconds * settings.fps;
    const double perShown = shown > 0 ? viewerCpu / shown * 1000 : 0;
    std::printf("platform %s, window 1280x800, %dx%d at %.0f fps for %.0f s\n",
                qPrintable(QGuiApplication::platformName()), settings.width, settings.height, settings.fps,
                settings.seconds);
    std::printf("frames shown             %d of about %.0f sent (%.1f%%), %.1f per second\n", shown,
                sentFrames, 100.0 * shown / sentFrames, shown / settings.seconds);
    std::printf("GUI thread busy at most  %.1f ms at a stretch\n", longestStallMs);
    std::printf("latency last byte->view  median %.2f ms, p95 %.2f ms (frame interval %.2f ms)\n",
                percentile(latenciesMs, 0.5), percentile(latenciesMs, 0.95), 1000 / settings.fps);
    std::printf("viewer CPU per frame     %.2f ms\n", perShown);
    std::printf("libjpeg-turbo at 1/%d     %.2f ms paced, %.2f ms back to back (the floor)\n", scale,
                perPacedFloor, perFloor);
    std::printf("ratio viewer/floor       %.2f paced, %.2f back to back (the target's measure)\n",
                perShown / perPacedFloor, perShown / perFloor);
    std::printf("drawing it once, paced   %.2f ms on %dx%d, %.3f screen pixels per camera pixel\n",
                perPacedDraw, shownPicture.area.width(), shownPicture.area.height(), shownPicture.scale);
    std::printf("ratio viewer/(floor+draw) %.2f paced: what is left beyond decoding and drawing once\n",
                perShown / (perPacedFloor + perPacedDraw));
    std::printf("Qt decode alone, paced   %.2f ms per frame (%d decodes, one per frame interval)\n",
                perPacedDecode, kPacedDecodes);
    std::printf("Qt decode back to back   %.2f ms per frame (%d decodes)\n", perDecode, decodes);
    std::printf("ratio viewer/decode      %.2f paced, %.2f back to back\n",
                perPacedDecode > 0 ? perShown / perPacedDecode : 0, perDecode > 0 ? perShown / perDecode : 0);
    std::printf("where the time went (the camera's thread included):\n");
    printThreadShares(threadsBefore, threadsAfter, std::max(shown, 1));
    return 0;
}
