#include "device/CommandChannelKeeper.h"

#include <algorithm>
#include <utility>

#include "base/Log.h"
#include "dispatch/MainQueue.h"

namespace {

class SocketChannel : public CommandChannelKeeper::Channel {
  public:
    SocketChannel(const std::string &host, std::uint16_t port, CommandUDPSocketDelegate &delegate)
        : socket_(std::make_unique<CommandUDPSocket>()) {
        socket_->setDelegate(&delegate);
        socket_->ConnectUDPHost(host, port);
    }
    ~SocketChannel() override {
        if (AsyncUdpSocket *socket = socket_->m_Command_Socket()) {
            socket->setDelegate(nullptr);
            socket->close();
        }
    }
    void askForList() override { socket_->sendData(nullptr, SEND_GET_RESOLUTION); }
    void choose(std::uint8_t index) override { socket_->control_set_resolution(index); }
    const std::vector<STRUCT_RESOLUTION> &list() const override { return socket_->m_resolution_list(); }
    CommandUDPSocket *socket() const override { return socket_.get(); }

  private:
    std::unique_ptr<CommandUDPSocket> socket_;
};

}  // namespace

CommandChannelKeeper::Environment CommandChannelKeeper::liveEnvironment() {
    Environment environment;
    environment.after = [](std::chrono::milliseconds delay, std::function<void()> task) {
        dispatch::mainQueue()->after(delay, std::move(task));
    };
    environment.makeChannel = [](const std::string &host, std::uint16_t port,
                                 CommandUDPSocketDelegate &delegate) -> std::unique_ptr<Channel> {
        return std::make_unique<SocketChannel>(host, port, delegate);
    };
    return environment;
}

CommandChannelKeeper::CommandChannelKeeper(std::string host, std::uint16_t port, Hooks hooks,
                                           Environment environment)
    : host_(std::move(host)),
      port_(port),
      hooks_(std::move(hooks)),
      environment_(std::move(environment)),
      alive_(std::make_shared<CommandChannelKeeper *>(this)) {
    scheduleRetry();
}

CommandChannelKeeper::~CommandChannelKeeper() = default;

void CommandChannelKeeper::streamBack() {
    rebuild("the picture stream is back");
}

void CommandChannelKeeper::rebuild(const char *reason) {
    deskcam::logLine("Rebuilding the command channel: %s", reason);
    channel_.reset();
    ++channelNumber_;
    channelClosed_ = false;
    channel_ = environment_.makeChannel(host_, port_, *this);
    channel_->askForList();
}

// The camera's command service was not up, or has gone: a new channel in a while. (A reconnection of the
// picture stream meanwhile brings one of its own.)
void CommandChannelKeeper::commandSocketDidClose() {
    channelClosed_ = true;
    environment_.after(kRetry, [alive = std::weak_ptr(alive_), closed = channelNumber_] {
        const auto keeper = alive.lock();
        if (keeper && closed == (*keeper)->channelNumber_) (*keeper)->rebuild("its socket closed");
    });
}

void CommandChannelKeeper::scheduleRetry() {
    environment_.after(kRetry, [alive = std::weak_ptr(alive_)] {
        const auto keeper = alive.lock();
        if (!keeper) return;
        (*keeper)->askAgainForMissingList();
        (*keeper)->scheduleRetry();
    });
}

// A list request or its answer may be lost, or the service may have been slow to come up.
void CommandChannelKeeper::askAgainForMissingList() {
    if (channelClosed_ || listReceived_) return;
    if (channel_) {
        channel_->askForList();
    } else if (hooks_.streamRuns && hooks_.streamRuns()) {
        // Pictures came only after the supervisor's reconnection had given up waiting for them, so it
        // built no channel, and nothing else would.
        rebuild("the picture stream runs without one");
    }
}

void CommandChannelKeeper::choose(int index) {
    if (!channel_) return;
    channel_->choose(static_cast<std::uint8_t>(index));
    if (index < 0 || std::size_t(index) >= shownList_.size()) return;
    // A refused or lost choice only snapped the menu back; the user is told now.
    pendingChoice_ = shownList_[std::size_t(index)];
    environment_.after(kChoiceWait, [alive = std::weak_ptr(alive_), number = ++choiceNumber_] {
        const auto keeper = alive.lock();
        if (!keeper || (*keeper)->choiceNumber_ != number || !(*keeper)->pendingChoice_) return;
        (*keeper)->failChoice(false);
    });
}

void CommandChannelKeeper::setResolutionReplied(std::int32_t result, bool complete) {
    if (!pendingChoice_) return;
    // A reply too short to tell is no refusal: the picture shows what the camera did.
    if (complete && result != 0) {
        failChoice(true);
        return;
    }
    pendingChoice_.reset();
}

void CommandChannelKeeper::failChoice(bool answered) {
    const STRUCT_RESOLUTION choice = *pendingChoice_;
    pendingChoice_.reset();
    deskcam::logLine("The camera %s the change to %llu*%llu", answered ? "refused" : "did not answer",
                     static_cast<unsigned long long>(choice.width),
                     static_cast<unsigned long long>(choice.height));
    if (hooks_.choiceFailed) hooks_.choiceFailed(choice, answered);
}

int CommandChannelKeeper::indexOf(std::uint64_t width, std::uint64_t height) const {
    for (std::size_t i = 0; i < shownList_.size(); ++i) {
        if (shownList_[i].width == width && shownList_[i].height == height) return static_cast<int>(i);
    }
    return -1;
}

void CommandChannelKeeper::ClearResolution() {
    // The menu is cleared only once the new list is known to differ: every reconnection and every choice
    // brings the same list again, and rebuilding the menu for it is wasted work (and a log line per entry).
    clearing_ = true;
}

void CommandChannelKeeper::fillResolution() {
    if (!channel_) return;
    const auto &list = channel_->list();
    const bool same = listReceived_ && sameEntries(list, shownList_);
    const bool clear = std::exchange(clearing_, false);
    if (same) return;
    if (clear) {
        listReceived_ = false;
        shownList_.clear();
        if (hooks_.clearList) hooks_.clearList();
    }
    if (list.empty()) {
        deskcam::logLine("fillResolution:command_socket.m_resolution_list.count=0 ");
        return;
    }
    listReceived_ = true;
    shownList_ = list;
    if (hooks_.showList) hooks_.showList(shownList_);
}

bool CommandChannelKeeper::sameEntries(const std::vector<STRUCT_RESOLUTION> &a,
                                       const std::vector<STRUCT_RESOLUTION> &b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x.width == y.width && x.height == y.height && x.raw == y.raw;
    });
}
