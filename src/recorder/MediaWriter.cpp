#include "recorder/MediaWriter.h"

#include "base/Log.h"
#include "dispatch/WorkQueue.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/FastStartRewriter.h"
#include "recorder/VideoWriterInput.h"

#include <unistd.h>

namespace recorder {
namespace {

constexpr std::int64_t kMaxFragmentMicroseconds = 500'000;

}  // namespace

std::shared_ptr<MediaWriter> MediaWriter::create(const std::string &path, std::string *error) {
    // The encoders' statistics would fill the process log at every recording; errors are logged by us.
    av_log_set_level(AV_LOG_ERROR);
    auto writer = std::make_shared<MediaWriter>(path);
    AVFormatContext *output = nullptr;
    int result = avformat_alloc_output_context2(&output, nullptr, "mp4", path.c_str());
    writer->output_.reset(output);
    if (result >= 0) result = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) {
        if (error) *error = "Could not open '" + path + "': " + errorText(result);
        return nullptr;
    }
    return writer;
}

MediaWriter::MediaWriter(std::string path) : path_(std::move(path)) {}

MediaWriter::~MediaWriter() {
    // Inputs first: the video input's thread may still be writing into the muxer.
    videoInput_.reset();
    audioInput_.reset();
}

void MediaWriter::setShouldOptimizeForNetworkUse(bool on) {
    std::lock_guard lock(mutex_);
    optimizeForNetworkUse_ = on;
}

std::shared_ptr<VideoWriterInput> MediaWriter::addVideoInput(const VideoSettings &settings) {
    std::lock_guard lock(mutex_);
    if (headerWritten_ || videoInput_ || status() != WriterStatus::Unknown) return nullptr;
    videoInput_ = VideoWriterInput::create(weak_from_this(), output_.get(), settings);
    return videoInput_;
}

std::shared_ptr<AudioWriterInput> MediaWriter::addAudioInput(const AudioSettings &settings) {
    std::lock_guard lock(mutex_);
    // A track cannot join a file whose header is already written.
    if (headerWritten_ || audioInput_ || status() != WriterStatus::Unknown) return nullptr;
    audioInput_ = AudioWriterInput::create(weak_from_this(), output_.get(), settings);
    return audioInput_;
}

bool MediaWriter::startWriting() {
    std::lock_guard lock(mutex_);
    if (headerWritten_ || status() != WriterStatus::Unknown) return false;
    headerWritten_ = true;
    if (!videoInput_ && !audioInput_) {
        fail("Could not start writing", AVERROR(EINVAL));
        return false;
    }
    AVDictionary *options = nullptr;
    addFragmentOptions(&options);
    const int error = avformat_write_header(output_.get(), &options);
    av_dict_free(&options);
    if (error < 0) {
        fail("Error occurred when writing the file header", error);
        return false;
    }
    if (!flushToDisk()) return false;
    headerBytes_ = completeBytes_;
    status_.store(WriterStatus::Writing);
    return true;
}

void MediaWriter::addFragmentOptions(AVDictionary **options) {
    // An index without samples, then self-contained fragments: one at every key frame and at least every
    // half second, which bounds what a crash can lose. The index waits for the first fragment, which gives
    // it the edit list that lets the first frame start at time 0 despite the encoder's reordering delay.
    av_dict_set(options, "movflags", "+frag_keyframe+empty_moov+delay_moov", 0);
    av_dict_set_int(options, "frag_duration", kMaxFragmentMicroseconds, 0);
}

bool MediaWriter::flushToDisk() {
    // The muxer hands over a fragment whole, so after a flush the file ends with a complete one.
    avio_flush(output_->pb);
    if (output_->pb->error < 0) {
        fail("Error occurred when writing the file", output_->pb->error);
        return false;
    }
    completeBytes_ = avio_tell(output_->pb);
    return true;
}

bool MediaWriter::holdsMedia() const {
    std::lock_guard lock(mutex_);
    return completeBytes_ > headerBytes_;
}

bool MediaWriter::failedForLackOfSpace() const {
    const int code = failureCode();
    return code == AVERROR(ENOSPC) || code == AVERROR(EFBIG) || code == AVERROR(EDQUOT);
}

void MediaWriter::startSessionAtSourceTime(const CMTime &time) {
    std::lock_guard lock(mutex_);
    if (sessionStarted_) return;
    sessionStart_ = time;
    sessionStarted_ = true;
}

bool MediaWriter::sessionStart(CMTime *start) const {
    std::lock_guard lock(mutex_);
    if (start) *start = sessionStart_;
    return sessionStarted_;
}

std::int64_t MediaWriter::timestampFor(const CMTime &time, AVRational timeBase) const {
    CMTime start;
    sessionStart(&start);
    const CMTime relative = CMTimeSubtract(time, start);
    if (relative.timescale <= 0) return 0;
    return av_rescale_q_rnd(relative.value, AVRational{1, relative.timescale}, timeBase,
                            static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
}

bool MediaWriter::writePacket(AVPacket *packet, AVRational codecTimeBase, AVStream *stream) {
    std::lock_guard lock(mutex_);
    if (status() != WriterStatus::Writing) {
        av_packet_unref(packet);
        return false;
    }
    av_packet_rescale_ts(packet, codecTimeBase, stream->time_base);
    packet->stream_index = stream->index;
    // packet is blank afterwards: the muxer takes ownership of its contents and resets it.
    const int error = av_interleaved_write_frame(output_.get(), packet);
    if (error < 0) {
        fail("Error while writing an output packet", error);
        return false;
    }
    ++packetsWritten_;
    return flushToDisk();
}

void MediaWriter::fail(const std::string &action, int error) {
    deskcam::logLine("%s: %s", action.c_str(), errorText(error).c_str());
    int none = 0;
    failureCode_.compare_exchange_strong(none, error);
    status_.store(WriterStatus::Failed);
}

void MediaWriter::finishWriting(std::function<void()> completion) {
    auto self = shared_from_this();
    dispatch::WorkQueue::shared()->async([self, completion = std::move(completion)] {
        self->finishNow();
        if (completion) completion();
    });
}

void MediaWriter::finishNow() {
    std::shared_ptr<VideoWriterInput> video;
    std::shared_ptr<AudioWriterInput> audio;
    {
        std::lock_guard lock(mutex_);
        video = videoInput_;
        audio = audioInput_;
    }
    // The inputs write into the muxer under mutex_, so they drain without it held.
    if (video) video->waitUntilFinished();
    if (audio) audio->markAsFinished();

    std::int64_t packets = 0;
    {
        std::lock_guard lock(mutex_);
        packets = packetsWritten_;
        const bool complete = status() == WriterStatus::Writing && writeTrailer();
        // Closes the file; the output context stays for the streams the inputs still point at.
        avio_closep(&output_->pb);
        if (!complete) {
            status_.store(WriterStatus::Failed);
            cutBackToLastFragment();
            return;
        }
    }
    rewritePlain(packets);
    status_.store(WriterStatus::Completed);
}

void MediaWriter::cutBackToLastFragment() {
    // What a failed write left after the last complete fragment is a torn one; players stumble on it.
    if (completeBytes_ > 0 && truncate(path_.c_str(), completeBytes_) != 0) {
        deskcam::logLine("Could not cut '%s' back to its last complete fragment", path_.c_str());
    }
}

void MediaWriter::rewritePlain(std::int64_t packets) {
    FastStartRewriter::Request request;
    request.path = path_;
    request.indexFirst = optimizeForNetworkUse_;
    request.packets = packets;
    request.cancel = &abandonRewrite_;
    std::string error;
    // The fragmented file is complete and playable as it is; a failed rewrite only costs its layout.
    if (!FastStartRewriter::rewrite(request, &error)) {
        deskcam::logLine("%s; the file stays fragmented", error.c_str());
    }
}

bool MediaWriter::writeTrailer() {
    const int error = av_write_trailer(output_.get());
    if (error < 0) {
        fail("Error occurred when finishing the file", error);
        return false;
    }
    if (output_->pb->error < 0) {
        fail("Error occurred when writing the file", output_->pb->error);
        return false;
    }
    return true;
}

}  // namespace recorder
