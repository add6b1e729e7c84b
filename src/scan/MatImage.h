#pragma once

// The one crossing between Qt's pictures and OpenCV's matrices inside the scan library. Pictures come in as
// QImage (camera frames are Format_RGB32) and leave as QImage; everything between is cv::Mat. A view
// borrows the picture's pixels without copying, which matters at 3840x2160; a conversion back copies.

#include <QImage>

#include <opencv2/core/mat.hpp>

class MatImage {
  public:
    // A read-only header over picture's pixels: CV_8UC4 (B, G, R, X in memory) for 32-bit pictures,
    // CV_8UC1 for Format_Grayscale8. A picture in any other format is converted into holder first, which
    // then owns the pixels: keep holder alive as long as the view. Empty for a null picture.
    static cv::Mat view(const QImage &picture, QImage &holder);

    // A copy of mat as a picture: CV_8UC4 -> Format_RGB32, CV_8UC1 -> Format_Grayscale8. A null picture
    // for any other type.
    static QImage toImage(const cv::Mat &mat);
};
