#pragma once

// The simulator's command service: a UDP port that answers the resolution-list request with the offered
// resolutions and the set-resolution request by switching the streamed picture size. Every request is
// logged in hex on standard error, so tests can check what a client sent. The camera's byte layout is
// written out here on its own, not borrowed from the client's codec, so that the two check each other.

#include "device/CameraAddress.h"

#include <sys/socket.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

struct SimResolution {
    int width = 0;
    int height = 0;
};

class CommandServer {
  public:
    struct Config {
        std::string host = "127.0.0.1";
        std::uint16_t port = kCommandPort;  // 0: any free port, see port()
        // In reply order; repeats are sent as given.
        std::vector<SimResolution> resolutions;
        // Fault: list replies one byte short of what their record count announces.
        bool badListLength = false;
        // Fault: every set request is refused, offered resolution or not.
        bool refuseSet = false;
        // Fault: the service comes up this long after start(); until then its port is closed, so requests
        // meet "port unreachable". The port is chosen (and reported) at start() all the same.
        int startDelayMs = 0;
        // Fault: set requests are answered with a reply cut short before the result byte, and not obeyed.
        bool shortSetReply = false;
        // Fault: after the first request, unrequested list replies of kFloodEntries entries at this rate
        // to whoever asked last.
        int replyFloodPerSecond = 0;
    };
    static constexpr int kFloodEntries = 600;
    // Called from the server's thread when a set request names an offered resolution.
    using SizeSwitch = std::function<void(int width, int height)>;

    CommandServer(Config config, SizeSwitch switchSize);
    ~CommandServer();
    CommandServer(const CommandServer &) = delete;
    CommandServer &operator=(const CommandServer &) = delete;

    // Binds and starts answering; on failure returns false with error set.
    bool start(std::string &error);
    // Stops answering and waits for the server's thread.
    void stop();

    // The bound port (the real one when the configured port was 0).
    std::uint16_t port() const { return boundPort_; }

  private:
    // Waits out the start delay with the port closed, then takes it again; false when stopped meanwhile.
    bool reopenAfterDelay();
    void serve();
    // The next unrequested list reply of the flood fault, to the last client.
    void flood();
    // The reply to one request, or nothing for requests the camera ignores.
    std::vector<std::uint8_t> answer(const std::vector<std::uint8_t> &request);
    std::vector<std::uint8_t> listReply(const std::vector<std::uint8_t> &request) const;
    std::vector<std::uint8_t> setReply(const std::vector<std::uint8_t> &request);

    const Config config_;
    const SizeSwitch switchSize_;
    int fd_ = -1;
    // Written by stop() to wake the server's thread.
    int wakeFd_ = -1;
    std::uint16_t boundPort_ = 0;
    std::thread thread_;
    // --- the server's thread only: whoever asked last, for the flood fault
    sockaddr_storage lastClient_{};
    socklen_t lastClientLength_ = 0;
};
