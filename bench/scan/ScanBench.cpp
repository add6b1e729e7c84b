// Page finding per camera frame and reading one page, each against a budget and against a baseline of the
// same run: the JPEG decode of the same frame, which every live picture costs anyway.
//
//   bench_scan [--benchmark_repetitions=N]
//
// Prints, besides the times, "finder/budget" (target at most 1: 5 ms per 1920x1080 frame), "finder/decode",
// "ocr/budget" (target at most 1: 3 s for a 1080p page on one thread) and "ocr/decode".

#include "SyntheticPage.h"
#include "device/JpegDecoder.h"
#include "scan/PageFinder.h"
#include "scan/PageStraightener.h"
#include "scan/ScanLook.h"
#include "scan/ScanPdfWriter.h"
#include "scan/TextRecognizer.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <ctime>
#include <map>
#include <string>

namespace {

constexpr double kFinderBudgetMs = 5;
constexpr double kOcrBudgetMs = 3000;

struct Frames {
    SyntheticPage::Picture hd = SyntheticPage::make({});
};

Frames &frames() {
    static Frames shared;
    return shared;
}

// CPU time of the calling thread, as the budgets are stated.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

std::map<std::string, double> &bestMs() {
    static std::map<std::string, double> best;
    return best;
}

template <typename Work>
void measure(benchmark::State &state, const std::string &name, Work work) {
    for (auto _ : state) {
        const double start = threadCpuMs();
        work();
        const double ms = threadCpuMs() - start;
        state.SetIterationTime(ms / 1e3);
        auto [it, added] = bestMs().emplace(name, ms);
        if (!added && ms < it->second) it->second = ms;
    }
}

void BM_DecodeFrame(benchmark::State &state) {
    const QByteArray &jpeg = frames().hd.jpeg;
    QImage picture;
    measure(state, "decode", [&] {
        JpegDecoder::decodeInto(reinterpret_cast<const std::uint8_t *>(jpeg.constData()), jpeg.size(),
                                picture);
        benchmark::DoNotOptimize(picture.constBits());
    });
}

void BM_FindPage(benchmark::State &state) {
    const QImage &picture = frames().hd.decoded;
    measure(state, "finder", [&] { benchmark::DoNotOptimize(PageFinder::find(picture)); });
}

void BM_ReadPage(benchmark::State &state) {
    const QImage &picture = frames().hd.decoded;
    const QImage page =
        ScanLook::apply(PageStraightener::straighten(
                            picture, PageFinder::find(picture).value_or(PageQuad::whole(picture.size()))),
                        ScanLook::Look::Grey);
    TextRecognizer recognizer(QStringLiteral("eng"));
    if (!recognizer.isReady()) {
        state.SkipWithError(qPrintable(recognizer.error()));
        return;
    }
    measure(state, "ocr", [&] {
        benchmark::DoNotOptimize(recognizer.recognize(page, ScanPdfWriter::pixelsPerInch(page.size())));
    });
}

BENCHMARK(BM_DecodeFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_FindPage)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.5);
BENCHMARK(BM_ReadPage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char **argv) {
    QGuiApplication application(argc, argv);  // fonts for the test page
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto &best = bestMs();
    if (!best.count("decode") || !best.count("finder") || !best.count("ocr")) return 1;
    const double decode = best.at("decode");
    std::printf("best CPU ms: decode %.2f, finder %.2f, ocr %.0f\n", decode, best.at("finder"),
                best.at("ocr"));
    std::printf("finder/budget %.2f  finder/decode %.2f  ocr/budget %.2f  ocr/decode %.0f\n",
                best.at("finder") / kFinderBudgetMs, best.at("finder") / decode,
                best.at("ocr") / kOcrBudgetMs, best.at("ocr") / decode);
    return 0;
}
