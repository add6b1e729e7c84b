#pragma once

// The camera pictures decoded lately, by their bytes and DCT scale, shared by the live view and the
// recorder: a picture that both need at one size is decoded once, and one asked for while another thread
// decodes it is waited for rather than decoded again. Only the newest few are kept, and only while the
// receiver still holds their bytes.
//
// Thread use: any thread.

#include "device/JpegDecoder.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <deque>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

class DecodedPictures {
  public:
    using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;
    struct Picture {
        QImage picture;  // null: the bytes are no picture
        QSize fullSize;  // the picture's own size, before scaling
    };
    // Two: the picture on screen and the one being decoded after it.
    static constexpr std::size_t kKept = 2;

    // The process's one cache, which the view and the recorder share.
    static DecodedPictures &shared();

    // bytes at scale: decoded now (into spare's pixels when nothing else holds them, in mode), or as
    // another caller decoded it, whatever mode that one asked for.
    Picture decode(const Bytes &bytes, int scale, JpegDecoder::Mode mode, QImage spare = QImage());
    // Decodes done by this cache since the start (not those taken from it).
    std::uint64_t decodes() const;

  private:
    struct Entry {
        std::weak_ptr<const std::vector<std::uint8_t>> bytes;
        const void *address = nullptr;  // bytes' address, compared while the weak pointer is alive
        int scale = 1;
        std::shared_future<Picture> picture;
    };

    std::shared_future<Picture> find(const Bytes &bytes, int scale) const;

    mutable std::mutex mutex_;
    std::deque<Entry> entries_;  // newest last
    std::uint64_t decodes_ = 0;
};
