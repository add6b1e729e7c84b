#include "app/CaptureControl.h"

#include "device/ImageRecvTCPSocket.h"
#include "l10n/Localization.h"
#include "viewer/DKBookmark.h"
#include "viewer/SaveFileNamer.h"

CaptureControl::Result CaptureControl::capture(const QImage &picture, DKBookmark &bookmark,
                                               const QDateTime &pressedAt) {
    const QString root = bookmark.getSavePath();
    if (root.isEmpty()) return {Outcome::NoSavePath, QString(), noSavePathMessage()};

    const QString path = SaveFileNamer::newSavePath(root, QLatin1String(DKBookmark::kCaptureFolder),
                                                    QLatin1String(kImagePattern), pressedAt);
    if (!ImageRecvTCPSocket::saveImage(picture, path.toStdString()))
        return {Outcome::SaveFailed, path, saveFailedMessage()};
    return {Outcome::Saved, path, savedMessage(path)};
}

CaptureControl::Result CaptureControl::nothingToCapture() {
    return {Outcome::NothingToCapture, QString(),
            Localization::shared().text(QStringLiteral("capture_nothing"))};
}

QString CaptureControl::savedMessage(const QString &path) {
    return Localization::shared().text(QStringLiteral("capture_saved")).arg(path);
}

QString CaptureControl::saveFailedMessage() {
    return Localization::shared().text(QStringLiteral("capture_failed"));
}

QString CaptureControl::noSavePathMessage() {
    return Localization::shared().text(QStringLiteral("capture_no_save_path"));
}
