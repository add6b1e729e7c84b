#pragma once

// The MP4 writer of one recording: an H.264 video input and, when a microphone delivers sound, an AAC audio
// input, muxed into one file whose index comes before the media data. Used the way a platform asset writer
// is: create, add inputs, start writing, start the session at a time, append from any thread, mark the
// inputs finished, finish the file asynchronously.
//
// While it is written the file is a fragmented MP4 (an empty index up front, then one self-contained
// fragment per key frame, each on disk as soon as it is complete), so a crash, a kill or a full disk
// leaves a file that plays up to its last complete fragment. Finishing turns it into a plain MP4
// (FastStartRewriter). After a write error the file is cut back to its last complete fragment.
//
// Thread use: inputs are added on the recording thread (video) or the audio queue (audio); the video input
// encodes on its own thread, the audio input on the thread that appends; finishing runs on the shared work
// queue. Every entry point is safe from any thread.

#include "recorder/CMTime.h"
#include "recorder/FFmpeg.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace recorder {

class VideoWriterInput;
class AudioWriterInput;
struct VideoSettings;
struct AudioSettings;

// The platform writer's status values, in its numbering ("completed" is 2).
enum class WriterStatus : long { Unknown = 0, Writing = 1, Completed = 2, Failed = 3, Cancelled = 4 };

class MediaWriter : public std::enable_shared_from_this<MediaWriter> {
  public:
    // Creates the file at path for an MP4 writer. Null, with the reason in error, when it cannot be created.
    static std::shared_ptr<MediaWriter> create(const std::string &path, std::string *error);
    // The muxer options of the fragmented file written while recording.
    static void addFragmentOptions(AVDictionary **options);
    ~MediaWriter();
    MediaWriter(const MediaWriter &) = delete;
    MediaWriter &operator=(const MediaWriter &) = delete;

    const std::string &path() const { return path_; }
    WriterStatus status() const { return status_.load(); }

    // Puts the index before the media data when the file is finished. Before startWriting.
    void setShouldOptimizeForNetworkUse(bool on);
    // The AVERROR code that failed the writer, 0 while it has not failed.
    int failureCode() const { return failureCode_.load(); }
    // The failure was the disk (or the file size limit) running out of room.
    bool failedForLackOfSpace() const;
    // Media data has reached the file (after a failure: whole fragments of it). Meaningful once finished.
    bool holdsMedia() const;
    // Any thread, while finishing: leaves the file fragmented rather than finishing the rewrite (a program
    // that must end now).
    void abandonRewrite() { abandonRewrite_ = true; }

    // New inputs; null when refused (writing has started, or the encoder cannot be opened).
    std::shared_ptr<VideoWriterInput> addVideoInput(const VideoSettings &settings);
    std::shared_ptr<AudioWriterInput> addAudioInput(const AudioSettings &settings);

    // Writes the file header; no input can be added afterwards.
    bool startWriting();
    // Media time 0 of the file; earlier samples are dropped.
    void startSessionAtSourceTime(const CMTime &time);
    // Marks every input finished, lets them drain, writes the index and closes the file on the shared work
    // queue, then calls completion there. status() is Completed or Failed by then.
    void finishWriting(std::function<void()> completion);

    // --- for the inputs
    // Session start, or nothing before startSessionAtSourceTime.
    bool sessionStart(CMTime *start) const;
    // time - session start in units of timeBase (rounded to the nearest unit).
    std::int64_t timestampFor(const CMTime &time, AVRational timeBase) const;
    // Writes one encoded packet of stream, interleaved with the other streams. Fails the writer on error.
    bool writePacket(AVPacket *packet, AVRational codecTimeBase, AVStream *stream);
    // Logs "<action>: <reason>" and fails the writer; later appends are refused.
    void fail(const std::string &action, int error);
    bool isWriting() const { return status() == WriterStatus::Writing; }

    explicit MediaWriter(std::string path);

  private:
    void finishNow();
    bool writeTrailer();
    bool flushToDisk();
    void cutBackToLastFragment();
    void rewritePlain(std::int64_t packets);

    const std::string path_;
    std::atomic<WriterStatus> status_{WriterStatus::Unknown};
    std::atomic<int> failureCode_{0};
    std::atomic<bool> abandonRewrite_{false};

    // --- guarded by mutex_: the muxer, its streams and the inputs feeding them
    mutable std::mutex mutex_;
    OutputContextPtr output_;
    bool optimizeForNetworkUse_ = false;
    bool headerWritten_ = false;
    bool sessionStarted_ = false;
    CMTime sessionStart_;
    // File size after the last successful write: the file ends with a complete fragment there.
    std::int64_t completeBytes_ = 0;
    std::int64_t headerBytes_ = 0;  // file size right after the header
    std::int64_t packetsWritten_ = 0;
    std::shared_ptr<VideoWriterInput> videoInput_;
    std::shared_ptr<AudioWriterInput> audioInput_;
};

}  // namespace recorder
