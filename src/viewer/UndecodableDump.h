#pragma once

// Keeps a sample of the camera bytes that did not decode, for a bug report: in a folder of deskcam's own
// (the user's cache, "deskcam/undecodable"), never among the user's files, under names that cannot meet
// one of theirs. A camera that sends junk all the time must not fill the disk or stall the window: at
// most one dump a minute, the first megabyte of each, a few megabytes in all per run, written on the
// shared work queue; the log says when dumps are skipped.

#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class UndecodableDump {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kInterval{60};
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;
    static constexpr std::size_t kMaxRunBytes = 8 * 1024 * 1024;

    // folder empty: the user's cache folder's "deskcam/undecodable".
    explicit UndecodableDump(QString folder = {});

    // Called where the picture failed (any thread). Returns the file the bytes go to, or an empty string
    // when this dump is skipped.
    QString dump(const std::uint8_t *data, std::size_t size, Clock::time_point now = Clock::now());

    // Blocks until the dumps handed out so far are on disk. For tests and the program's end.
    void waitUntilWritten();

    QString folder() const { return folder_; }

  private:
    struct Writes;
    QString name(unsigned sequence) const;

    const QString folder_;
    std::mutex mutex_;
    std::optional<Clock::time_point> lastDump_;
    std::size_t bytesDumped_ = 0;
    unsigned long long skipped_ = 0;
    unsigned sequence_ = 0;
    std::shared_ptr<Writes> writes_;
};
