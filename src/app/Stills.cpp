#include "app/Stills.h"

std::size_t Stills::add(const QImage &picture, const DrawingSheet &strokes) {
    if (stills_.size() >= kMostStills) stills_.erase(stills_.begin());
    const QImage shown = strokes.isEmpty() ? picture : strokes.burntInto(picture);
    Still still{picture, strokes, shown.scaledToHeight(kThumbnailHeight, Qt::SmoothTransformation)};
    still.strokes.setPictureSize(picture.size());
    stills_.push_back(std::move(still));
    return stills_.size() - 1;
}

std::optional<std::size_t> Stills::step(std::optional<std::size_t> current, int direction,
                                        std::size_t count) {
    if (count == 0) return std::nullopt;
    if (!current)
        return direction > 0 ? std::optional<std::size_t>(0) : std::optional<std::size_t>(count - 1);
    if (direction > 0) return *current + 1 < count ? std::optional<std::size_t>(*current + 1) : std::nullopt;
    return *current > 0 ? std::optional<std::size_t>(*current - 1) : std::nullopt;
}
