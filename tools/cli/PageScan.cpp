#include "PageScan.h"

#include "device/JpegDecoder.h"
#include "scan/PageFinder.h"
#include "scan/PageStraightener.h"

#include <QFileInfo>
#include <QImageReader>

bool PageScan::loadPicture(const std::string &file, QImage &picture, std::string &error) {
    const QString path = QString::fromLocal8Bit(file.c_str());
    if (!QFileInfo(path).isFile()) {
        error = "no such file: " + file;
        return false;
    }
    QImageReader reader(path);
    // The declared size is checked before a single pixel is decoded.
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > kMaxPicturePixels) {
        error = file + " is too large (" + std::to_string(size.width()) + "x" +
                std::to_string(size.height()) + " pixels; at most " +
                std::to_string(kMaxPicturePixels / 1'000'000) + " million)";
        return false;
    }
    reader.setAllocationLimit(int(kMaxPicturePixels * 4 / (1024 * 1024)) + 1);
    if (!reader.read(&picture)) {
        error = "cannot read " + file + ": " + reader.errorString().toStdString();
        return false;
    }
    picture = picture.convertToFormat(QImage::Format_RGB32);
    return true;
}

QImage PageScan::uprightPage(const QImage &picture, std::string &note) {
    note.clear();
    if (const auto page = PageFinder::find(picture)) {
        QImage upright = PageStraightener::straighten(picture, *page);
        if (!upright.isNull()) return upright;
    }
    note = "no page found: the whole picture is kept";
    return picture;
}
