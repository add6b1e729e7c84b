#include "device/CommandUDPSocket.h"

#include "base/Log.h"
#include "device/CommandCodec.h"
#include "dispatch/MainQueue.h"

#include <mutex>
#include <random>

namespace {

// No timeout on sends, as the camera protocol's callers expect.
constexpr double kNoTimeout = -1;

// send_set_resolution: one template for the whole process. Bytes 14 to 17 keep the last choice, whichever
// channel made it.
std::mutex setResolutionTemplateMutex;
CommandCodec::SetResolutionRequest &send_set_resolution() {
    static CommandCodec::SetResolutionRequest request = CommandCodec::setResolutionTemplate();
    return request;
}

// Byte 6 of every list request: 1 to 255, never 0.
std::uint8_t randomRequestByte() {
    thread_local std::mt19937 engine{std::random_device{}()};
    return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(1, 255)(engine));
}

const char *sentLine(long tag) {
    switch (tag) {
        case SEND_GET_RESOLUTION:
            return "SEND_GET_RESOLUTION sended!\r\n";
        case SEND_SET_RESOLUTION:
            return "SEND_SET_RESOLUTION sended!\r\n";
        case SEND_REBOOT:
            return "SEND_REBOOT sended!\r\n";
        default:
            return "Unknown udp string sended!\r\n";
    }
}

const char *notSentLine(long tag) {
    switch (tag) {
        case SEND_GET_RESOLUTION:
            return "Error:SEND_GET_RESOLUTION send fail!\r\n";
        case SEND_SET_RESOLUTION:
            return "Error:SEND_SET_RESOLUTION send fail!\r\n";
        case SEND_REBOOT:
            return "Error:SEND_REBOOT send fail!\r\n";
        default:
            return "Error:Unknown udp string send fail!\r\n";
    }
}

}  // namespace

CommandUDPSocket::CommandUDPSocket()
    : m_Command_Socket_(AsyncUdpSocket::create(this, dispatch::mainQueue())) {}

CommandUDPSocket::~CommandUDPSocket() {
    // Detaching first waits for a callback into this object that is running right now.
    m_Command_Socket_->setDelegate(nullptr);
    m_Command_Socket_->close();
}

bool CommandUDPSocket::ConnectUDPHost(const std::string &host, std::uint16_t port) {
    try {
        TransportError error;
        if (m_Command_Socket_->connectToHost(host, port, &error)) {
            m_Command_Socket_->beginReceiving(nullptr);
        } else {
            deskcam::logLine("连接失败");
        }
    } catch (...) {
        // A socket failure must not take the caller's thread down; the channel just stays unusable.
    }
    return false;
}

void CommandUDPSocket::sendData(const std::uint8_t * /*unused*/, std::uint8_t tag) {
    std::vector<std::uint8_t> request;
    if (tag == SEND_GET_RESOLUTION) {
        request = CommandCodec::getResolutionRequest(randomRequestByte());
        const std::lock_guard lock(listRequestsMutex_);
        const auto now = std::chrono::steady_clock::now();
        // Requests a camera never answers expire here too, so a silent one does not grow the list.
        dropExpiredListRequests(now);
        listRequestsOpen_.push_back(now);
    } else if (tag == SEND_SET_RESOLUTION) {
        std::lock_guard lock(setResolutionTemplateMutex);
        request.assign(send_set_resolution().begin(), send_set_resolution().end());
    } else {
        return;
    }
    m_Command_Socket_->sendData(std::move(request), kNoTimeout, tag);
}

bool CommandUDPSocket::control_set_resolution(std::uint8_t index) {
    sendData(nullptr, SEND_GET_RESOLUTION);
    if (index >= m_resolution_list_.size()) {
        deskcam::stdoutLine("**设置分辨率参数有误");
        return false;
    }
    {
        std::lock_guard lock(setResolutionTemplateMutex);
        CommandCodec::chooseResolution(send_set_resolution(), m_resolution_list_[index]);
    }
    sendData(nullptr, SEND_SET_RESOLUTION);
    return true;
}

void CommandUDPSocket::analysis_recvive_command(const std::uint8_t *bytes, std::uint64_t length) {
    switch (CommandCodec::classifyReply({bytes, length})) {
        case CommandCodec::ReplyKind::SetResolution: {
            const std::int32_t result = func_return_set_resolution(bytes, length);
            const bool complete = length >= CommandCodec::command_return_set_resolution.size();
            if (auto *listener = delegate()) listener->setResolutionReplied(result, complete);
            break;
        }
        case CommandCodec::ReplyKind::ResolutionList:
            func_get_resolution(bytes, length);
            break;
        case CommandCodec::ReplyKind::Ignored:
            break;
    }
}

std::uint8_t CommandUDPSocket::func_get_resolution(const std::uint8_t *bytes, std::uint64_t length) {
    using Outcome = CommandCodec::ResolutionListReply::Outcome;
    auto reply = CommandCodec::parseResolutionList({bytes, length});
    if (reply.outcome == Outcome::TooShort) return 0;
    if (reply.outcome == Outcome::WrongLength) {
        deskcam::stdoutLine("**取分辨率数据长度异常！长度：%lul",
                            static_cast<unsigned long>(reply.recordBytes));
        return 0;
    }
    if (reply.resolutions.size() > kMaxListEntries) {
        deskcam::logLine(
            "Resolution list cut to its first %zu of %zu entries: the set request cannot address more",
            kMaxListEntries, reply.resolutions.size());
        reply.resolutions.resize(kMaxListEntries);
    }
    m_resolution_list_.clear();
    deskcam::logLine("remove all object!");
    if (auto *listener = delegate()) listener->ClearResolution();
    m_resolution_list_ = std::move(reply.resolutions);
    if (auto *listener = delegate()) listener->fillResolution();
    return static_cast<std::uint8_t>(m_resolution_list_.size());
}

std::int32_t CommandUDPSocket::func_return_set_resolution(const std::uint8_t *bytes, std::uint64_t length) {
    if (!CommandCodec::isSetResolutionSuccess({bytes, length})) return -1;
    deskcam::stdoutLine("分辨率设置成功。。。。。。\r\n");
    return 0;
}

AsyncUdpSocket *CommandUDPSocket::m_Command_Socket() const {
    return m_Command_Socket_.get();
}

const std::vector<STRUCT_RESOLUTION> &CommandUDPSocket::m_resolution_list() const {
    return m_resolution_list_;
}

CommandUDPSocketDelegate *CommandUDPSocket::delegate() const {
    return delegate_.load();
}

void CommandUDPSocket::setDelegate(CommandUDPSocketDelegate *delegate) {
    delegate_.store(delegate);
}

void CommandUDPSocket::udpSocketDidConnectToAddress(AsyncUdpSocket *, const SocketAddress &) {
    deskcam::logLine("CommandUDPSocket connected！\r\n");
}

void CommandUDPSocket::udpSocketDidSendDataWithTag(AsyncUdpSocket *, long tag) {
    deskcam::logLine("%s", sentLine(tag));
}

void CommandUDPSocket::udpSocketDidNotSendDataWithTag(AsyncUdpSocket *, long tag, const TransportError &) {
    deskcam::logLine("%s", notSentLine(tag));
}

void CommandUDPSocket::udpSocketDidReceiveData(AsyncUdpSocket *, const std::vector<std::uint8_t> &data,
                                               const SocketAddress &, const void *) {
    const bool isList =
        CommandCodec::classifyReply({data.data(), data.size()}) == CommandCodec::ReplyKind::ResolutionList;
    if (isList && !takeOpenListRequest()) {
        if (const auto count = unrequested_.count())
            deskcam::logLine("ignored %llu unrequested replies", count);
        return;
    }
    analysis_recvive_command(data.data(), data.size());
}

void CommandUDPSocket::dropExpiredListRequests(std::chrono::steady_clock::time_point now) {
    while (!listRequestsOpen_.empty() && now - listRequestsOpen_.front() > kListReplyWindow)
        listRequestsOpen_.pop_front();
}

bool CommandUDPSocket::takeOpenListRequest() {
    const std::lock_guard lock(listRequestsMutex_);
    dropExpiredListRequests(std::chrono::steady_clock::now());
    if (listRequestsOpen_.empty()) return false;
    listRequestsOpen_.pop_front();
    return true;
}

void CommandUDPSocket::udpSocketDidClose(AsyncUdpSocket *, const std::optional<TransportError> &error) {
    // A close without an error is the owner's own doing; it knows.
    if (!error) return;
    deskcam::logLine("CommandUDPSocket closed: %s", describe(error).c_str());
    if (auto *listener = delegate()) listener->commandSocketDidClose();
}
