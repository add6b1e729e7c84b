// Fuzz target: the library's gathering of a folder of captures, on one file of arbitrary bytes named like a
// capture. Whatever the bytes claim (PNG or JPEG headers, sizes, truncation), gathering gives one entry with
// the file's name and path, a size text of the form "W * H", and a thumbnail within the grid's box or none.

#include "library/LibraryItems.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

std::unique_ptr<QTemporaryDir> folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    // Memory-backed when there is a /dev/shm: the file is rewritten for every input.
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/") : QDir::tempPath() + u'/';
    folder = std::make_unique<QTemporaryDir>(base + QStringLiteral("deskcam-fuzz-XXXXXX"));
    check(folder->isValid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString path = folder->filePath(QStringLiteral("image_20260101_120000.png"));
    {
        QFile file(path);
        check(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        check(file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) ==
              static_cast<qint64>(size));
    }

    const QList<QVariantMap> items = LibraryItems::gatherItems(folder->path(), QStringLiteral("png"));
    check(items.size() == 1);
    const QVariantMap &item = items.front();
    check(item.value(LibraryItems::kItemTitle).toString() == QStringLiteral("image_20260101_120000.png"));
    check(item.value(LibraryItems::kItemURL).toString() == path);
    static const QRegularExpression sizeText(QStringLiteral("^\\d+ \\* \\d+$"));
    check(sizeText.match(item.value(LibraryItems::kItemSizeInfo).toString()).hasMatch());
    if (item.contains(LibraryItems::kItemImage)) {
        const QImage thumbnail = item.value(LibraryItems::kItemImage).value<QImage>();
        check(!thumbnail.isNull());
        check(thumbnail.width() <= LibraryItems::kThumbnailMaxPixels &&
              thumbnail.height() <= LibraryItems::kThumbnailMaxHeight);
    }
    return 0;
}
