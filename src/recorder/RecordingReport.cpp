#include "recorder/RecordingReport.h"

#include <algorithm>
#include <cstdio>

RecordingReport RecordingReport::of(const Facts &facts) {
    RecordingReport report;
    report.path = facts.path;
    report.seconds = facts.fps > 0 ? static_cast<double>(facts.framesInTrack) / facts.fps : 0;
    report.cameraSilences = spellsOf(facts.cameraSilences, facts.anchorMicros);
    report.microphoneSilences = spellsOf(facts.microphoneSilences, facts.anchorMicros);
    report.lateFrames = facts.lateFrames;
    report.pausedSeconds = static_cast<double>(facts.pausedMicros) / 1e6;
    if (facts.fileGoneAt) {
        report.outcome = Outcome::FileGone;
        report.fileGoneAt = *facts.fileGoneAt;
    } else if (!facts.completed) {
        report.outcome = Outcome::WriteFailed;
        report.diskFull = facts.diskFull;
        report.failure = facts.failure;
    } else {
        report.outcome = facts.hasFrames ? Outcome::Saved : Outcome::NothingRecorded;
    }
    return report;
}

RecordingReport RecordingReport::notStarted(const std::string &path, const std::string &failure) {
    RecordingReport report;
    report.outcome = Outcome::NotStarted;
    report.path = path;
    report.failure = failure;
    return report;
}

std::vector<RecordingReport::Spell> RecordingReport::spellsOf(const std::vector<SilenceWatch::Spell> &spells,
                                                              std::int64_t anchorMicros) {
    const auto secondsIn = [anchorMicros](std::int64_t micros) {
        return std::max(0.0, static_cast<double>(micros - anchorMicros) / 1e6);
    };
    std::vector<Spell> seconds;
    for (const SilenceWatch::Spell &spell : spells) {
        Spell converted{secondsIn(spell.startMicros), std::nullopt};
        if (spell.endMicros) converted.end = secondsIn(*spell.endMicros);
        seconds.push_back(converted);
    }
    return seconds;
}

std::string RecordingReport::timeText(double seconds) {
    const auto whole = static_cast<long>(std::max(0.0, seconds));
    const long hours = whole / 3600, minutes = whole / 60 % 60, rest = whole % 60;
    char text[32];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", hours, minutes, rest);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", minutes, rest);
    }
    return text;
}
