#include "app/StatusOverlay.h"

#include "l10n/Localization.h"

#include <QFontDatabase>
#include <QPainter>

namespace {

constexpr int kPadding = 10;
const QColor kGround(0, 0, 0, 160);
const QColor kText(240, 240, 240);
const QColor kRecording(255, 110, 100);
const QString kNone = QStringLiteral("–");  // a figure there is nothing to give for

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

}  // namespace

QStringList StatusOverlay::lines(const Status &status, const Localization &texts) {
    const StreamStatistics::Figures &figures = status.figures;
    const auto text = [&texts](const char *key) { return texts.text(QLatin1String(key)); };
    QStringList lines{
        text("overlay_rates").arg(number(figures.receivedPerSecond, 1), number(figures.shownPerSecond, 1)),
        text("overlay_dropped").arg(figures.droppedLastSecond).arg(figures.droppedTotal),
        text("overlay_latency").arg(figures.latencyMs ? number(*figures.latencyMs, 1) : kNone),
        text("overlay_bitrate").arg(number(figures.bitsPerSecond / 1e6, 2)),
        text("overlay_picture")
            .arg(status.pictureSize.isEmpty() ? kNone
                                              : QStringLiteral("%1×%2")
                                                    .arg(status.pictureSize.width())
                                                    .arg(status.pictureSize.height())),
        text("overlay_reconnections").arg(status.reconnections),
    };
    if (!status.timeLapse.isEmpty()) lines << status.timeLapse;
    if (status.recordingSeconds) {
        const int seconds = *status.recordingSeconds;
        QString line = text("overlay_recording")
                           .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                           .arg(seconds % 60, 2, 10, QLatin1Char('0'));
        if (status.lateFrames > 0) line += text("overlay_late_frames").arg(status.lateFrames);
        if (status.recordingPaused) line += text("overlay_paused");
        lines << line;
    }
    return lines;
}

QImage StatusOverlay::panel(const QStringList &lines, bool lastStandsOut, double ratio) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(font.pointSizeF() * 1.1);
    const QFontMetrics metrics(font);
    int width = 0;
    for (const QString &line : lines) width = std::max(width, metrics.horizontalAdvance(line));
    const QSize size(width + 2 * kPadding, int(lines.size()) * metrics.lineSpacing() + 2 * kPadding);
    QImage panel((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    panel.setDevicePixelRatio(ratio);
    panel.fill(Qt::transparent);
    QPainter painter(&panel);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGround);
    painter.drawRoundedRect(QRectF(QPointF(0, 0), QSizeF(size)), 8, 8);
    painter.setFont(font);
    int baseline = kPadding + metrics.ascent();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        painter.setPen(lastStandsOut && i == lines.size() - 1 ? kRecording : kText);
        painter.drawText(kPadding, baseline, lines[i]);
        baseline += metrics.lineSpacing();
    }
    return panel;
}
