#pragma once

// The frame pump's bookkeeping: from the receiver's newest bytes to the picture the view shows next.
//
// The worker offers a pass when pictures wait (one pass queued at a time, so a slow screen never piles them
// up); the GUI thread's pass hands the newest bytes to pass(), which decides through FreezeFrame whether they
// are shown, decodes them and counts what the screen missed. A sample of the bytes that do not decode is
// kept by UndecodableDump, in deskcam's cache folder, for a look at what the camera sent.
//
// Thread use: offerPass() on any thread; everything else on the GUI thread.

#include "device/ImageRecvTCPSocket.h"
#include "viewer/FreezeFrame.h"
#include "viewer/StreamStatistics.h"
#include "viewer/UndecodableDump.h"

#include <QImage>
#include <QSizeF>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

class FramePump {
  public:
    struct Hooks {
        std::function<std::uint64_t()> picturesReceived;    // the receiver's running count
        std::function<std::int64_t()> latestArrivalMicros;  // when the receiver's newest picture completed
        std::function<std::int64_t()> nowMicros;            // steady clock; defaults to steadyMicros()
    };
    struct Shown {
        QImage picture;
        bool sizeChanged = false;  // against the size the view was last laid out for
    };

    explicit FramePump(Hooks hooks);

    // The receiver's clock: the steady clock in microseconds.
    static std::int64_t steadyMicros();

    // Worker: true when a pass should be queued, false while one already waits.
    bool offerPass() { return !pending_.exchange(true); }
    // GUI thread: the queued pass has begun; later pictures may queue the next.
    void beginPass() { pending_ = false; }

    // The newest bytes: the picture to set on the view, or nothing when the view keeps its picture (nothing
    // new, frozen, or bytes that are no picture). onScreen is the view's picture now: its pixels take the
    // picture after next.
    std::optional<Shown> pass(const ImageBytes &latest, const QImage &onScreen, QSizeF laidOutSize);
    // The view shows the no-device picture.
    void forget();
    // The picture set by pass() has been painted: its latency counts.
    void pictureDrawn();

    bool frozen() const { return freezeFrame_.frozen(); }
    void setFrozen(bool frozen);
    // The encoded camera picture on screen, if one is.
    const ImageBytes &shown() const { return freezeFrame_.shown(); }
    StreamStatistics &statistics() { return statistics_; }
    UndecodableDump &undecodableDump() { return dump_; }

  private:
    void countDroppedPictures();

    Hooks hooks_;
    FreezeFrame freezeFrame_;
    StreamStatistics statistics_;
    UndecodableDump dump_;
    // The picture before the one on screen: decoding into its pixels spares a stream of same-sized pictures
    // a fresh 8 MB buffer for every frame.
    QImage spare_;
    std::uint64_t shownSequence_ = 0;      // the receiver's picture count at the picture on screen; 0: none
    std::int64_t shownArrivalMicros_ = 0;  // when that picture's last byte came; 0: not yet drawn or none
    std::atomic<bool> pending_{false};
};
