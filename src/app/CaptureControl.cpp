#include "app/CaptureControl.h"

#include "device/ImageRecvTCPSocket.h"
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

QString CaptureControl::savedMessage(const QString &path) {
    return QStringLiteral("Image saved in path\uFF1A%1").arg(path);
}
