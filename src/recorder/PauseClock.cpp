#include "recorder/PauseClock.h"

#include <algorithm>
#include <limits>

bool PauseClock::pause(std::int64_t nowMicros) {
    if (paused()) return false;
    // A clock read on another thread may lag the last resume by a little: a pause never begins inside one.
    pausedSince_ = ended_.empty() ? nowMicros : std::max(nowMicros, ended_.back().end);
    return true;
}

bool PauseClock::resume(std::int64_t nowMicros) {
    if (!paused()) return false;
    const Pause pause{*pausedSince_, std::max(nowMicros, *pausedSince_)};
    pausedSince_.reset();
    if (pause.end > pause.start) {
        ended_.push_back(pause);
        endedMicros_ += pause.end - pause.start;
    }
    return true;
}

std::int64_t PauseClock::pausedMicros(std::int64_t nowMicros) const {
    return endedMicros_ + (pausedSince_ ? std::max<std::int64_t>(0, nowMicros - *pausedSince_) : 0);
}

std::optional<std::int64_t> PauseClock::fileMicros(std::int64_t captureMicros) const {
    if (pausedSince_ && captureMicros >= *pausedSince_) return std::nullopt;
    std::int64_t before = 0;
    for (const Pause &pause : ended_) {
        if (captureMicros < pause.start) break;
        if (captureMicros < pause.end) return std::nullopt;
        before += pause.end - pause.start;
    }
    return captureMicros - before;
}

std::vector<PauseClock::Piece> PauseClock::pieces(std::int64_t startMicros, std::int64_t endMicros) const {
    std::vector<Piece> pieces;
    std::int64_t from = startMicros, before = 0;
    const auto keep = [&](std::int64_t until) {
        if (until > from) pieces.push_back(Piece{from, until, from - before});
    };
    for (const Pause &pause : ended_) {
        if (pause.start >= endMicros) break;
        keep(std::min(pause.start, endMicros));
        from = std::max(from, pause.end);
        before += pause.end - pause.start;
    }
    keep(std::min(endMicros, pausedSince_.value_or(std::numeric_limits<std::int64_t>::max())));
    return pieces;
}
