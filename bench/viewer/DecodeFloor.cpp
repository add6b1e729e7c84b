#include "DecodeFloor.h"

#include "app/PaintBands.h"
#include "device/JpegDecoder.h"

#include <QImage>
#include <QPainter>

#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <thread>

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

bool decodesWithQt(const std::vector<std::uint8_t> &jpeg) {
    QImage decoded;
    decoded.loadFromData(jpeg.data(), static_cast<int>(jpeg.size()));
    return !decoded.isNull();
}

Decode libjpegTurboAt(int scale) {
    return [scale, picture = QImage()](const std::vector<std::uint8_t> &jpeg) mutable {
        return JpegDecoder::decodeDirect(jpeg.data(), jpeg.size(), picture, JpegDecoder::Mode::Exact,
                                         JpegDecoder::kDecodeBudget, scale);
    };
}

double decodeBackToBackMs(const Jpegs &jpegs, int count, const Decode &decode) {
    const double start = processCpuSeconds();
    for (int i = 0; i < count; ++i) {
        if (!decode(jpegs[static_cast<std::size_t>(i) % jpegs.size()])) return -1;
    }
    return (processCpuSeconds() - start) / count * 1000;
}

namespace {

// Calls work once per frame interval, count times; the CPU seconds of this thread spent in it.
template <class Work>
double pacedSeconds(int count, double fps, Work &&work) {
    const auto interval = std::chrono::duration<double>(1.0 / fps);
    auto due = std::chrono::steady_clock::now();
    double seconds = 0;
    for (int i = 0; i < count; ++i) {
        due += std::chrono::duration_cast<std::chrono::steady_clock::duration>(interval);
        std::this_thread::sleep_until(due);
        const double start = threadCpuSeconds();
        if (!work(i)) return -1;
        seconds += threadCpuSeconds() - start;
    }
    return seconds;
}

}  // namespace

double decodePacedMs(const Jpegs &jpegs, int count, double fps, const Decode &decode) {
    const double seconds = pacedSeconds(
        count, fps, [&](int i) { return decode(jpegs[static_cast<std::size_t>(i) % jpegs.size()]); });
    return seconds < 0 ? -1 : seconds / count * 1000;
}

double drawPacedMs(const Jpegs &jpegs, int count, double fps, int dctScale, const ShownPicture &shown) {
    std::vector<QImage> pictures;
    for (const auto &jpeg : jpegs) {
        QImage picture;
        if (!JpegDecoder::decodeInto(jpeg.data(), jpeg.size(), picture, JpegDecoder::Mode::Exact, dctScale))
            return -1;
        pictures.push_back(std::move(picture));
    }
    QImage area(shown.area, QImage::Format_RGB32);
    const double seconds = pacedSeconds(count, fps, [&](int i) {
        const QImage &picture = pictures[static_cast<std::size_t>(i) % pictures.size()];
        // Centred as fit places it; the picture is 1/dctScale of the camera's size.
        const QSizeF drawn = QSizeF(picture.size()) * shown.scale * dctScale;
        const QPointF at((area.width() - drawn.width()) / 2, (area.height() - drawn.height()) / 2);
        QPainter painter(&area);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        forEachPaintBand(QRectF(at, drawn).toAlignedRect() & area.rect(), [&](const QRect &band) {
            painter.setClipRect(band);
            painter.drawImage(QRectF(at, drawn), picture);
        });
        return true;
    });
    return seconds < 0 ? -1 : seconds / count * 1000;
}
