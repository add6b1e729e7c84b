#pragma once

// The frame pump's bookkeeping: from the receiver's newest bytes to the picture the view shows next.
//
// The worker offers a pass when pictures wait (one pass queued at a time, so a slow screen never piles them
// up). The GUI thread's pass hands the newest bytes to take(), which decides through FreezeFrame whether
// they are to be shown and makes a decoding job of them. The job is decoded off the GUI thread
// (PictureDecoder), at the DCT scale the view needs; accept() then takes the result on the GUI thread,
// drops it when a newer picture is on screen already, and counts what the screen missed. A sample of the
// bytes that do not decode is kept by UndecodableDump, in deskcam's cache folder, for a look at what the
// camera sent.
//
// Thread use: offerPass() on any thread; decode() on any thread; everything else on the GUI thread.

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
    // Bytes to decode, and what the pump needs to know of them when they come back decoded.
    struct Job {
        ImageBytes bytes;
        std::uint64_t order = 0;         // the pump's own count of jobs: a later job has a larger one
        std::uint64_t received = 0;      // the receiver's picture count when the job was made
        std::int64_t arrivalMicros = 0;  // when the bytes' last byte came
        int scale = 1;                   // the DCT scale to decode at
        std::uint64_t epoch = 0;         // forget() and setFrozen() end an epoch: older jobs are stale
        bool again = false;              // the picture on screen, at another scale (also while frozen)
    };
    struct Decoded {
        Job job;
        QImage picture;     // null: the bytes are no picture
        QSize pictureSize;  // the camera picture's own size
    };
    struct Shown {
        QImage picture;
        QSize pictureSize;         // the camera picture's own size; larger than picture's when decoded scaled
        bool sizeChanged = false;  // against the size the view was last laid out for
    };

    explicit FramePump(Hooks hooks);

    // The receiver's clock: the steady clock in microseconds.
    static std::int64_t steadyMicros();

    // Worker: true when a pass should be queued, false while one already waits.
    bool offerPass() { return !pending_.exchange(true); }
    // GUI thread: the queued pass has begun; later pictures may queue the next.
    void beginPass() { pending_ = false; }

    // The newest bytes: a job to decode, or nothing when the view keeps its picture (nothing new, or
    // frozen). shownScale is screen pixels per picture pixel (zoom times device pixel ratio).
    std::optional<Job> take(const ImageBytes &latest, double shownScale);
    // The picture on screen again when shownScale wants more detail than it was decoded with (a zoom
    // change), also while frozen; nothing when its detail suffices.
    std::optional<Job> retake(double shownScale);
    // Any thread: the job's bytes decoded, into spare's pixels when nothing else holds them.
    static Decoded decode(const Job &job, QImage spare = QImage());
    // A decoded job: the picture to set on the view, or nothing when the view keeps its picture (a newer
    // one is on screen, the view was frozen or forgot the camera meanwhile, or the bytes are no picture).
    std::optional<Shown> accept(Decoded decoded, QSizeF laidOutSize);
    // take, decode and accept in one, on the calling thread.
    std::optional<Shown> pass(const ImageBytes &latest, QSizeF laidOutSize, double shownScale = 1.0);

    // The view shows the no-device picture.
    void forget();
    // The picture set by accept() has been painted: its latency counts.
    void pictureDrawn();

    bool frozen() const { return freezeFrame_.frozen(); }
    void setFrozen(bool frozen);
    // The encoded camera picture on screen, if one is.
    const ImageBytes &shown() const { return onScreen_; }
    StreamStatistics &statistics() { return statistics_; }
    UndecodableDump &undecodableDump() { return dump_; }

  private:
    void countDroppedPictures(const Job &job);

    Hooks hooks_;
    FreezeFrame freezeFrame_;
    StreamStatistics statistics_;
    UndecodableDump dump_;
    ImageBytes onScreen_;
    std::uint64_t jobs_ = 0;
    std::uint64_t epoch_ = 0;
    std::uint64_t shownOrder_ = 0;         // the job on screen; 0: none
    int shownAtScale_ = 1;                 // the DCT scale the picture on screen was decoded at
    std::uint64_t shownSequence_ = 0;      // the receiver's picture count at the picture on screen; 0: none
    std::int64_t shownArrivalMicros_ = 0;  // when that picture's last byte came; 0: not yet drawn or none
    std::atomic<bool> pending_{false};
};
