#include "library/LibraryItems.h"

#include "device/JpegDecoder.h"
#include "device/JpegStructure.h"

#include "library/LibraryImages.h"
#include "library/PdfThumbnail.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

#include <cstring>
#include <memory>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// libpng takes a whole chunk other than picture data into a buffer of the length the chunk declares, and
// clears it, before it reads the chunk: a damaged file of a few hundred bytes can make it claim and wipe
// gigabytes (seconds of work and the window's memory) before it finds the file too short. Such a file is
// no readable picture. Picture data (IDAT) is read piece by piece, so a capture cut short still reads.
bool pngChunksFitFile(QFile &file) {
    static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
    static constexpr qint64 kSignatureLength = 8;
    static constexpr qint64 kChunkHeaderLength = 8;  // length (big-endian) and type
    static constexpr qint64 kCrcLength = 4;
    // A few bytes at each chunk, and a capture has hundreds: read them straight from the descriptor at
    // their offsets, which leaves the file's own position and buffer for the picture reader.
    const int fd = file.handle();
    char header[kChunkHeaderLength];
    if (::pread(fd, header, kSignatureLength, 0) != kSignatureLength ||
        std::memcmp(header, kSignature, kSignatureLength) != 0)
        return true;  // not a PNG: nothing to check
    const qint64 size = file.size();
    for (qint64 at = kSignatureLength; at + kChunkHeaderLength <= size;) {
        if (::pread(fd, header, kChunkHeaderLength, at) != kChunkHeaderLength) return false;
        const qint64 length = qFromBigEndian<quint32>(header);
        const std::string_view type(header + 4, 4);
        const qint64 end = at + kChunkHeaderLength + length + kCrcLength;
        if (end > size) return type == "IDAT";
        if (type == "IEND") return true;
        at = end;
    }
    return true;
}

// Qt weighs a picture against its allocation limit at the size it returns, which for a JPEG read scaled
// is the thumbnail's; libjpeg still keeps the whole picture's coefficients for a progressive one (a 3 KB
// file declaring 20000 x 20000 took 1.2 GB and 5 s). A picture too big for Qt to read whole gets none.
bool fitsAllocationLimit(QSize full) {
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    constexpr qint64 kBytesPerPixel = 4;
    return limitBytes <= 0 || qint64(full.width()) * full.height() * kBytesPerPixel <= limitBytes;
}

QImage thumbnailFrom(QImageReader &reader, QSize full) {
    if (full.isValid() && !fitsAllocationLimit(full)) return {};
    // Formats that can decode straight to a smaller size (JPEG) do so; the others decode whole and are
    // scaled down smoothly by the reader.
    if (full.isValid() && exceedsThumbnailBox(full)) reader.setScaledSize(thumbnailSize(full));
    QImage image = reader.read();
    if (image.isNull()) return {};
    if (exceedsThumbnailBox(image.size()))
        image = image.scaled(thumbnailSize(image.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

// One capture as the grid shows it: the picture's size as its header gives it (invalid for a file that is
// no readable picture) and, when asked for, its thumbnail. The file is opened once for both.
struct PictureFile {
    QSize size;
    QImage thumbnail;
};

// A progressive JPEG with more scans than any encoder writes makes the decoder walk the whole picture once
// per scan: minutes of a worker for one file. Counted in the mapped file, without reading it into memory.
bool hasTooManyScans(QFile &file) {
    const qint64 size = file.size();
    uchar *bytes = size > 2 ? file.map(0, size) : nullptr;
    if (bytes == nullptr || bytes[0] != 0xFF || bytes[1] != 0xD8) {
        if (bytes) file.unmap(bytes);
        return false;
    }
    const bool tooMany =
        JpegStructure::countScans(bytes, std::size_t(size), JpegDecoder::kMaxScans) > JpegDecoder::kMaxScans;
    file.unmap(bytes);
    return tooMany;
}

PictureFile readPictureFile(const QString &path, bool withThumbnail) {
    const auto file = openRegularFile(path);
    if (!file || !pngChunksFitFile(*file)) return {};
    const bool decodable = !hasTooManyScans(*file);
    QImageReader reader(file.get());
    const bool readable = reader.canRead();
    PictureFile picture{reader.size(), {}};
    if (withThumbnail && readable && decodable) picture.thumbnail = thumbnailFrom(reader, picture.size);
    return picture;
}

}  // namespace

QStringList matchingFileNames(const QString &folder, const QString &type) {
    QStringList names;
    // Newest first: the capture just taken is the one looked for.
    const QStringList listing = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Time);
    for (const QString &name : listing)
        if (extensionOf(name) == type) names << name;
    return names;
}

QVariantMap makeItem(const QString &folder, const QString &name, const QString &type) {
    const QString path = QDir(folder).filePath(name);
    QVariantMap item{{kItemTitle, name}, {kItemURL, path}};
    if (!isRegular(path)) {
        // Listed, but never read.
        item.insert(kItemSizeInfo, sizeText(QSize()));
        return item;
    }
    if (type == QLatin1String("mp4")) {
        item.insert(kItemImage, LibraryImages::imageNamed(QString::fromLatin1(LibraryImages::kMp4Icon)));
        item.insert(kItemSizeInfo, QString());
        return item;
    }
    if (type == QLatin1String("pdf")) {
        const QImage firstPage =
            PdfThumbnail::firstPage(path, QSize(kThumbnailMaxPixels, kThumbnailMaxHeight));
        if (!firstPage.isNull()) item.insert(kItemImage, firstPage);
        item.insert(kItemSizeInfo, QString());
        return item;
    }
    const PictureFile picture = readPictureFile(path, true);
    if (!picture.thumbnail.isNull()) item.insert(kItemImage, picture.thumbnail);
    item.insert(kItemSizeInfo, sizeText(picture.size));
    return item;
}

QList<QVariantMap> gatherItems(const std::optional<QString> &folder, const QString &type) {
    QList<QVariantMap> items;
    if (!folder) return items;
    for (const QString &name : matchingFileNames(*folder, type)) items << makeItem(*folder, name, type);
    return items;
}

QImage requestPreviewImage(const QString &path) {
    return readPictureFile(path, true).thumbnail;
}

QString sizeText(QSize size) {
    if (!size.isValid()) return QStringLiteral("0 * 0");
    return QString::asprintf("%.0f * %.0f", double(size.width()), double(size.height()));
}

QString pictureSizeText(const QString &path) {
    return sizeText(readPictureFile(path, false).size);
}

}  // namespace LibraryItems
