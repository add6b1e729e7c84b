#pragma once

// A camera's view of a printed page on a desk: an A4 sheet of English and Chinese text, a little turned and
// seen slightly in perspective, under a lighting gradient with sensor noise, encoded at a real camera's
// quality. Its JPEGs carry the entropy of real pictures (a test card compresses far better), so
// benchmarks and page finding meet what a camera sends.

#include "PictureSource.h"

#include <QImage>
#include <QPolygonF>

#include <mutex>
#include <vector>

class PagePicture : public PictureSource {
  public:
    using Style = PictureStyle;

    explicit PagePicture(Style style);

    std::vector<std::uint8_t> picture(std::uint64_t frameNumber) override;
    void setSize(int width, int height) override;

    // Where the page's corners lie in a picture of size (top left, top right, bottom right, bottom left).
    static QPolygonF pageCorners(QSize size);
    // The page's text, line by line, as printed.
    static const std::vector<QString> &englishLines();
    static const std::vector<QString> &chineseLines();
    // The page as printed, upright, before it is laid on the desk.
    static QImage sheet(int width);
    // The camera's view before encoding; variant picks the sensor noise.
    static QImage draw(QSize size, int variant);

  private:
    // A few pictures are encoded per size and sent in turn: the noise changes, the page does not.
    static constexpr int kVariants = 6;

    // --- guarded by mutex_
    std::mutex mutex_;
    Style style_;
    std::vector<std::vector<std::uint8_t>> encoded_;
};
