#include "library/LibraryItems.h"

#include "library/LibraryImages.h"

#include <QDir>
#include <QImageReader>

namespace LibraryItems {
namespace {

QString extensionOf(const QString &name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot + 1).toLower();
}

// The thumbnail's bounding box: kThumbnailMaxPixels on the largest side, and no taller than
// kThumbnailMaxHeight.
bool exceedsThumbnailBox(QSize size) {
    return std::max(size.width(), size.height()) > kThumbnailMaxPixels || size.height() > kThumbnailMaxHeight;
}

QSize thumbnailSize(QSize size) {
    QSize box = size.scaled(kThumbnailMaxPixels, kThumbnailMaxPixels, Qt::KeepAspectRatio);
    if (box.height() > kThumbnailMaxHeight)
        box = size.scaled(box.width(), kThumbnailMaxHeight, Qt::KeepAspectRatio);
    return box.expandedTo(QSize(1, 1));
}

QString sizeText(double width, double height) {
    return QString::asprintf("%.0f * %.0f", width, height);
}

}  // namespace

QStringList matchingFileNames(const QString &folder, const QString &type) {
    QStringList names;
    const QStringList listing = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : listing)
        if (extensionOf(name) == type) names << name;
    return names;
}

QVariantMap makeItem(const QString &folder, const QString &name, const QString &type) {
    const QString path = QDir(folder).filePath(name);
    QVariantMap item{{kItemTitle, name}, {kItemURL, path}};
    if (type == QLatin1String("mp4")) {
        item.insert(kItemImage, LibraryImages::imageNamed(QString::fromLatin1(LibraryImages::kMp4Icon)));
        item.insert(kItemSizeInfo, QString());
        return item;
    }
    const QImage thumbnail = requestPreviewImage(path);
    if (!thumbnail.isNull()) item.insert(kItemImage, thumbnail);
    item.insert(kItemSizeInfo, pictureSizeText(path));
    return item;
}

QList<QVariantMap> gatherItems(const std::optional<QString> &folder, const QString &type) {
    QList<QVariantMap> items;
    if (!folder) return items;
    for (const QString &name : matchingFileNames(*folder, type)) items << makeItem(*folder, name, type);
    return items;
}

QImage requestPreviewImage(const QString &path) {
    QImageReader reader(path);
    if (!reader.canRead()) return {};

    // Formats that can decode straight to a smaller size (JPEG) do so; the others decode whole and are
    // scaled down smoothly by the reader.
    const QSize full = reader.size();
    if (full.isValid() && exceedsThumbnailBox(full)) reader.setScaledSize(thumbnailSize(full));

    QImage image = reader.read();
    if (image.isNull()) return {};
    if (exceedsThumbnailBox(image.size()))
        image = image.scaled(thumbnailSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

QString pictureSizeText(const QString &path) {
    const QSize size = QImageReader(path).size();
    if (!size.isValid()) return sizeText(0, 0);
    return sizeText(size.width(), size.height());
}

}  // namespace LibraryItems
