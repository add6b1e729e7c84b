#pragma once

// deskcam-sim as a child process of a test: started on any free ports of 127.0.0.1, which it prints and
// this reads back. Stopping it is the camera going away. Its log (standard error; the command service logs
// every request it receives) goes to a file of its own, so a simulator that talks a lot never blocks on it.

#include "ChildProcess.h"

#include <QByteArray>
#include <QStringList>

#include <sys/types.h>

#include <cstdint>
#include <optional>

class SimulatorProcess {
  public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    // Starts the simulator with extra options; false (with the reason on stderr) when it does not come up.
    bool start(const QStringList &options = {});
    void stop();
    // What the simulator logged since the last call; what it logged before a stop stays readable.
    QByteArray takeLog();
    // Everything it logged since it started.
    QByteArray log() const;

    std::uint16_t imagePort() const { return imagePort_; }
    std::uint16_t commandPort() const { return commandPort_; }

  private:
    bool readPorts();
    QByteArray logFrom(off_t offset) const;
    void closeLog();

    std::optional<ChildProcess> process_;
    int log_ = -1;
    off_t taken_ = 0;
    std::uint16_t imagePort_ = 0;
    std::uint16_t commandPort_ = 0;
};
