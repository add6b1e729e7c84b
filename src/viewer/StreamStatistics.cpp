#include "viewer/StreamStatistics.h"

#include <algorithm>
#include <vector>

void StreamStatistics::sampleReceiver(Micros now, std::uint64_t pictures, std::uint64_t bytes) {
    receiver_.push_back({now, pictures, bytes});
    forgetBefore(now);
}

void StreamStatistics::pictureShown(Micros now, Micros latency) {
    shown_.push_back({now, latency});
    forgetBefore(now);
}

void StreamStatistics::picturesDropped(Micros now, std::uint64_t count) {
    if (count == 0) return;
    dropped_.push_back({now, static_cast<Micros>(count)});
    droppedTotal_ += count;
    forgetBefore(now);
}

void StreamStatistics::forgetBefore(Micros now) {
    const Micros start = now - kWindow;
    // One receiver sample at or before the window's start stays, so rates span the whole second.
    while (receiver_.size() > 1 && receiver_[1].time <= start) receiver_.pop_front();
    // A sample from long before (the overlay was hidden meanwhile) would average over all that time.
    while (!receiver_.empty() && receiver_.front().time < start - kWindow) receiver_.pop_front();
    while (!shown_.empty() && shown_.front().time <= start) shown_.pop_front();
    while (!dropped_.empty() && dropped_.front().time <= start) dropped_.pop_front();
}

StreamStatistics::Figures StreamStatistics::figures(Micros now) const {
    const Micros start = now - kWindow;
    Figures figures;
    figures.droppedTotal = droppedTotal_;
    if (receiver_.size() > 1) {
        // From the oldest sample to now: a stream that stalls shows falling rates even before the next
        // sample comes in.
        const ReceiverSample &first = receiver_.front();
        const ReceiverSample &last = receiver_.back();
        const double seconds = double(std::max(now, last.time) - first.time) / 1e6;
        if (seconds > 0) {
            figures.receivedPerSecond = double(last.pictures - first.pictures) / seconds;
            figures.bitsPerSecond = double(last.bytes - first.bytes) * 8 / seconds;
        }
    }
    std::vector<Micros> latencies;
    for (const Event &event : shown_) {
        if (event.time > start) latencies.push_back(event.value);
    }
    figures.shownPerSecond = double(latencies.size()) * 1e6 / double(kWindow);
    if (!latencies.empty()) {
        const auto middle = latencies.begin() + static_cast<std::ptrdiff_t>(latencies.size() / 2);
        std::nth_element(latencies.begin(), middle, latencies.end());
        figures.latencyMs = double(*middle) / 1000;
    }
    for (const Event &event : dropped_) {
        if (event.time > start) figures.droppedLastSecond += static_cast<std::uint64_t>(event.value);
    }
    return figures;
}
