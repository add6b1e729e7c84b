// recorder-tone-writer FIFO SECONDS START_MS LENGTH_MS: plays a virtual microphone. Writes 16-bit mono
// 44100 Hz samples into the sound server's pipe source in real time: silence, and a 440 Hz tone from
// START_MS (milliseconds since the Unix epoch) for LENGTH_MS. Samples the server does not take at once are
// dropped, as a real microphone loses what nobody records, so the pipe never holds old sound.

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = 441;  // 10 ms
constexpr int kPipeBytes = 4096;   // the smallest pipe: at most 46 ms of sound waits in it
constexpr double kFrequency = 440;

std::int64_t epochMillis() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: recorder-tone-writer FIFO SECONDS START_MS LENGTH_MS\n");
        return 2;
    }
    const double seconds = std::atof(argv[2]);
    const std::int64_t toneStart = std::atoll(argv[3]);
    const std::int64_t toneEnd = toneStart + std::atoll(argv[4]);
    const int fd = open(argv[1], O_WRONLY | O_NONBLOCK);
    if (fd < 0) {
        std::perror("recorder-tone-writer: open");
        return 1;
    }
    fcntl(fd, F_SETPIPE_SZ, kPipeBytes);

    const auto start = std::chrono::steady_clock::now();
    const std::int64_t startEpoch = epochMillis();
    std::vector<std::int16_t> chunk(kChunkFrames);
    for (std::int64_t written = 0; written < static_cast<std::int64_t>(seconds * kRate);
         written += kChunkFrames) {
        for (int i = 0; i < kChunkFrames; ++i) {
            const std::int64_t n = written + i;
            const double epochMs = startEpoch + n * 1000.0 / kRate;
            const bool tone = epochMs >= toneStart && epochMs < toneEnd;
            chunk[i] =
                tone ? static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * kFrequency * n / kRate)) : 0;
        }
        // A full pipe means nobody is recording: the chunk is lost.
        [[maybe_unused]] const ssize_t ignored = write(fd, chunk.data(), chunk.size() * sizeof(std::int16_t));
        std::this_thread::sleep_until(start +
                                      std::chrono::microseconds((written + kChunkFrames) * 1000000 / kRate));
    }
    close(fd);
    return 0;
}
