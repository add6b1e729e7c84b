#pragma once

// The entries of the library grid, one per file of a folder, and the thumbnails they show. An entry is a
// dictionary with the keys "itemTitle" (the file's name as listed), "itemSizeInfo" ("1920 * 1080" for a
// capture, empty for a recording), "itemImage" (a QImage: the capture's thumbnail or the film icon; absent
// when no thumbnail could be made) and "itemURL" (the file's absolute path as a string).
//
// Thread use: any thread. Nothing here touches a widget, so the window may gather on a worker.

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

namespace LibraryItems {

inline constexpr const char *kItemTitle = "itemTitle";
inline constexpr const char *kItemSizeInfo = "itemSizeInfo";
inline constexpr const char *kItemImage = "itemImage";
inline constexpr const char *kItemURL = "itemURL";

// The largest side of a thumbnail, in pixels.
inline constexpr int kThumbnailMaxPixels = 160;
// The tallest thumbnail, in pixels: a grid item of 200 x 150 draws its picture from 13 pixels down and its
// title from 114 down, so a taller picture (a 4:3 or an upright capture) would cover the file's name.
inline constexpr int kThumbnailMaxHeight = 100;

// The names of folder's entries whose lower-cased extension (after the last dot) is type, in the listing's
// own order. An unlistable folder gives none.
QStringList matchingFileNames(const QString &folder, const QString &type);

// The entry of the file name in folder, gathered as type "png" (thumbnail and picture size), "mp4"
// (film icon, empty size text) or "pdf" (a scan: its first page, empty size text). Only regular files are
// read: a FIFO, socket or device gets "0 * 0" and no picture.
QVariantMap makeItem(const QString &folder, const QString &name, const QString &type);

// Every entry of folder for type, in listing order; no folder gives none.
QList<QVariantMap> gatherItems(const std::optional<QString> &folder, const QString &type);

// A thumbnail of the picture at path, at most kThumbnailMaxPixels on its largest side and
// kThumbnailMaxHeight tall (never enlarged); null when the file is not a readable picture. A PNG with a
// chunk (other than picture data) longer than the rest of the file is none: it is not handed to the decoder;
// nor is a picture larger than Qt's allocation limit allows to read whole, nor a JPEG with more scans than
// the camera pictures' decoder takes.
QImage requestPreviewImage(const QString &path);

// "%.0f * %.0f" of size; "0 * 0" for no size.
QString sizeText(QSize size);

// "%.0f * %.0f" of the picture's width and height as its header gives them; "0 * 0" for a file that is
// not a readable picture (such a PNG included).
QString pictureSizeText(const QString &path);

}  // namespace LibraryItems
