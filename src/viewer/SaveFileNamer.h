#pragma once

// Names of new files under the save root: "image_%@.png" in "CaptureImages", "record_%@.mp4" in
// "RidirOvozev" and "scan_%@.pdf" in "Scans", "%@" being the local time of the button press as
// "YYYYMMdd_HHmmss" (week-based year, see timeText). Names have a resolution of one second, so a second
// file within the same second would replace the first: newSavePath() then adds "-2", "-3", ... before the
// extension instead.
//
// Thread use: any thread.

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

class SaveFileNamer {
  public:
    // A scan's PDF (the capture and record patterns live with their buttons).
    static constexpr const char *kScanPattern = "scan_%@.pdf";

    // "YYYYMMdd_HHmmss" of when as given (pass local time): the four-digit week-based year of locale's
    // week rules, month, day, an underscore, hour 00-23, minute, second. Around New Year the week-based
    // year may differ from the calendar year: 31 December 2024 gives "20251231_...".
    static QString timeText(const QDateTime &when, const QLocale &locale = QLocale());

    // The year that owns the week holding date under locale's week rules: weeks start on the locale's
    // first day of the week; week 1 is the first week with at least 4 days of the year where weeks start on
    // Monday (ISO 8601), with at least 1 day elsewhere.
    static int weekBasedYear(const QDate &date, const QLocale &locale = QLocale());

    // pattern with its "%@" replaced by timeText(when), e.g. "image_%@.png" -> "image_20240305_140709.png".
    static QString fileName(const QString &pattern, const QDateTime &when, const QLocale &locale = QLocale());

    // root/folder/fileName(pattern, when). When that file exists, or the name was already handed out in this
    // process (a recording creates its file only later), the name gets "-2", "-3", ... before its extension:
    // "image_20240305_140709-2.png". The name returned is reserved for the rest of the process.
    static QString newSavePath(const QString &root, const QString &folder, const QString &pattern,
                               const QDateTime &when, const QLocale &locale = QLocale());

    // name with "-n" before its extension (after the last dot of the last component), or at its end.
    static QString withSuffix(const QString &name, int n);
};
