#pragma once

// The simulator's image stream: a TCP listener that sends every client an endless run of frame units at a
// fixed rate, with optional faults for tests. Each client has its own thread and its own frame count
// (starting at 0), so fault options such as "close after N frames" apply per connection.

#include "PictureSource.h"
#include "device/CameraAddress.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ImageStreamFaults {
    std::size_t garbageBytes = 0;  // random bytes before the first start marker
    std::size_t chunk = 0;         // > 0: write in random pieces of 1..chunk bytes
    int badLengthEvery = 0;        // every Nth frame declares a length with byte 7 set
    int badPictureEvery = 0;       // every Nth frame carries bytes that are no JPEG
    int stallAfter = -1;           // >= 0: stop sending (connection stays open) after N frames
    int closeAfter = -1;           // >= 0: close the connection after N frames
    int firstFrameDelayMs = 0;     // > 0: each connection's first frame comes this late
    int scanBombEvery = 0;         // every Nth frame is a progressive picture with 100 000 empty scans
};

class ImageServer {
  public:
    struct Config {
        std::string host = "127.0.0.1";
        std::uint16_t port = kImagePort;  // 0: any free port, see port()
        double fps = 25;                  // 0: as fast as the client reads
        ImageStreamFaults faults;
    };

    ImageServer(Config config, std::shared_ptr<PictureSource> source);
    ~ImageServer();
    ImageServer(const ImageServer &) = delete;
    ImageServer &operator=(const ImageServer &) = delete;

    // Binds and starts accepting; on failure returns false with error set.
    bool start(std::string &error);
    // Closes the listener and every connection and waits for their threads.
    void stop();

    // The bound port (the real one when the configured port was 0).
    std::uint16_t port() const { return boundPort_; }
    // Thread-safe: pictures made after the call have the new size (test card only).
    void setSize(int width, int height) { source_->setSize(width, height); }
    // Number of connections accepted so far.
    int connectionCount() const { return connectionCount_.load(); }

  private:
    struct Client {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void acceptLoop();
    void reapFinishedClients();
    void serveClient(int fd);
    bool sendAll(int fd, const std::uint8_t *data, std::size_t length, std::uint32_t &seed);
    void pause(double seconds);

    const Config config_;
    const std::shared_ptr<PictureSource> source_;
    std::uint16_t boundPort_ = 0;
    int listenFd_ = -1;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connectionCount_{0};
    std::thread acceptThread_;

    // --- guarded by clientsMutex_
    std::mutex clientsMutex_;
    std::vector<int> clientFds_;
    std::vector<std::unique_ptr<Client>> clients_;
};
