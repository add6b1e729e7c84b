// recorder-check FILE WIDTH HEIGHT SECONDS [--video-only | --flash-and-tone | --contiguous]: checks a
// recording made by deskcam-cli record from deskcam-sim's test card. Prints what it measured and every failed
// check; exits 1 when one failed.
//
// --flash-and-tone: the simulator flashed white pictures while a 440 Hz tone played on the microphone;
// the flash and the tone must start and end within 100 ms of each other in the file.
// --contiguous: a recording that was paused: SECONDS x 25 frames (one either way), every one 40 ms after
// the one before, and as much sound as picture (within 100 ms: the stop cuts off the last 30 to 60 ms of
// sound whether or not the recording was paused).

#include "MediaProbe.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace recorder_test;

namespace {

int failures = 0;

void check(bool ok, const char *what) {
    std::printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok) ++failures;
}

bool isWhite(const QImage &picture) {
    double sum = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) sum += qGray(picture.pixel(x, y));
    }
    return sum / (picture.width() * picture.height()) > 235;
}

// The test card's colour bars: white, yellow, cyan, green, magenta, red, blue, black, left to right.
bool showsTestCard(const QImage &picture) {
    const int y = picture.height() / 20;
    const auto bar = [&](int index) { return picture.pixel((2 * index + 1) * picture.width() / 16, y); };
    const QRgb yellow = bar(1), red = bar(5), blue = bar(6);
    return qRed(yellow) > 150 && qGreen(yellow) > 150 && qBlue(yellow) < 110 && qRed(red) > 150 &&
           qGreen(red) < 110 && qBlue(blue) > 150 && qRed(blue) < 110;
}

struct Span {
    double start = -1;
    double end = -1;
};

Span flashSpan(const std::vector<DecodedPicture> &pictures, double frameDuration) {
    Span span;
    for (const DecodedPicture &decoded : pictures) {
        if (!isWhite(decoded.picture)) continue;
        if (span.start < 0) span.start = decoded.time;
        span.end = decoded.time + frameDuration;
    }
    return span;
}

Span toneSpan(const DecodedSound &sound) {
    const int window = sound.sampleRate / 100;  // 10 ms
    Span span;
    for (std::size_t i = 0; i + window <= sound.samples.size(); i += window) {
        double energy = 0;
        for (int k = 0; k < window; ++k) energy += sound.samples[i + k] * sound.samples[i + k];
        if (std::sqrt(energy / window) < 0.05) continue;
        const double time = sound.startTime + double(i) / sound.sampleRate;
        if (span.start < 0) span.start = time;
        span.end = time + 0.01;
    }
    return span;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: recorder-check FILE WIDTH HEIGHT SECONDS [--video-only | --flash-and-tone | "
                     "--contiguous]\n");
        return 2;
    }
    const std::string path = argv[1];
    const int width = std::atoi(argv[2]);
    const int height = std::atoi(argv[3]);
    const double seconds = std::atof(argv[4]);
    const std::string mode = argc > 5 ? argv[5] : "";

    const ProbedFile file = probeFile(path);
    check(file.opened, "the file opens");
    const ProbedStream *h264 = file.find("h264");
    const ProbedStream *aac = file.find("aac");
    check(h264 && h264->width == width && h264->height == height, "one h264 stream of the configured size");
    check(h264 && h264->frameRate == 25, "the video is 25 frames per second");
    std::printf("duration %.3f s\n", file.duration);
    check(std::fabs(file.duration - seconds) <= 0.5, "the duration is within 0.5 s of the recording time");
    check(indexBeforeMediaData(path) && !isFragmented(path),
          "the index (moov) comes before the media data (mdat), in one piece");
    if (mode == "--video-only") {
        check(file.streams.size() == 1 && !aac, "video only");
    } else {
        check(file.streams.size() == 2 && aac, "one aac stream beside the video");
    }

    const auto pictures = decodePictures(path);
    std::size_t cards = 0;
    for (const DecodedPicture &decoded : pictures) cards += showsTestCard(decoded.picture);
    std::printf("%zu pictures decoded, %zu show the test card\n", pictures.size(), cards);
    check(pictures.size() >= seconds * 25 * 0.8, "the video decodes");
    check(cards > 0 && cards + 60 >= pictures.size(), "the pictures are the simulator's test card");

    if (mode == "--contiguous") {
        double longestGap = 0;
        for (std::size_t i = 1; i < pictures.size(); ++i)
            longestGap = std::max(longestGap, std::fabs(pictures[i].time - pictures[i - 1].time - 0.04));
        const DecodedSound sound = decodeSound(path);
        const double videoSeconds = double(pictures.size()) / 25;
        const double soundSeconds =
            sound.sampleRate > 0 ? double(sound.samples.size()) / sound.sampleRate : 0;
        std::printf(
            "%zu frames, gaps off 40 ms by at most %.4f s, %.3f s of picture and %.3f s of sound "
            "from %.3f s\n",
            pictures.size(), longestGap, videoSeconds, soundSeconds, sound.startTime);
        check(std::fabs(double(pictures.size()) - seconds * 25) <= 1, "the frames fill the seconds asked");
        check(longestGap <= 0.001, "every frame comes 40 ms after the one before");
        check(std::fabs(soundSeconds - videoSeconds) <= 0.05, "as much sound as picture (50 ms)");
    }
    if (mode == "--flash-and-tone") {
        const DecodedSound sound = decodeSound(path);
        const Span flash = flashSpan(pictures, 1.0 / 25);
        const Span tone = toneSpan(sound);
        std::printf("flash %.3f..%.3f s, tone %.3f..%.3f s\n", flash.start, flash.end, tone.start, tone.end);
        check(flash.start >= 0 && tone.start >= 0, "the flash and the tone are both in the file");
        check(std::fabs(flash.start - tone.start) <= 0.1, "sound and picture start together (100 ms)");
        check(std::fabs(flash.end - tone.end) <= 0.1, "sound and picture end together (100 ms)");
        std::vector<float> toneSamples;
        if (tone.start >= 0) {
            const auto first = static_cast<std::size_t>((tone.start - sound.startTime) * sound.sampleRate);
            const auto last = static_cast<std::size_t>((tone.end - sound.startTime) * sound.sampleRate);
            toneSamples.assign(sound.samples.begin() + first,
                               sound.samples.begin() + std::min(last, sound.samples.size()));
        }
        const double frequency =
            toneSamples.empty() ? 0 : dominantFrequency(toneSamples, sound.sampleRate, 200, 2000);
        std::printf("dominant frequency %.0f Hz\n", frequency);
        check(std::fabs(frequency - 440) <= 5, "the sound's dominant frequency is 440 Hz");
    }
    return failures == 0 ? 0 : 1;
}
