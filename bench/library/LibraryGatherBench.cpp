// How long the library window takes to gather a folder of full-size captures, and how long its window
// stops answering meanwhile.
//
//   bench_library [files]          (default 200 captures of 1920 x 1080)
//
// Figures, all measured in this run on the same files:
//   decode   : QImage loading each PNG at full size (the baseline)
//   gather   : making each grid entry (thumbnail of at most 160 pixels + picture size), one after the other
//              on one thread; this is what a window gathering on its own thread would be busy with
//   window   : a library window opened on the folder: its set-up time, the time until its first and its
//              last entry shows, and the longest stretch in which its event loop did not run while the
//              entries arrived (a 5 ms timer's largest gap)

#include "library/LibraryItems.h"
#include "library/LibraryViewController.h"
#include "viewer/DKBookmark.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr QSize kCaptureSize{1920, 1080};
constexpr int kDistinctPictures = 4;

// A document under a camera: paper with a soft light fall-off, lines of dark "text", a photo block, and
// sensor noise on every pixel, so the PNGs compress about as badly as real captures.
QImage documentPicture(unsigned seed) {
    QImage image(kCaptureSize, QImage::Format_RGB32);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-6, 6);
    std::uniform_int_distribution<int> wordLength(20, 90);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const bool textRow = (y / 24) % 2 == 1 && y > 120 && y < 900;
        int x = 0;
        while (x < image.width()) {
            const int word = wordLength(random);
            const bool ink = textRow && x > 200 && x < 1100 && (word % 5 != 0);
            for (int i = 0; i < word && x < image.width(); ++i, ++x) {
                const double dx = (x - 960.0) / 960.0, dy = (y - 540.0) / 540.0;
                int base = int(235 - 30 * (dx * dx + dy * dy));
                if (ink) base = 60;
                if (x > 1250 && x < 1750 && y > 200 && y < 600) base = 90 + (x + y) % 120;  // the photo
                const int v = std::clamp(base + noise(random), 0, 255);
                line[x] = qRgb(v, std::clamp(v + 3, 0, 255), std::clamp(v - 4, 0, 255));
            }
        }
    }
    return image;
}

bool writeCaptures(const QString &folder, int count) {
    QDir().mkpath(folder);
    QStringList originals;
    for (int i = 0; i < kDistinctPictures; ++i) {
        const QString path = QStringLiteral("%1/original_%2.png").arg(folder).arg(i);
        if (!documentPicture(unsigned(i + 1)).save(path, "PNG")) return false;
        originals << path;
    }
    for (int i = 0; i < count; ++i) {
        const QString path =
            QStringLiteral("%1/image_20240101_12%2.png").arg(folder).arg(i, 4, 10, QChar(u'0'));
        if (!QFile::copy(originals[i % kDistinctPictures], path)) return false;
    }
    for (const QString &original : originals) QFile::remove(original);
    return true;
}

double millisecondsSince(const QElapsedTimer &clock) {
    return clock.nsecsElapsed() / 1e6;
}

struct WindowFigures {
    double setUpMs = 0;  // constructing and showing the window, before the event loop runs again
    double firstEntryMs = -1;
    double lastEntryMs = 0;
    double longestStallMs = 0;
    qsizetype entries = 0;
};

WindowFigures openWindow(const QString &settingsFile) {
    DKBookmark bookmark(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat),
                        [] { return QString(); });
    WindowFigures figures;
    QElapsedTimer clock, sinceTick;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        figures.longestStallMs = std::max(figures.longestStallMs, millisecondsSince(sinceTick));
        sinceTick.start();
    });

    clock.start();
    sinceTick.start();
    ticker.start();
    LibraryViewController window(bookmark, {[] { return QString(); }, [](const QUrl &) { return true; }});
    window.resize(1180, 720);
    window.show();
    figures.setUpMs = millisecondsSince(sinceTick);
    sinceTick.start();
    while (window.isGathering()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (figures.firstEntryMs < 0 && !window.items().isEmpty())
            figures.firstEntryMs = millisecondsSince(clock);
    }
    figures.lastEntryMs = millisecondsSince(clock);
    figures.entries = window.items().size();
    return figures;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 200;

    QTemporaryDir tmp;
    const QString root = tmp.filePath("ZUVA");
    const QString captures = root + "/CaptureImages";
    DKBookmark::CreateDirectory(root);
    if (!writeCaptures(captures, count)) {
        std::fprintf(stderr, "bench_library: could not write the captures\n");
        return 1;
    }
    const QString settingsFile = tmp.filePath("settings.ini");
    QSettings(settingsFile, QSettings::IniFormat).setValue(DKBookmark::kSavePathKey, root);
    const QStringList names = LibraryItems::matchingFileNames(captures, QStringLiteral("png"));
    std::printf("%d captures of %dx%d, %.1f MB each\n", count, kCaptureSize.width(), kCaptureSize.height(),
                QFileInfo(captures + "/" + names.first()).size() / 1e6);

    // Warm the file cache so that both passes read from memory.
    for (const QString &name : names) QImage(captures + "/" + name);

    QElapsedTimer clock;
    clock.start();
    for (const QString &name : names) QImage(captures + "/" + name);
    const double decodeMs = millisecondsSince(clock) / count;

    clock.start();
    for (const QString &name : names) LibraryItems::makeItem(captures, name, QStringLiteral("png"));
    const double gatherMs = millisecondsSince(clock) / count;

    std::printf("decode full size (baseline): %7.2f ms per file\n", decodeMs);
    std::printf("gather entry (thumbnail+size): %7.2f ms per file  = %.2f x the baseline\n", gatherMs,
                gatherMs / decodeMs);
    std::printf("gathering on the GUI thread would block the window for %.2f s\n", gatherMs * count / 1000);

    // A first window over an empty root pays the one-time costs (fonts, style, icon theme) that any window
    // of the app would have paid before.
    const QString emptySettings = tmp.filePath("empty.ini");
    QSettings(emptySettings, QSettings::IniFormat).setValue(DKBookmark::kSavePathKey, tmp.filePath("none"));
    openWindow(emptySettings);

    const WindowFigures window = openWindow(settingsFile);
    std::printf(
        "window: set-up %.0f ms; %lld entries, first shown after %.0f ms, last after %.0f ms (%.2f x "
        "the baseline's total); longest event-loop stall while they arrive %.0f ms\n",
        window.setUpMs, static_cast<long long>(window.entries), window.firstEntryMs, window.lastEntryMs,
        window.lastEntryMs / (decodeMs * count), window.longestStallMs);
    return window.entries == count ? 0 : 1;
}
