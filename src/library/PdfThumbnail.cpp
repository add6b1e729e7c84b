#include "library/PdfThumbnail.h"

#include <poppler-qt6.h>

#include <algorithm>

namespace PdfThumbnail {

QImage firstPage(const QString &path, QSize box) {
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document || document->isLocked() || document->numPages() < 1 || box.isEmpty()) return {};
    const std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page) return {};
    const QSizeF points = page->pageSizeF();  // 1/72 inch
    if (points.width() <= 0 || points.height() <= 0) return {};
    // The resolution at which the page just fits the box.
    const double scale = std::min(box.width() / points.width(), box.height() / points.height());
    const double dpi = 72.0 * scale;
    QImage image = page->renderToImage(dpi, dpi);
    if (image.isNull()) return {};
    // Rounding may give a pixel more than the box.
    if (image.width() > box.width() || image.height() > box.height())
        image = image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

}  // namespace PdfThumbnail
