#include "device/DecodedPictures.h"

DecodedPictures &DecodedPictures::shared() {
    static DecodedPictures pictures;
    return pictures;
}

DecodedPictures::Picture DecodedPictures::decode(const Bytes &bytes, int scale, JpegDecoder::Mode mode,
                                                 QImage spare) {
    if (!bytes || bytes->empty()) return {};
    std::shared_future<Picture> known;
    std::promise<Picture> promise;
    {
        std::lock_guard lock(mutex_);
        known = find(bytes, scale);
        if (!known.valid()) {
            entries_.push_back({bytes, bytes.get(), scale, promise.get_future().share()});
            if (entries_.size() > kKept) entries_.pop_front();
            ++decodes_;
        }
    }
    if (known.valid()) return known.get();  // decoded, or being decoded by another thread
    Picture picture{std::move(spare), QSize()};
    if (!JpegDecoder::decodeInto(bytes->data(), bytes->size(), picture.picture, mode, scale,
                                 &picture.fullSize))
        picture = Picture{};
    promise.set_value(picture);
    return picture;
}

std::shared_future<DecodedPictures::Picture> DecodedPictures::find(const Bytes &bytes, int scale) const {
    for (const Entry &entry : entries_) {
        // The address alone could be a new buffer where a freed one was; a live weak pointer cannot.
        if (entry.address == bytes.get() && entry.scale == scale && entry.bytes.lock() == bytes)
            return entry.picture;
    }
    return {};
}

std::uint64_t DecodedPictures::decodes() const {
    std::lock_guard lock(mutex_);
    return decodes_;
}
