#include "recorder/TimeLapse.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <utility>

namespace recorder {

std::optional<TimeLapse::Plan> TimeLapse::planFor(double everySeconds, long long count, QString *error) {
    const auto shortest = static_cast<double>(kShortestInterval.count());
    const auto longest = static_cast<double>(kLongestInterval.count());
    if (!std::isfinite(everySeconds) || everySeconds < shortest || everySeconds > longest) {
        *error = QStringLiteral("the interval must be from %1 s to %2 s").arg(shortest).arg(longest);
        return std::nullopt;
    }
    if (count < 0 || count > 1'000'000) {
        *error = QStringLiteral("the count must be from 0 (until stopped) to 1000000");
        return std::nullopt;
    }
    Plan plan;
    plan.every = std::chrono::milliseconds(std::llround(everySeconds * 1000));
    plan.count = static_cast<int>(count);
    return plan;
}

TimeLapse::TimeLapse(QString folder, Plan plan) : folder_(std::move(folder)), plan_(plan) {}

bool TimeLapse::start(QString *error) {
    if (!QDir().mkpath(folder_)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder_);
        return false;
    }
    return true;
}

TimeLapse::Moment TimeLapse::add(const QImage &picture) {
    if (picture.isNull()) {
        ++missed_;
        return Moment::Missed;
    }
    const QString path =
        QDir(folder_).filePath(QStringLiteral("%1.png").arg(taken() + 1, 4, 10, QLatin1Char('0')));
    if (!picture.save(path, "PNG")) {
        QFile::remove(path);
        return Moment::WriteFailed;
    }
    pictures_ << path;
    return Moment::Taken;
}

StillsMovie::Result TimeLapse::makeFilm(const QString &path) const {
    return StillsMovie::write(pictures_, path);
}

}  // namespace recorder
