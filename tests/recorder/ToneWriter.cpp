// recorder-tone-writer FIFO SECONDS START_MS LENGTH_MS [PERIOD_MS [CLOCK_PPM]]: plays a virtual microphone.
// Writes 16-bit mono 44100 Hz samples into the sound server's pipe source in real time: silence, and a
// 440 Hz tone from START_MS (milliseconds since the Unix epoch) for LENGTH_MS, again every PERIOD_MS when
// given. CLOCK_PPM makes it a sound card whose clock is that many millionths fast (negative: slow): it
// delivers 44100 x (1 + CLOCK_PPM / 1e6) samples per real second, each heard at its real moment.
// The pipe holds 64 KiB (0.7 s), as a sound card's buffer holds what the server has not read yet; samples
// that do not fit are dropped, as a real microphone loses what nobody records. How many is told at the end,
// also when it is stopped by SIGTERM or SIGINT.

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 441;  // 10 ms
constexpr int kPipeBytes = 65536;

std::atomic<bool> stopped{false};

void onStop(int) {
    stopped = true;
}
constexpr double kFrequency = 440;

std::int64_t epochMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

struct Bursts {
    std::int64_t startMs = 0;
    std::int64_t lengthMs = 0;
    std::int64_t periodMs = 0;  // 0: once

    bool sounding(double epochMs) const {
        const double since = epochMs - static_cast<double>(startMs);
        if (since < 0) return false;
        const double into = periodMs > 0 ? std::fmod(since, static_cast<double>(periodMs)) : since;
        return into < static_cast<double>(lengthMs);
    }
};

}  // namespace

int main(int argc, char **argv) {
    if (argc < 5 || argc > 7) {
        std::fprintf(stderr,
                     "usage: recorder-tone-writer FIFO SECONDS START_MS LENGTH_MS [PERIOD_MS [CLOCK_PPM]]\n");
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const Bursts bursts{std::atoll(argv[3]), std::atoll(argv[4]), argc > 5 ? std::atoll(argv[5]) : 0};
    const double samplesPerSecond = kRate * (1 + (argc > 6 ? std::atof(argv[6]) : 0) / 1e6);
    const int fd = open(argv[1], O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
        std::perror("recorder-tone-writer: open");
        return 1;
    }
    fcntl(fd, F_SETPIPE_SZ, kPipeBytes);
    std::signal(SIGTERM, onStop);
    std::signal(SIGINT, onStop);

    const auto start = std::chrono::steady_clock::now();
    const std::int64_t startEpochMicros = epochMicros();
    std::vector<std::int16_t> chunk(kChunkFrames);
    long dropped = 0;
    for (std::int64_t written = 0;
         written < static_cast<std::int64_t>(seconds * samplesPerSecond) && !stopped;
         written += kChunkFrames) {
        for (int i = 0; i < kChunkFrames; ++i) {
            const std::int64_t n = written + i;
            const double epochMs = (startEpochMicros + n * 1e6 / samplesPerSecond) / 1000;
            chunk[i] = bursts.sounding(epochMs)
                           ? static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * kFrequency * n / kRate))
                           : 0;
        }
        // A full pipe means nobody is recording: the chunk is lost.
        if (write(fd, chunk.data(), chunk.size() * sizeof(std::int16_t)) < 0) ++dropped;
        const auto due = std::chrono::microseconds(
            static_cast<std::int64_t>((written + kChunkFrames) * 1e6 / samplesPerSecond));
        std::this_thread::sleep_until(start + due);
    }
    close(fd);
    if (dropped > 0)
        std::fprintf(stderr, "recorder-tone-writer: %ld chunks of 10 ms were dropped\n", dropped);
    return 0;
}
