#include "app/RecordEndMessage.h"

#include "l10n/Localization.h"

#include <QFile>

namespace {

QString timeText(double seconds) {
    return QString::fromStdString(RVImagesToVideo::Report::timeText(seconds));
}

}  // namespace

QString RecordEndMessage::savedMessage(const QString &path, const Localization &texts) {
    return texts.text(QStringLiteral("record_saved")).arg(path);
}

bool RecordEndMessage::isGoodNews(const RVImagesToVideo::Report &report) {
    return report.outcome == RVImagesToVideo::Report::Outcome::Saved && report.cameraSilences.empty() &&
           report.microphoneSilences.empty() && report.lateFrames == 0;
}

QString RecordEndMessage::text(const RVImagesToVideo::Report &report, const Localization &texts) {
    using Outcome = RVImagesToVideo::Report::Outcome;
    QString message;
    switch (report.outcome) {
        case Outcome::Saved:
            message = savedMessage(QString::fromStdString(report.path), texts);
            // Less than a second would read "paused for 0:00".
            if (report.pausedSeconds >= 1)
                message = texts.text(QStringLiteral("record_saved_paused"))
                              .arg(message, texts.text(QStringLiteral("record_paused_for"))
                                                .arg(timeText(report.pausedSeconds)));
            break;
        case Outcome::NothingRecorded:
        case Outcome::Pending:
            return texts.text(QStringLiteral("record_nothing"));
        case Outcome::WriteFailed:
            message = failure(report, texts);
            break;
        case Outcome::NotStarted:
            return texts.text(QStringLiteral("record_not_started"))
                .arg(QString::fromStdString(report.failure));
        case Outcome::FileGone:
            return texts.text(QStringLiteral("record_file_gone"))
                .arg(QString::fromStdString(report.path), timeText(report.fileGoneAt));
    }
    message += spells(report.cameraSilences, QStringLiteral("record_camera_silent"), texts);
    message += spells(report.microphoneSilences, QStringLiteral("record_microphone_silent"), texts);
    if (report.lateFrames > 0)
        message +=
            QLatin1Char('\n') + texts.text(QStringLiteral("record_late_frames")).arg(report.lateFrames);
    return message;
}

QString RecordEndMessage::failure(const RVImagesToVideo::Report &report, const Localization &texts) {
    const QString path = QString::fromStdString(report.path);
    const QString what =
        report.diskFull ? texts.text(QStringLiteral("record_disk_full")).arg(path, timeText(report.seconds))
                        : texts.text(QStringLiteral("record_write_failed"))
                              .arg(path, timeText(report.seconds), QString::fromStdString(report.failure));
    const QString kept =
        QFile::exists(path) ? QStringLiteral("record_kept") : QStringLiteral("record_nothing_kept");
    return what + QLatin1Char('\n') + texts.text(kept);
}

QString RecordEndMessage::spells(const std::vector<RVImagesToVideo::Report::Spell> &spells,
                                 const QString &key, const Localization &texts) {
    QString lines;
    for (const auto &spell : spells) {
        lines += QLatin1Char('\n');
        lines += spell.end ? texts.text(key).arg(timeText(spell.start), timeText(*spell.end))
                           : texts.text(key + QStringLiteral("_to_end")).arg(timeText(spell.start));
    }
    return lines;
}
