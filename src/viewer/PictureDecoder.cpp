#include "viewer/PictureDecoder.h"

#include <pthread.h>

PictureDecoder::PictureDecoder(Done done, int workers) : done_(std::move(done)) {
    for (int i = 0; i < workers; ++i) {
        workers_.emplace_back([this] { run(); });
        pthread_setname_np(workers_.back().native_handle(), "Thread-Decode");
    }
}

PictureDecoder::~PictureDecoder() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    changed_.notify_all();
    for (std::thread &worker : workers_) worker.join();
}

void PictureDecoder::submit(FramePump::Job job) {
    {
        std::lock_guard lock(mutex_);
        if (waiting_) ++replaced_;
        waiting_ = std::move(job);
    }
    changed_.notify_one();
}

std::uint64_t PictureDecoder::replaced() const {
    std::lock_guard lock(mutex_);
    return replaced_;
}

void PictureDecoder::run() {
    for (;;) {
        FramePump::Job job;
        QImage spare;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || waiting_; });
            if (stopping_) return;
            job = std::move(*waiting_);
            waiting_.reset();
            spare = spareFor();
        }
        FramePump::Decoded decoded = FramePump::decode(job, std::move(spare));
        if (!decoded.picture.isNull()) {
            std::lock_guard lock(mutex_);
            keepSpare(decoded.picture);
        }
        done_(std::move(decoded));
    }
}

// A kept picture that only this decoder holds now: the view has moved on from it.
QImage PictureDecoder::spareFor() {
    for (auto spare = spares_.begin(); spare != spares_.end(); ++spare) {
        if (spare->isDetached()) {
            QImage free = std::move(*spare);
            spares_.erase(spare);
            return free;
        }
    }
    return {};
}

void PictureDecoder::keepSpare(const QImage &picture) {
    // Pictures of another size (before a resolution or zoom change) would only be decoded into anew.
    std::erase_if(spares_, [&](const QImage &spare) { return spare.size() != picture.size(); });
    // The oldest goes first: it is the likeliest to be let go of, but a still being saved may hold it.
    if (spares_.size() >= kSpares) spares_.erase(spares_.begin());
    spares_.push_back(picture);
}
