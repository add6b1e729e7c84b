#pragma once

// How a recording went, for the message at its end. Made from what the completion step found out about
// the finished file; making it touches nothing.

#include "recorder/SilenceWatch.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct RecordingReport {
    enum class Outcome {
        Pending,          // not finished yet
        Saved,            // the file exists and holds at least one frame
        NothingRecorded,  // stopped before a frame was written: no file is left
        WriteFailed,      // writing failed; the file keeps the complete fragments written before
        NotStarted,       // the file could not be created, or the recording could not be set up
        FileGone,         // the file was removed while recording (with its folder, say): all is lost
    };
    // A spell without anything new from a source, in seconds into the recording.
    struct Spell {
        double start = 0;
        std::optional<double> end;  // none: until the recording ended
    };

    // What the completion step knows about a recording that was set up.
    struct Facts {
        std::string path;
        std::int32_t fps = 0;
        std::int64_t framesInTrack = 0;  // slots up to and including the last appended frame
        bool completed = false;          // the writer finished the file
        bool hasFrames = false;          // the file on disk holds at least one frame
        bool diskFull = false;
        std::string failure;
        std::optional<double> fileGoneAt;  // seconds into the recording when its file was found gone
        std::int64_t anchorMicros = 0;     // capture clock of media time 0
        std::vector<SilenceWatch::Spell> cameraSilences;
        std::vector<SilenceWatch::Spell> microphoneSilences;
        std::uint64_t lateFrames = 0;   // slots left without a frame because the loop fell behind
        std::int64_t pausedMicros = 0;  // time the recording spent paused
    };

    Outcome outcome = Outcome::Pending;
    std::string path;
    double seconds = 0;                     // media time covered by the video
    bool diskFull = false;                  // the failure was a full disk or the file size limit
    std::string failure;                    // WriteFailed, NotStarted: the reason
    double fileGoneAt = 0;                  // FileGone: seconds into the recording it was found gone
    std::vector<Spell> cameraSilences;      // no new picture for more than 3 s
    std::vector<Spell> microphoneSilences;  // no sound for more than 2 s
    std::uint64_t lateFrames = 0;           // frames left out because encoding fell behind
    double pausedSeconds = 0;               // time spent paused, not in the file

    static RecordingReport of(const Facts &facts);
    static RecordingReport notStarted(const std::string &path, const std::string &failure);
    // Capture-clock spells as seconds after anchorMicros (never before it).
    static std::vector<Spell> spellsOf(const std::vector<SilenceWatch::Spell> &spells,
                                       std::int64_t anchorMicros);
    // A time into the recording as the user reads it: "0:07", "12:34", "1:02:03".
    static std::string timeText(double seconds);
};
