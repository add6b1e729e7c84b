#pragma once

// Decodes the frame pump's jobs off the GUI thread, so that the window answers at any picture size. Two
// workers: while both decode, the newest job waits in a single place, and a newer one replaces it (the
// screen only ever wants the newest picture). Decoded pictures go to done() on the worker's thread.
//
// Pixels are reused: a picture the view has let go of (nothing else holds it) is decoded into again, which
// spares a large allocation per frame. At most kSpares pictures of the newest one's size are kept for that.

#include "viewer/FramePump.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class PictureDecoder {
  public:
    using Done = std::function<void(FramePump::Decoded)>;
    static constexpr int kWorkers = 2;
    static constexpr std::size_t kSpares = 4;

    explicit PictureDecoder(Done done, int workers = kWorkers);
    // Waits for the decodes under way; the waiting job is dropped.
    ~PictureDecoder();
    PictureDecoder(const PictureDecoder &) = delete;
    PictureDecoder &operator=(const PictureDecoder &) = delete;

    // Any thread: decode job soon; replaces a job that still waits.
    void submit(FramePump::Job job);
    // Jobs replaced before a worker took them, since the start.
    std::uint64_t replaced() const;

  private:
    void run();
    QImage spareFor();
    void keepSpare(const QImage &picture);

    const Done done_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<FramePump::Job> waiting_;
    std::vector<QImage> spares_;
    std::uint64_t replaced_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
