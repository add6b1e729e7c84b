#pragma once

// deskcam-sim as a child process of a test: started on any free ports of 127.0.0.1, which it prints and
// this reads back. Stopping it is the camera going away.

#include <QProcess>
#include <QStringList>

#include <cstdint>

class SimulatorProcess {
  public:
    ~SimulatorProcess();

    // Starts the simulator with extra options; false (with the reason on stderr) when it does not come up.
    bool start(const QStringList &options = {});
    void stop();
    // What the simulator logged since the last call (its command service logs every request it receives).
    QByteArray takeLog();

    std::uint16_t imagePort() const { return imagePort_; }
    std::uint16_t commandPort() const { return commandPort_; }

  private:
    QProcess process_;
    std::uint16_t imagePort_ = 0;
    std::uint16_t commandPort_ = 0;
};
