// How long the capture button's save takes (naming, PNG encode, atomic write) against Qt's plain
// QImage::save of the same 1920x1080 picture, in the same run. Prints both times and their ratio.
//
//   bench_capture [--benchmark_repetitions=N]   (default 5, run in random order)

#include "app/CaptureControl.h"
#include "viewer/DKBookmark.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// A camera-like picture: a page with text, soft shading and sensor noise, passed through JPEG as the
// stream's pictures are, so the PNG encoder meets what it meets on screen.
QImage cameraPicture() {
    QImage page(1920, 1080, QImage::Format_RGB32);
    QPainter painter(&page);
    QLinearGradient light(0, 0, 1920, 1080);
    light.setColorAt(0, QColor(236, 232, 220));
    light.setColorAt(1, QColor(190, 186, 176));
    painter.fillRect(page.rect(), light);
    painter.setPen(QColor(30, 30, 40));
    painter.setFont(QFont(QStringLiteral("Sans"), 22));
    for (int line = 0; line < 28; ++line)
        painter.drawText(120, 80 + line * 36,
                         QStringLiteral("%1  The quick brown fox jumps over the lazy dog, "
                                        "0123456789 — Σ π ∫ √ ∞")
                             .arg(line + 1));
    painter.end();
    QRandomGenerator noise(42);
    for (int y = 0; y < page.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int n = int(noise.bounded(9)) - 4;
            const QRgb p = row[x];
            row[x] = qRgb(qBound(0, qRed(p) + n, 255), qBound(0, qGreen(p) + n, 255),
                          qBound(0, qBlue(p) + n, 255));
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    page.save(&buffer, "JPEG", 85);
    return QImage::fromData(jpeg, "JPEG");
}

struct Fixture {
    Fixture()
        : picture(cameraPicture()),
          bookmark(std::make_unique<QSettings>(folder.filePath(QStringLiteral("settings.ini")),
                                               QSettings::IniFormat),
                   {}) {
        bookmark.setSavePath(folder.filePath(QStringLiteral("ZUVA")));
        DKBookmark::CreateDirectory(bookmark.g_save_path());
    }
    QTemporaryDir folder;
    QImage picture;
    DKBookmark bookmark;
};

Fixture &fixture() {
    static Fixture shared;
    return shared;
}

void BM_QImageSave(benchmark::State &state) {
    Fixture &f = fixture();
    const QString path = f.folder.filePath(QStringLiteral("plain.png"));
    for (auto _ : state) {
        if (!f.picture.save(path, "PNG")) state.SkipWithError("QImage::save failed");
        state.PauseTiming();
        QFile::remove(path);
        state.ResumeTiming();
    }
}

void BM_CaptureSave(benchmark::State &state) {
    Fixture &f = fixture();
    const QDateTime pressedAt = QDateTime::currentDateTime();
    for (auto _ : state) {
        const auto result = CaptureControl::capture(f.picture, f.bookmark, pressedAt);
        if (result.outcome != CaptureControl::Outcome::Saved) state.SkipWithError("capture failed");
        state.PauseTiming();
        QFile::remove(result.path);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_QImageSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_CaptureSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// Keeps the median of each benchmark's repetitions so the ratio can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                medians_[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const {
        const auto plain = medians_.find("BM_QImageSave");
        const auto capture = medians_.find("BM_CaptureSave");
        if (plain == medians_.end() || capture == medians_.end()) return;
        std::printf("median of the repetitions, 1920x1080:\n");
        std::printf("  QImage::save    %7.1f ms real  %7.1f ms cpu\n", plain->second.real, plain->second.cpu);
        std::printf("  capture save    %7.1f ms real  %7.1f ms cpu\n", capture->second.real,
                    capture->second.cpu);
        std::printf("  ratio           %7.2fx real  %7.2fx cpu\n", capture->second.real / plain->second.real,
                    capture->second.cpu / plain->second.cpu);
    }

  private:
    struct Times {
        double real;
        double cpu;
    };
    std::map<std::string, Times> medians_;
};

}  // namespace

int main(int argc, char **argv) {
    // Drawing the page's text needs a QGuiApplication; no display is used.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Repetitions in random order, so a change of machine load meets both sides alike.
    std::vector<char *> args(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, {repetitions, interleave});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}
