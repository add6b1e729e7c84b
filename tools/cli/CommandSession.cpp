#include "CommandSession.h"

#include "dispatch/MainQueue.h"
#include "net/AsyncUdpSocket.h"

bool CommandSession::parseTarget(const CliArguments &arguments, Target &target, std::string &error) {
    long long port = 0;
    double timeout = 0;
    const bool ok = arguments.integer("--command-port", 1, 65535, target.port, port, error) &&
                    arguments.seconds("--timeout", target.timeout.count(), timeout, error);
    target.host = arguments.text("--camera");
    target.port = static_cast<std::uint16_t>(port);
    target.timeout = Seconds(timeout);
    return ok;
}

std::vector<CliOption> CommandSession::targetOptions() {
    return {
        cameraOption(),
        {"--command-port", true, false, "P",
         "UDP port of the command service (default " + std::to_string(kCommandPort) + ")"},
        {"--timeout", true, false, "S", "wait at most S seconds for each answer (default 3)"},
    };
}

CommandSession::CommandSession(Target target)
    : target_(std::move(target)), channel_(std::make_unique<CommandUDPSocket>()) {
    channel_->setDelegate(this);
    channel_->ConnectUDPHost(target_.host, target_.port);
}

CommandSession::~CommandSession() {
    // Detaching from the socket waits for a callback running right now (a late list reply, say) and drops
    // queued ones; only then may the channel go: unique_ptr::reset empties channel_ before the channel's
    // destructor runs, and a callback still running would read it (a crash at exit, now and then).
    if (AsyncUdpSocket *socket = channel_->m_Command_Socket()) socket->setDelegate(nullptr);
    channel_.reset();
}

std::optional<std::vector<STRUCT_RESOLUTION>> CommandSession::fetchList() {
    channel_->sendData(nullptr, SEND_GET_RESOLUTION);
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, target_.timeout, [&] { return lists_.size() > listsTaken_; }))
        return std::nullopt;
    return lists_[listsTaken_++];
}

bool CommandSession::choose(std::uint8_t index) {
    bool accepted = false;
    // The channel's list belongs to the main event queue.
    dispatch::mainQueue()->sync([&] { accepted = channel_->control_set_resolution(index); });
    return accepted;
}

std::optional<CommandSession::SetReply> CommandSession::waitForSetReply() {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, target_.timeout, [&] { return setReplies_.size() > setRepliesTaken_; })) {
        return std::nullopt;
    }
    return setReplies_[setRepliesTaken_++];
}

void CommandSession::fillResolution() {
    std::lock_guard lock(mutex_);
    lists_.push_back(channel_->m_resolution_list());
    changed_.notify_all();
}

void CommandSession::setResolutionReplied(std::int32_t result, bool complete) {
    std::lock_guard lock(mutex_);
    setReplies_.push_back({result, complete});
    changed_.notify_all();
}
