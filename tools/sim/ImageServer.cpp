#include "ImageServer.h"

#include "ScanBomb.h"
#include "ServerSocket.h"

#include "WireFrame.h"
#include "base/Log.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>

namespace {

constexpr std::size_t kBadPictureLength = 4000;
// About 1.4 MB: unbounded, libjpeg spends tens of seconds on a 1080p picture with this many scans.
constexpr std::size_t kBombScans = 100000;

// Random bytes without 'B', so garbage can never contain a start marker.
std::vector<std::uint8_t> garbage(std::size_t length, std::uint32_t &seed) {
    std::minstd_rand random(seed++);
    std::vector<std::uint8_t> bytes(length);
    for (auto &byte : bytes) {
        do byte = static_cast<std::uint8_t>(random());
        while (byte == 'B');
    }
    return bytes;
}

bool every(int n, std::uint64_t frameNumber) {
    return n > 0 && (frameNumber + 1) % static_cast<std::uint64_t>(n) == 0;
}

}  // namespace

ImageServer::ImageServer(Config config, std::shared_ptr<PictureSource> source)
    : config_(std::move(config)), source_(std::move(source)) {}

ImageServer::~ImageServer() {
    stop();
}

bool ImageServer::start(std::string &error) {
    listenFd_ = bindServerSocket(config_.host, config_.port, SOCK_STREAM, error);
    if (listenFd_ < 0) return false;
    boundPort_ = localPort(listenFd_);
    acceptThread_ = std::thread([this] { acceptLoop(); });
    return true;
}

void ImageServer::stop() {
    if (stopping_.exchange(true)) return;
    if (listenFd_ >= 0) shutdown(listenFd_, SHUT_RDWR);  // wakes accept()
    if (acceptThread_.joinable()) acceptThread_.join();
    if (listenFd_ >= 0) close(listenFd_);
    std::vector<std::unique_ptr<Client>> clients;
    {
        std::lock_guard lock(clientsMutex_);
        for (int fd : clientFds_) shutdown(fd, SHUT_RDWR);  // wakes a blocked send()
        clients.swap(clients_);
    }
    for (auto &client : clients) client->thread.join();
}

void ImageServer::acceptLoop() {
    while (!stopping_) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        ++connectionCount_;
        std::lock_guard lock(clientsMutex_);
        if (stopping_) {
            close(fd);
            return;
        }
        reapFinishedClients();
        clientFds_.push_back(fd);
        auto client = std::make_unique<Client>();
        client->thread = std::thread([this, fd, done = &client->done] {
            serveClient(fd);
            done->store(true);
        });
        clients_.push_back(std::move(client));
    }
}

void ImageServer::reapFinishedClients() {
    // A viewer reconnects every few seconds for as long as the simulator runs; join what has ended.
    auto finished =
        std::partition(clients_.begin(), clients_.end(), [](const auto &c) { return !c->done.load(); });
    for (auto it = finished; it != clients_.end(); ++it) (*it)->thread.join();
    clients_.erase(finished, clients_.end());
}

void ImageServer::serveClient(int fd) {
    const int yes = 1;
    // Small pieces must leave as written, or chunking would test nothing.
    if (config_.faults.chunk > 0) setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    const auto &faults = config_.faults;
    std::uint32_t seed = static_cast<std::uint32_t>(fd) * 7919u + 1;
    bool ok = true;
    if (faults.garbageBytes > 0) {
        const auto junk = garbage(faults.garbageBytes, seed);
        ok = sendAll(fd, junk.data(), junk.size(), seed);
    }
    for (int waited = 0; waited < faults.firstFrameDelayMs && !stopping_; waited += 50) pause(0.05);
    const auto started = std::chrono::steady_clock::now();
    std::vector<std::uint8_t> bomb;  // made on first use, from that frame's picture
    for (std::uint64_t frame = 0; ok && !stopping_; ++frame) {
        if (faults.closeAfter >= 0 && frame >= static_cast<std::uint64_t>(faults.closeAfter)) break;
        if (faults.stallAfter >= 0 && frame >= static_cast<std::uint64_t>(faults.stallAfter)) {
            pause(0.05);
            continue;
        }
        if (config_.fps > 0) {
            const auto due =
                started + std::chrono::duration<double>(static_cast<double>(frame) / config_.fps);
            std::this_thread::sleep_until(due);
        }
        std::vector<std::uint8_t> picture =
            every(faults.badPictureEvery, frame) ? garbage(kBadPictureLength, seed) : source_->picture(frame);
        if (every(faults.scanBombEvery, frame)) {
            if (bomb.empty()) bomb = ScanBomb::fromPicture(picture, kBombScans);
            picture = bomb;
        }
        const WireFrameInfo info{static_cast<std::uint32_t>(frame), every(faults.badLengthEvery, frame)};
        const auto unit = wireFrame(picture, info);
        ok = sendAll(fd, unit.data(), unit.size(), seed);
    }
    std::lock_guard lock(clientsMutex_);
    clientFds_.erase(std::remove(clientFds_.begin(), clientFds_.end(), fd), clientFds_.end());
    close(fd);
}

bool ImageServer::sendAll(int fd, const std::uint8_t *data, std::size_t length, std::uint32_t &seed) {
    std::minstd_rand random(seed++);
    while (length > 0) {
        std::size_t piece = length;
        if (config_.faults.chunk > 0) piece = std::min(length, 1 + random() % config_.faults.chunk);
        const ssize_t sent = send(fd, data, piece, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        data += sent;
        length -= static_cast<std::size_t>(sent);
    }
    return true;
}

void ImageServer::pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
