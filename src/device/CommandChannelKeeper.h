#pragma once

// Keeps a command channel to the camera while the viewer runs, and with it the camera's resolution list.
// A channel is built (and asked for the list) when the picture stream comes back; one whose socket closed
// is replaced after a while; and while no list has arrived the keeper asks again every few seconds,
// building a channel if the stream runs without one. It reports each list and takes the user's choice.
//
// Runs on the main event queue only: the socket's callbacks, the scheduled work and the owner's calls.
// Clock and channels are given, so tests drive the policy with a fake clock and fake channels.

#include "device/CommandUDPSocket.h"
#include "device/STRUCT_RESOLUTION.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CommandChannelKeeper : public CommandUDPSocketDelegate {
  public:
    // One connected channel; it reports to the delegate it was made for.
    class Channel {
      public:
        virtual ~Channel() = default;
        virtual void askForList() = 0;
        virtual void choose(std::uint8_t index) = 0;
        virtual const std::vector<STRUCT_RESOLUTION> &list() const = 0;
        // The real socket behind it, if any (tests look at it).
        virtual CommandUDPSocket *socket() const { return nullptr; }
    };

    struct Hooks {
        std::function<void()> clearList;                                       // the list is being replaced
        std::function<void(const std::vector<STRUCT_RESOLUTION> &)> showList;  // a camera's list, not empty
        std::function<bool()> streamRuns;                                      // pictures arrive now
        // A choice the camera refused (answered) or did not answer within kChoiceWait; may be empty.
        std::function<void(const STRUCT_RESOLUTION &choice, bool answered)> choiceFailed;
    };
    struct Environment {
        // Runs task on the keeper's queue after delay.
        std::function<void(std::chrono::milliseconds, std::function<void()>)> after;
        // A new channel connected to host:port, reporting to delegate.
        std::function<std::unique_ptr<Channel>(const std::string &host, std::uint16_t port,
                                               CommandUDPSocketDelegate &delegate)>
            makeChannel;
    };
    // The main event queue and real datagram channels.
    static Environment liveEnvironment();

    static constexpr std::chrono::milliseconds kRetry{
        3000};  // a new channel after a close; a list asked again
    // How long a choice waits for the camera's answer before the user is told it went unanswered.
    static constexpr std::chrono::milliseconds kChoiceWait{3000};

    // Starts asking again every kRetry while no list has arrived.
    CommandChannelKeeper(std::string host, std::uint16_t port, Hooks hooks, Environment environment);
    ~CommandChannelKeeper() override;
    CommandChannelKeeper(const CommandChannelKeeper &) = delete;
    CommandChannelKeeper &operator=(const CommandChannelKeeper &) = delete;

    // The picture stream is back after a reconnection: a fresh channel.
    void streamBack();
    // The user chose entry index of the list shown (-1: none).
    void choose(int index);

    // A list has arrived (and no empty one since).
    bool listReceived() const { return listReceived_; }
    // The index of width x height in the list shown; -1 when it holds no such entry.
    int indexOf(std::uint64_t width, std::uint64_t height) const;
    CommandUDPSocket *socket() const { return channel_ ? channel_->socket() : nullptr; }
    bool hasChannel() const { return channel_ != nullptr; }

    // CommandUDPSocketDelegate
    void ClearResolution() override;
    void fillResolution() override;
    void commandSocketDidClose() override;
    void setResolutionReplied(std::int32_t result, bool complete) override;

  private:
    void rebuild(const char *reason);
    void askAgainForMissingList();
    void failChoice(bool answered);
    void scheduleRetry();
    static bool sameEntries(const std::vector<STRUCT_RESOLUTION> &a, const std::vector<STRUCT_RESOLUTION> &b);

    const std::string host_;
    const std::uint16_t port_;
    const Hooks hooks_;
    const Environment environment_;
    std::unique_ptr<Channel> channel_;
    int channelNumber_ = 0;       // counts the channels built, so a late rebuild knows its own
    bool channelClosed_ = false;  // the current channel's socket closed; a rebuild is on its way
    bool listReceived_ = false;
    bool clearing_ = false;  // the channel emptied its list; the new one follows
    std::vector<STRUCT_RESOLUTION> shownList_;
    std::optional<STRUCT_RESOLUTION> pendingChoice_;  // sent, its answer not yet in
    int choiceNumber_ = 0;                            // so a late time-out knows its own choice
    // Scheduled work holds a weak copy: it does nothing once the keeper is gone.
    std::shared_ptr<CommandChannelKeeper *> alive_;
};
