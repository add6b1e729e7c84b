#include "viewer/UndecodableDump.h"

#include "base/Log.h"
#include "dispatch/WorkQueue.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <condition_variable>

// Writes still on the work queue; shared with them so the dump may be destroyed first.
struct UndecodableDump::Writes {
    std::mutex mutex;
    std::condition_variable done;
    int pending = 0;
};

namespace {

QString defaultFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("deskcam/undecodable"));
}

void write(const QString &path, const std::vector<std::uint8_t> &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    // NewOnly: an existing file, whoever made it, is never replaced.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(reinterpret_cast<const char *>(bytes.data()), qint64(bytes.size())) !=
            qint64(bytes.size())) {
        deskcam::logLine("Could not keep the undecodable picture in %s: %s", qPrintable(path),
                         qPrintable(file.errorString()));
    }
}

}  // namespace

UndecodableDump::UndecodableDump(QString folder)
    : folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)), writes_(std::make_shared<Writes>()) {}

QString UndecodableDump::dump(const std::uint8_t *data, std::size_t size, Clock::time_point now) {
    const std::size_t kept = std::min(size, kMaxFileBytes);
    std::unique_lock lock(mutex_);
    const bool tooSoon = lastDump_ && now - *lastDump_ < kInterval;
    if (tooSoon || bytesDumped_ + kept > kMaxRunBytes || kept == 0) {
        // One line per skipped spell: the next dump (or the end of the budget) says how many were skipped.
        if (skipped_++ == 0)
            deskcam::logLine(
                "Undecodable camera pictures are not all kept: at most one a minute, %zu MB in all",
                kMaxRunBytes / (1024 * 1024));
        return {};
    }
    lastDump_ = now;
    bytesDumped_ += kept;
    skipped_ = 0;
    const QString path = QDir(folder_).filePath(name(++sequence_));
    lock.unlock();

    deskcam::logLine("Undecodable camera picture (%zu bytes) kept in %s", size, qPrintable(path));
    std::vector<std::uint8_t> bytes(data, data + kept);
    {
        const std::lock_guard pending(writes_->mutex);
        ++writes_->pending;
    }
    dispatch::WorkQueue::shared()->async([path, bytes = std::move(bytes), writes = writes_] {
        write(path, bytes);
        const std::lock_guard pending(writes->mutex);
        --writes->pending;
        writes->done.notify_all();
    });
    return path;
}

void UndecodableDump::waitUntilWritten() {
    std::unique_lock lock(writes_->mutex);
    writes_->done.wait(lock, [&] { return writes_->pending == 0; });
}

QString UndecodableDump::name(unsigned sequence) const {
    // The process id keeps two viewers apart, the sequence one viewer's dumps.
    return QStringLiteral("undecodable_%1_%2_%3.jpg")
        .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss")))
        .arg(QCoreApplication::applicationPid())
        .arg(sequence);
}
