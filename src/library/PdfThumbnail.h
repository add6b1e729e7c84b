#pragma once

// The library's picture of a saved scan: its first page, rendered by poppler small enough for the grid.
//
// Thread use: any thread (each call opens its own document); rendering takes some tens of milliseconds,
// so the library gathers on its work queue.

#include <QImage>
#include <QSize>
#include <QString>

namespace PdfThumbnail {

// The first page of the PDF at path fitted into box (never larger), on white; null when the file is no
// readable PDF, is locked, or has no pages.
QImage firstPage(const QString &path, QSize box);

}  // namespace PdfThumbnail
