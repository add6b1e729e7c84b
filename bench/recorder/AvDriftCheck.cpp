// av-drift-check FILE: how far a recording's sound drifts from its picture. The recording shows
// deskcam-sim's flashes (white pictures, again and again) while a tone burst sounded at each flash; for
// every flash found in the picture it prints the start of the nearest burst in the sound minus the start of
// the flash, then the drift: last offset minus first, and the same from a straight line fitted through all
// offsets (which the 40 ms steps of the picture disturb less).
//
// The picture is read one frame at a time and the sound one block at a time, so an hour of recording fits.

#include "MediaProbe.h"

#include <cmath>
#include <cstdio>
#include <vector>

using namespace recorder_test;

namespace {

constexpr double kWhite = 200;          // mean grey of a flash picture, out of 255
constexpr double kLoud = 0.1;           // the burst's amplitude is 0.37
constexpr double kQuietBefore = 0.2;    // seconds of silence before a burst's start
constexpr double kMaximumOffset = 1.0;  // seconds between a flash and its burst

double meanGrey(const QImage &picture) {
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) sum += qGray(picture.pixel(x, y));
    }
    return sum / (picture.width() * picture.height());
}

std::vector<double> flashStarts(const std::string &path) {
    std::vector<double> starts;
    bool white = false;
    forEachPicture(path, [&](const DecodedPicture &decoded) {
        const bool now = meanGrey(decoded.picture) > kWhite;
        if (now && !white) starts.push_back(decoded.time);
        white = now;
    });
    return starts;
}

// A burst starts at a loud sample whose previous loud sample lies a while back.
std::vector<double> burstStarts(const std::string &path) {
    std::vector<double> starts;
    double lastLoud = -1e9;
    forEachSound(path, [&](const DecodedSound &block) {
        for (std::size_t i = 0; i < block.samples.size(); ++i) {
            if (std::fabs(block.samples[i]) <= kLoud) continue;
            const double time = block.startTime + static_cast<double>(i) / block.sampleRate;
            if (time - lastLoud >= kQuietBefore) starts.push_back(time);
            lastLoud = time;
        }
    });
    return starts;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: av-drift-check FILE\n");
        return 2;
    }
    const std::vector<double> flashes = flashStarts(argv[1]);
    const std::vector<double> bursts = burstStarts(argv[1]);
    std::printf("%zu flashes, %zu tone bursts\n", flashes.size(), bursts.size());

    std::vector<double> times, offsets;
    for (const double flash : flashes) {
        double nearest = 1e9;
        for (const double burst : bursts) {
            if (std::fabs(burst - flash) < std::fabs(nearest - flash)) nearest = burst;
        }
        if (std::fabs(nearest - flash) > kMaximumOffset) {
            std::printf("flash at %8.3f s: no tone burst\n", flash);
            continue;
        }
        times.push_back(flash);
        offsets.push_back(nearest - flash);
        std::printf("flash at %8.3f s: audio - video = %+6.1f ms\n", flash, offsets.back() * 1000);
    }
    if (offsets.size() < 2) {
        std::fprintf(stderr, "av-drift-check: fewer than two flashes with a tone burst\n");
        return 1;
    }
    const double n = static_cast<double>(offsets.size());
    double meanTime = 0, meanOffset = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        meanTime += times[i] / n;
        meanOffset += offsets[i] / n;
    }
    double covariance = 0, variance = 0;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        covariance += (times[i] - meanTime) * (offsets[i] - meanOffset);
        variance += (times[i] - meanTime) * (times[i] - meanTime);
    }
    const double slope = covariance / variance;
    const double span = times.back() - times.front();
    std::printf("mean offset %+.1f ms over %.0f s\n", meanOffset * 1000, span);
    std::printf("drift first to last: %+.1f ms\n", (offsets.back() - offsets.front()) * 1000);
    std::printf("drift of the fitted line over the recording: %+.1f ms (%+.1f ppm)\n", slope * span * 1000,
                slope * 1e6);
    return 0;
}
