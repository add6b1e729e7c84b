#include "recorder/VideoWriterInput.h"

#include "base/Log.h"
#include "recorder/MediaWriter.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include <algorithm>

namespace recorder {
namespace {

// Same size: full-resolution chroma input is the fastest exact path from 32-bit RGB (about half the time
// of plain bilinear at 1920x1080). Other sizes: bicubic, for legible text after a resolution change.
constexpr int kConvertFlags = SWS_BILINEAR | SWS_FULL_CHR_H_INP;
constexpr int kScaleFlags = SWS_BICUBIC;
// Converted frames waiting for the encoder. x264's first second at 1920x1080 takes about half a second
// longer than the frames' time (its threads filling up, the first frames' rate control): a dozen frames of
// 3 MB. Beyond the budget more would only add latency and memory.
constexpr std::size_t kPendingBytes = 64 * 1024 * 1024;
constexpr std::size_t kMinPendingFrames = 2;

std::size_t pendingFramesFor(const AVCodecContext &encoder) {
    const int bytes = av_image_get_buffer_size(encoder.pix_fmt, encoder.width, encoder.height, 1);
    return bytes <= 0 ? kMinPendingFrames : std::max(kMinPendingFrames, kPendingBytes / std::size_t(bytes));
}

CodecContextPtr openEncoder(const VideoSettings &settings, bool globalHeader) {
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        deskcam::logLine("Could not find the H.264 encoder libx264");
        return nullptr;
    }
    CodecContextPtr encoder(avcodec_alloc_context3(codec));
    if (!encoder) {
        deskcam::logLine("Could not allocate the H.264 encoder");
        return nullptr;
    }
    // 4:2:0 needs even sizes; an odd camera size loses its last row or column.
    encoder->width = settings.width & ~1;
    encoder->height = settings.height & ~1;
    encoder->time_base = AVRational{1, settings.frameRate};
    encoder->framerate = AVRational{settings.frameRate, 1};
    // A key frame every second starts a fragment every second: what a crash can lose.
    encoder->gop_size = settings.frameRate;
    encoder->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder->colorspace = AVCOL_SPC_BT709;
    encoder->color_primaries = AVCOL_PRI_BT709;
    encoder->color_trc = AVCOL_TRC_BT709;
    encoder->color_range = AVCOL_RANGE_MPEG;
    if (globalHeader) encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(encoder->priv_data, "preset", settings.preset.c_str(), 0);
    // Lookahead in the encoding threads rather than ahead of them: frames leave the encoder 6 frames after
    // they went in instead of 11, so less of a recording waits in memory when the program dies.
    av_opt_set(encoder->priv_data, "x264-params", "sync-lookahead=0", 0);

    const int error = avcodec_open2(encoder.get(), codec, nullptr);
    if (error < 0) {
        deskcam::logLine("Could not open video codec: %s", errorText(error).c_str());
        return nullptr;
    }
    return encoder;
}

}  // namespace

std::shared_ptr<VideoWriterInput> VideoWriterInput::create(const std::weak_ptr<MediaWriter> &writer,
                                                           AVFormatContext *output,
                                                           const VideoSettings &settings) {
    if (settings.width < 2 || settings.height < 2 || settings.frameRate < 1) {
        deskcam::logLine("Could not add a video track of %dx%d at %d fps", settings.width, settings.height,
                         settings.frameRate);
        return nullptr;
    }
    CodecContextPtr encoder = openEncoder(settings, output->oformat->flags & AVFMT_GLOBALHEADER);
    if (!encoder) return nullptr;
    AVStream *stream = avformat_new_stream(output, nullptr);
    if (!stream) {
        deskcam::logLine("Could not allocate the video stream");
        return nullptr;
    }
    stream->time_base = encoder->time_base;
    stream->avg_frame_rate = encoder->framerate;
    const int error = avcodec_parameters_from_context(stream->codecpar, encoder.get());
    if (error < 0) {
        deskcam::logLine("Could not copy the video stream parameters: %s", errorText(error).c_str());
        return nullptr;
    }
    return std::make_shared<VideoWriterInput>(writer, std::move(encoder), stream);
}

VideoWriterInput::VideoWriterInput(const std::weak_ptr<MediaWriter> &writer, CodecContextPtr encoder,
                                   AVStream *stream)
    : writer_(writer),
      encoder_(std::move(encoder)),
      stream_(stream),
      maxPending_(pendingFramesFor(*encoder_)),
      packet_(av_packet_alloc()) {
    thread_ = std::thread([this] { run(); });
}

VideoWriterInput::~VideoWriterInput() {
    markAsFinished();
    // The last owner may be the encoder thread itself, when a failing write dropped the writer.
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

bool VideoWriterInput::isReadyForMoreMediaData() const {
    const auto writer = writer_.lock();
    if (!writer || !writer->isWriting() || !writer->sessionStart(nullptr)) return false;
    std::lock_guard lock(mutex_);
    return !finished_ && pending_.size() < maxPending_;
}

bool VideoWriterInput::appendPixelBuffer(const QImage &picture, const CMTime &time) {
    const auto writer = writer_.lock();
    if (!writer || !isReadyForMoreMediaData() || picture.isNull()) return false;
    const std::int64_t pts = writer->timestampFor(time, encoder_->time_base);
    {
        std::lock_guard lock(mutex_);
        // Frames before the session, or not after the previous one, would break the track's time line.
        if (pts < 0 || pts <= lastPts_) return false;
        lastPts_ = pts;
    }
    FramePtr frame = convert(picture);
    if (!frame) return false;
    std::lock_guard lock(mutex_);
    if (finished_) return false;
    pending_.push_back(Pending{std::move(frame), pts});
    changed_.notify_all();
    return true;
}

bool VideoWriterInput::waitForRoom(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    // The encoder thread takes pictures off the queue even after a failure, so room comes.
    changed_.wait_for(lock, limit, [this] { return finished_ || pending_.size() < maxPending_; });
    return !finished_;
}

void VideoWriterInput::markAsFinished() {
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

void VideoWriterInput::waitUntilFinished() {
    markAsFinished();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return drained_; });
}

void VideoWriterInput::run() {
    bool healthy = packet_ != nullptr;
    for (;;) {
        Pending next;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return finished_ || !pending_.empty(); });
            if (pending_.empty()) break;
            next = std::move(pending_.front());
            pending_.pop_front();
            changed_.notify_all();
        }
        if (!healthy) continue;
        next.frame->pts = next.pts;
        healthy = encode(next.frame.get());
    }
    // A null frame flushes the frames the encoder still holds for its look-ahead.
    if (healthy) encode(nullptr);
    std::lock_guard lock(mutex_);
    drained_ = true;
    changed_.notify_all();
}

FramePtr VideoWriterInput::convert(const QImage &picture) {
    const auto writer = writer_.lock();
    if (!writer) return nullptr;
    // The encoder copies each frame in, so frames queued for the same picture (the camera is slower than
    // the recording) share one conversion.
    if (!converted_ || picture.cacheKey() != convertedKey_) {
        if (!prepareConverted(*writer)) return nullptr;
        const QImage source =
            picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                ? picture
                : picture.convertToFormat(QImage::Format_RGB32);
        // Pictures of another size than the track (a resolution change while recording) are scaled to it.
        const int sameSize = source.width() == encoder_->width && source.height() == encoder_->height;
        SwsContext *previous = scaler_.release();
        scaler_.reset(sws_getCachedContext(
            previous, source.width(), source.height(), AV_PIX_FMT_RGB32, encoder_->width, encoder_->height,
            encoder_->pix_fmt, sameSize ? kConvertFlags : kScaleFlags, nullptr, nullptr, nullptr));
        if (!scaler_) {
            writer->fail("Could not initialize the conversion context", AVERROR(EINVAL));
            return nullptr;
        }
        if (scaler_.get() != previous) {
            // Tagged BT.709 in the stream, so convert with its matrix into limited range.
            const int *bt709 = sws_getCoefficients(SWS_CS_ITU709);
            sws_setColorspaceDetails(scaler_.get(), bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
        }
        const uint8_t *sourcePlanes[1] = {source.constBits()};
        const int sourceStrides[1] = {static_cast<int>(source.bytesPerLine())};
        sws_scale(scaler_.get(), sourcePlanes, sourceStrides, 0, source.height(), converted_->data,
                  converted_->linesize);
        convertedKey_ = picture.cacheKey();
    }
    FramePtr frame(av_frame_alloc());
    const int error = frame ? av_frame_ref(frame.get(), converted_.get()) : AVERROR(ENOMEM);
    if (error < 0) {
        writer->fail("Could not queue a video frame", error);
        return nullptr;
    }
    return frame;
}

// Pixels of our own to convert into: the previous ones may still wait in the queue.
bool VideoWriterInput::prepareConverted(MediaWriter &writer) {
    if (converted_ && av_frame_is_writable(converted_.get())) return true;
    converted_.reset(av_frame_alloc());
    if (!converted_) {
        writer.fail("Could not allocate a video frame", AVERROR(ENOMEM));
        return false;
    }
    converted_->format = encoder_->pix_fmt;
    converted_->width = encoder_->width;
    converted_->height = encoder_->height;
    const int error = av_frame_get_buffer(converted_.get(), 0);
    if (error < 0) {
        converted_.reset();
        writer.fail("Could not allocate a video frame", error);
        return false;
    }
    return true;
}

bool VideoWriterInput::encode(AVFrame *frame) {
    const auto writer = writer_.lock();
    if (!writer) return false;
    int error = avcodec_send_frame(encoder_.get(), frame);
    if (error < 0) {
        writer->fail("Error sending a frame to the video encoder", error);
        return false;
    }
    for (;;) {
        error = avcodec_receive_packet(encoder_.get(), packet_.get());
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
        if (error < 0) {
            writer->fail("Error encoding a video frame", error);
            return false;
        }
        if (!writer->writePacket(packet_.get(), encoder_->time_base, stream_)) return false;
    }
}

}  // namespace recorder
