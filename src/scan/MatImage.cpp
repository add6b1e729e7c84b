#include "scan/MatImage.h"

cv::Mat MatImage::view(const QImage &picture, QImage &holder) {
    if (picture.isNull()) return {};
    const QImage *source = &picture;
    const QImage::Format format = picture.format();
    const bool direct = format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                        format == QImage::Format_Grayscale8;
    if (!direct) {
        holder = picture.convertToFormat(QImage::Format_RGB32);
        source = &holder;
    }
    const int type = source->format() == QImage::Format_Grayscale8 ? CV_8UC1 : CV_8UC4;
    // constBits() does not detach the picture; the view is only ever read.
    return cv::Mat(source->height(), source->width(), type, const_cast<uchar *>(source->constBits()),
                   static_cast<std::size_t>(source->bytesPerLine()));
}

QImage MatImage::toImage(const cv::Mat &mat) {
    if (mat.empty() || mat.depth() != CV_8U) return {};
    QImage::Format format;
    if (mat.channels() == 4)
        format = QImage::Format_RGB32;
    else if (mat.channels() == 1)
        format = QImage::Format_Grayscale8;
    else
        return {};
    const QImage borrowed(mat.data, mat.cols, mat.rows, static_cast<qsizetype>(mat.step), format);
    return borrowed.copy();
}
