#include "viewer/SaveFileNamer.h"

#include <QDir>
#include <QFileInfo>

#include <mutex>
#include <set>

namespace {

// Minimal days of the new year in its first week: 4 where weeks start on Monday (ISO 8601, most of Europe),
// 1 elsewhere (the week holding 1 January is week 1, as in the Americas and much of Asia).
int minimalDaysInFirstWeek(Qt::DayOfWeek firstDay) {
    return firstDay == Qt::Monday ? 4 : 1;
}

// First day of week 1 of year.
QDate firstDayOfWeekOne(int year, Qt::DayOfWeek firstDay) {
    const QDate newYear(year, 1, 1);
    const int intoWeek = (newYear.dayOfWeek() - firstDay + 7) % 7;
    const QDate weekStart = newYear.addDays(-intoWeek);
    const int daysOfNewYear = 7 - intoWeek;
    return daysOfNewYear >= minimalDaysInFirstWeek(firstDay) ? weekStart : weekStart.addDays(7);
}

// Every path handed out in this process, so that two names asked for within one second differ even before
// the first file is written.
std::mutex reservedMutex;
std::set<QString> reservedPaths;

bool reserveIfFree(const QString &path) {
    std::lock_guard lock(reservedMutex);
    if (reservedPaths.count(path) != 0 || QFileInfo::exists(path)) return false;
    reservedPaths.insert(path);
    return true;
}

}  // namespace

QString SaveFileNamer::timeText(const QDateTime &when, const QLocale &locale) {
    const QDate date = when.date();
    const QTime time = when.time();
    return QString::asprintf("%04d%02d%02d_%02d%02d%02d", weekBasedYear(date, locale), date.month(),
                             date.day(), time.hour(), time.minute(), time.second());
}

int SaveFileNamer::weekBasedYear(const QDate &date, const QLocale &locale) {
    const Qt::DayOfWeek firstDay = locale.firstDayOfWeek();
    const int year = date.year();
    if (date < firstDayOfWeekOne(year, firstDay)) return year - 1;
    if (date >= firstDayOfWeekOne(year + 1, firstDay)) return year + 1;
    return year;
}

QString SaveFileNamer::fileName(const QString &pattern, const QDateTime &when, const QLocale &locale) {
    return QString(pattern).replace(QStringLiteral("%@"), timeText(when, locale));
}

QString SaveFileNamer::newSavePath(const QString &root, const QString &folder, const QString &pattern,
                                   const QDateTime &when, const QLocale &locale) {
    const QString base = QDir::cleanPath(root + u'/' + folder + u'/' + fileName(pattern, when, locale));
    if (reserveIfFree(base)) return base;
    for (int n = 2;; ++n) {
        const QString candidate = withSuffix(base, n);
        if (reserveIfFree(candidate)) return candidate;
    }
}

QString SaveFileNamer::withSuffix(const QString &name, int n) {
    const QString suffix = u'-' + QString::number(n);
    const qsizetype slash = name.lastIndexOf(u'/');
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= slash + 1) return name + suffix;  // no extension, or a hidden file's leading dot
    return name.left(dot) + suffix + name.mid(dot);
}
