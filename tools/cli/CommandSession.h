#pragma once

// One command channel to the camera, as the resolutions and set-resolution sub-commands use it: connect,
// ask for the list, choose an entry, wait for the answers. The channel reports on the main event queue;
// the sub-command waits on its own thread.

#include "CliArguments.h"
#include "device/CameraAddress.h"
#include "device/CommandUDPSocket.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CommandSession : public CommandUDPSocketDelegate {
  public:
    using Seconds = std::chrono::duration<double>;

    // Where the camera answers and how long to wait for each answer.
    struct Target {
        std::string host;
        std::uint16_t port = kCommandPort;
        Seconds timeout{3};
    };
    // The options both sub-commands take: --camera HOST [--command-port P] [--timeout S].
    static bool parseTarget(const CliArguments &arguments, Target &target, std::string &error);
    static std::vector<CliOption> targetOptions();

    // A reply to a choice: func_return_set_resolution's result, and whether the reply was long enough to
    // tell success from refusal.
    struct SetReply {
        std::int32_t result = -1;
        bool complete = false;
    };

    explicit CommandSession(Target target);
    ~CommandSession() override;

    // Sends a list request and returns the list of the reply, or nothing without a reply in time.
    std::optional<std::vector<STRUCT_RESOLUTION>> fetchList();
    // Chooses entry index of the channel's list (control_set_resolution); false when there is no such entry.
    bool choose(std::uint8_t index);
    // The next set reply, or nothing without a reply in time.
    std::optional<SetReply> waitForSetReply();

    const Target &target() const { return target_; }

    // CommandUDPSocketDelegate, on the main event queue
    void ClearResolution() override {}
    void fillResolution() override;
    void setResolutionReplied(std::int32_t result, bool complete) override;

  private:
    const Target target_;
    std::unique_ptr<CommandUDPSocket> channel_;
    // --- guarded by mutex_
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::vector<STRUCT_RESOLUTION>> lists_;
    std::vector<SetReply> setReplies_;
    std::size_t listsTaken_ = 0;
    std::size_t setRepliesTaken_ = 0;
};
