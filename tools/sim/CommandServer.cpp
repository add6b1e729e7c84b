#include "CommandServer.h"

#include "ServerSocket.h"

#include "base/Log.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

constexpr std::size_t kCommandOffset = 10;
constexpr std::uint8_t kSetResolution = 8;
constexpr std::uint8_t kResolutionList = 9;
// A set request carries the chosen record's width and height at 14 to 17.
constexpr std::size_t kSetRequestMinimum = 18;
constexpr std::size_t kListHeaderLength = 16;
constexpr std::size_t kRecordLength = 5;
constexpr std::uint8_t kRecordTrailer = 0x19;
// The camera's "done" answer to a set request; byte 12 = 02 tells the client it was refused.
const std::vector<std::uint8_t> kSetSuccess = {'R', 'E', 'T', 'C', 'M', 'D', 8, 0, 0, 0, 8, 0, 1, 0, 0};
constexpr std::size_t kRefusalOffset = 12;

std::string hex(const std::vector<std::uint8_t> &bytes) {
    std::string text;
    char piece[4];
    for (const auto byte : bytes) {
        std::snprintf(piece, sizeof piece, text.empty() ? "%02X" : " %02X", byte);
        text += piece;
    }
    return text;
}

std::string addressText(const sockaddr_storage &address) {
    char host[INET6_ADDRSTRLEN] = {};
    char port[8] = {};
    getnameinfo(reinterpret_cast<const sockaddr *>(&address), sizeof address, host, sizeof host, port,
                sizeof port, NI_NUMERICHOST | NI_NUMERICSERV);
    return std::string(host) + ":" + port;
}

bool isRequest(const std::vector<std::uint8_t> &bytes, std::uint8_t command) {
    return bytes.size() > kCommandOffset && std::equal(bytes.begin(), bytes.begin() + 6, "SETCMD") &&
           bytes[kCommandOffset] == command;
}

// "RETCMD", bytes 6 to 9 of the request, 09, three zero bytes, the record count (big-endian) and one
// 5-byte record per resolution: width and height little-endian, then 19.
std::vector<std::uint8_t> listBytes(const std::vector<SimResolution> &resolutions,
                                    const std::vector<std::uint8_t> &request, bool badLength) {
    const auto count = resolutions.size();
    std::vector<std::uint8_t> reply(kListHeaderLength + kRecordLength * count, 0);
    std::copy_n("RETCMD", 6, reply.begin());
    std::copy(request.begin() + 6, request.begin() + 10, reply.begin() + 6);
    reply[kCommandOffset] = kResolutionList;
    reply[14] = static_cast<std::uint8_t>((count >> 8) & 0xFF);
    reply[15] = static_cast<std::uint8_t>(count & 0xFF);
    auto record = reply.begin() + kListHeaderLength;
    for (const auto &resolution : resolutions) {
        *record++ = static_cast<std::uint8_t>(resolution.width & 0xFF);
        *record++ = static_cast<std::uint8_t>((resolution.width >> 8) & 0xFF);
        *record++ = static_cast<std::uint8_t>(resolution.height & 0xFF);
        *record++ = static_cast<std::uint8_t>((resolution.height >> 8) & 0xFF);
        *record++ = kRecordTrailer;
    }
    if (badLength) {
        // One byte short, or one too many when there is no record to cut.
        if (count > 0) {
            reply.pop_back();
        } else {
            reply.push_back(0);
        }
    }
    return reply;
}

}  // namespace

CommandServer::CommandServer(Config config, SizeSwitch switchSize)
    : config_(std::move(config)), switchSize_(std::move(switchSize)) {}

CommandServer::~CommandServer() {
    stop();
}

bool CommandServer::start(std::string &error) {
    fd_ = bindServerSocket(config_.host, config_.port, SOCK_DGRAM, error);
    if (fd_ < 0) return false;
    wakeFd_ = eventfd(0, EFD_CLOEXEC);
    boundPort_ = localPort(fd_);
    if (config_.startDelayMs > 0) {
        close(fd_);
        fd_ = -1;
    }
    thread_ = std::thread([this] {
        if (fd_ < 0 && !reopenAfterDelay()) return;
        serve();
    });
    return true;
}

bool CommandServer::reopenAfterDelay() {
    pollfd wake{wakeFd_, POLLIN, 0};
    if (poll(&wake, 1, config_.startDelayMs) != 0) return false;
    std::string error;
    fd_ = bindServerSocket(config_.host, boundPort_, SOCK_DGRAM, error);
    if (fd_ < 0) {
        deskcam::logLine("command service cannot come up: %s", error.c_str());
        return false;
    }
    deskcam::logLine("command service up after %d ms", config_.startDelayMs);
    return true;
}

void CommandServer::stop() {
    if (!thread_.joinable()) return;
    const std::uint64_t one = 1;
    (void)!write(wakeFd_, &one, sizeof one);
    thread_.join();
    if (fd_ >= 0) close(fd_);
    close(wakeFd_);
    fd_ = wakeFd_ = -1;
}

void CommandServer::serve() {
    std::vector<std::uint8_t> buffer(65535);
    const auto floodInterval = std::chrono::microseconds(
        config_.replyFloodPerSecond > 0 ? 1000000 / config_.replyFloodPerSecond : 0);
    auto nextFlood = std::chrono::steady_clock::now();
    while (true) {
        int timeoutMs = -1;
        if (floodInterval.count() > 0 && lastClientLength_ > 0) {
            const auto wait =
                std::chrono::ceil<std::chrono::milliseconds>(nextFlood - std::chrono::steady_clock::now());
            timeoutMs = int(std::max<std::int64_t>(0, wait.count()));
        }
        pollfd ready[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (poll(ready, 2, timeoutMs) < 0 && errno != EINTR) return;
        if (ready[1].revents != 0) return;
        if (timeoutMs >= 0 && std::chrono::steady_clock::now() >= nextFlood) {
            flood();
            nextFlood += floodInterval;
        }
        if ((ready[0].revents & POLLIN) == 0) continue;

        sockaddr_storage from{};
        socklen_t fromLength = sizeof from;
        const ssize_t received =
            recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (received < 0) continue;
        if (floodInterval.count() > 0 && lastClientLength_ == 0) {
            deskcam::logLine("command: flooding %s with %d unrequested lists a second",
                             addressText(from).c_str(), config_.replyFloodPerSecond);
            nextFlood = std::chrono::steady_clock::now();
        }
        lastClient_ = from;
        lastClientLength_ = fromLength;
        const std::vector<std::uint8_t> request(buffer.begin(), buffer.begin() + received);
        deskcam::logLine("command request from %s: %s", addressText(from).c_str(), hex(request).c_str());

        const auto reply = answer(request);
        if (reply.empty()) continue;
        sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr *>(&from), fromLength);
        deskcam::logLine("command reply: %s", hex(reply).c_str());
    }
}

void CommandServer::flood() {
    static const std::vector<std::uint8_t> reply = [] {
        std::vector<SimResolution> many;
        for (int i = 0; i < kFloodEntries; ++i) many.push_back({100 + i, 100});
        return listBytes(many, std::vector<std::uint8_t>(kCommandOffset, 0), false);
    }();
    sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr *>(&lastClient_),
           lastClientLength_);
}

std::vector<std::uint8_t> CommandServer::answer(const std::vector<std::uint8_t> &request) {
    if (isRequest(request, kResolutionList)) return listReply(request);
    if (isRequest(request, kSetResolution) && request.size() >= kSetRequestMinimum) return setReply(request);
    return {};
}

std::vector<std::uint8_t> CommandServer::listReply(const std::vector<std::uint8_t> &request) const {
    return listBytes(config_.resolutions, request, config_.badListLength);
}

std::vector<std::uint8_t> CommandServer::setReply(const std::vector<std::uint8_t> &request) {
    const int width = request[14] | (request[15] << 8);
    const int height = request[16] | (request[17] << 8);
    const bool offered = std::any_of(config_.resolutions.begin(), config_.resolutions.end(),
                                     [&](const auto &r) { return r.width == width && r.height == height; });
    std::vector<std::uint8_t> reply = kSetSuccess;
    if (config_.shortSetReply) {
        reply.resize(kRefusalOffset);
        deskcam::logLine("command: answering %dx%d short", width, height);
        return reply;
    }
    if (!offered || config_.refuseSet) {
        reply[kRefusalOffset] = 2;
        deskcam::logLine("command: refusing %dx%d", width, height);
        return reply;
    }
    deskcam::logLine("command: streaming %dx%d", width, height);
    if (switchSize_) switchSize_(width, height);
    return reply;
}
