#include "library/LibraryItems.h"

#include "library/LibraryImages.h"

#include <QDir>
#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace LibraryItems {
namespace {

bool isRegular(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

// The file at path open for reading, or null when it is no regular file (links followed). Reading a FIFO,
// a socket or a device may wait forever; the open does not wait, and its check holds even if the file was
// swapped after the first look.
std::unique_ptr<QFile> openRegularFile(const QString &path) {
    if (!isRegular(path)) return nullptr;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info {};
    auto file = std::make_unique<QFile>();
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        !file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

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
    if (!isRegular(path)) {
        // Listed, but never read.
        item.insert(kItemSizeInfo, sizeText(0, 0));
        return item;
    }
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
    const auto file = openRegularFile(path);
    if (!file) return {};
    QImageReader reader(file.get());
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
    const auto file = openRegularFile(path);
    const QSize size = file ? QImageReader(file.get()).size() : QSize();
    if (!size.isValid()) return sizeText(0, 0);
    return sizeText(size.width(), size.height());
}

}  // namespace LibraryItems
