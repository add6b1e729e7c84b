#include "SimulatorProcess.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr auto kStartTimeout = std::chrono::seconds(10);

// A file without a name: it goes away with the last descriptor, whatever way the test ends.
int anonymousFile() {
    QByteArray name = QDir::tempPath().toLocal8Bit() + "/deskcam-sim-log-XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd >= 0) unlink(name.constData());
    return fd;
}

// The number after NAME in a line "NAME NUMBER", or 0.
std::uint16_t portIn(const std::string &line, const std::string &name) {
    if (line.size() <= name.size() + 1 || line.compare(0, name.size() + 1, name + ' ') != 0) return 0;
    return static_cast<std::uint16_t>(std::strtoul(line.c_str() + name.size() + 1, nullptr, 10));
}

}  // namespace

SimulatorProcess::~SimulatorProcess() {
    stop();
    closeLog();
}

bool SimulatorProcess::start(const QStringList &options) {
    stop();
    // A restart reads its own ports, and its log starts empty.
    imagePort_ = 0;
    commandPort_ = 0;
    closeLog();
    log_ = anonymousFile();
    std::vector<std::string> argv = {DESKCAM_SIM_PATH, "--host", "127.0.0.1", "--image-port", "0",
                                     "--command-port", "0"};
    for (const QString &option : options) argv.push_back(option.toStdString());
    process_.emplace(argv, false, log_);
    if (process_->started() && readPorts()) return true;
    std::fprintf(stderr, "deskcam-sim did not start: %s\n", log().constData());
    return false;
}

bool SimulatorProcess::readPorts() {
    const auto deadline = std::chrono::steady_clock::now() + kStartTimeout;
    while (imagePort_ == 0 || commandPort_ == 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto line = left.count() > 0 ? process_->readLine(left) : std::nullopt;
        if (!line) return false;
        if (const auto port = portIn(*line, "image-port")) imagePort_ = port;
        if (const auto port = portIn(*line, "command-port")) commandPort_ = port;
    }
    return true;
}

void SimulatorProcess::stop() {
    if (process_) process_->stop();
    process_.reset();
}

QByteArray SimulatorProcess::takeLog() {
    QByteArray fresh = logFrom(taken_);
    taken_ += fresh.size();
    return fresh;
}

QByteArray SimulatorProcess::log() const {
    return logFrom(0);
}

QByteArray SimulatorProcess::logFrom(off_t offset) const {
    QByteArray text;
    if (log_ < 0) return text;
    char buffer[4096];
    ssize_t got;
    while ((got = pread(log_, buffer, sizeof buffer, offset)) > 0) {
        text.append(buffer, static_cast<qsizetype>(got));
        offset += got;
    }
    return text;
}

void SimulatorProcess::closeLog() {
    if (log_ >= 0) close(log_);
    log_ = -1;
    taken_ = 0;
}
