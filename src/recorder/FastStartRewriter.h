#pragma once

// The last step of a recording: the fragmented MP4 written while recording (playable at any moment, even
// after a crash) becomes a plain MP4 whose index comes before the media data.
//
// One pass: every packet is read once and written once into a new file in the same folder, behind space
// reserved for the index; the muxer puts the index there when it finishes (the unused rest becomes a
// "free" box). The new file is flushed to disk and then replaces the fragmented one by an atomic rename,
// so at every moment the final name holds a playable file. On any failure the new file is removed and the
// fragmented file stays.
//
// Thread use: any thread; blocking. cancel may be set from another thread to give up early.

#include <atomic>
#include <cstdint>
#include <string>

namespace recorder {

class FastStartRewriter {
  public:
    struct Request {
        std::string path;
        // false: the index goes after the media data (the muxer's plain layout), nothing is reserved.
        bool indexFirst = true;
        // Packets in the file, all tracks together: bounds the size of the index to reserve.
        std::int64_t packets = 0;
        const std::atomic<bool> *cancel = nullptr;
    };

    // True when path now holds the plain MP4. False with the reason in error otherwise; path is unchanged.
    static bool rewrite(const Request &request, std::string *error);

    // Bytes to reserve in front of the media data for the index of packets packets: an upper bound.
    static std::int64_t indexSpaceFor(std::int64_t packets);
    // The new file's name while it is written: hidden, beside path.
    static std::string partialPathFor(const std::string &path);
};

}  // namespace recorder
