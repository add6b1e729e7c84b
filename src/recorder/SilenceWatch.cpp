#include "recorder/SilenceWatch.h"

void SilenceWatch::delivered(std::int64_t micros) {
    if (micros <= lastMicros_) return;
    if (silent_) spells_.back().endMicros = micros;
    silent_ = false;
    lastMicros_ = micros;
}

void SilenceWatch::check(std::int64_t nowMicros) {
    if (silent_ || nowMicros - lastMicros_ <= limitMicros_) return;
    silent_ = true;
    spells_.push_back(Spell{lastMicros_, std::nullopt});
}
