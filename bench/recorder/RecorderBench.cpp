// bench-recorder [SECONDS] [FOLDER] [--size WxH] [--picture card|page] [--video-size camera|1080p|720p]
//                [--viewer]: the recorder's cost against plain ffmpeg, in one run.
//
// 1. Writes the simulator's test card or page (1920x1080 unless --size) as JPEG files (FOLDER, or a
//    temporary folder): SECONDS x 25 of them, at most 150 distinct ones, which the recording and ffmpeg
//    then take in turn.
// 2. Records them with RVImagesToVideo for SECONDS, without a microphone, the pictures handed over as the
//    receiver would at 25 per second, into a track of the --video-size (1080p unless given); measures the
//    CPU time per frame written of the recorder's threads and counts the ticks that came late (after the
//    next frame's slot had begun, leaving a slot without a frame). With --viewer the live view's decoding
//    runs beside it, as in the viewer fitting the picture to a 1280x720 area; its threads are not counted.
// 3. Transcodes the same JPEG files with the ffmpeg program doing the same work: decoding, scaling to the
//    track's size and encoding with the same settings (libx264, the live preset, a key frame a second,
//    lookahead in the encoding threads, yuv420p, fast start); measures its CPU time per frame.
// Prints both and their ratio.
// 4. Unless --size is given, the end of a long recording: lays out a fragmented file of 10 minutes as the
// recorder writes it
//    while recording (the pictures of step 2 again and again, beside 128 kbit/s AAC sound), then times
//    a plain copy of it (read, write, flush to disk) and the rewrite that puts its index first
//    (FastStartRewriter, which also flushes and replaces the file), three times each, and prints the
//    medians and their ratio. Once at the test card's own bit rate, which is far below a camera's (its
//    picture is clean and still), and once with the pictures padded to 4 Mbit/s (filler units).

#include "PagePicture.h"
#include "TestCard.h"
#include "device/DecodedPictures.h"
#include "device/JpegDecoder.h"
#include "recorder/FastStartRewriter.h"
#include "recorder/MediaWriter.h"
#include "recorder/RVImagesToVideo.h"
#include "recorder/VideoSize.h"
#include "recorder/VideoWriterInput.h"
#include "viewer/PictureDecoder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr int kFps = 25;
constexpr int kJpegQuality = 85;  // the simulator's default
constexpr int kMaxDistinct = 150;
const QSize kViewArea(1280, 720);  // the default window's picture area

struct Settings {
    double seconds = 20;
    QString folder;
    QSize size{kWidth, kHeight};
    bool page = false;
    VideoSize::Choice videoSize = VideoSize::kDefault;
    bool viewer = false;
};

bool parseSettings(const QStringList &arguments, Settings &settings) {
    int positional = 0;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &name = arguments[i];
        const QString value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (name == QLatin1String("--viewer")) {
            settings.viewer = true;
        } else if (name == QLatin1String("--size") && value.contains(QLatin1Char('x'))) {
            settings.size = QSize(value.section(QLatin1Char('x'), 0, 0).toInt(),
                                  value.section(QLatin1Char('x'), 1, 1).toInt());
            ++i;
        } else if (name == QLatin1String("--picture") && (value == "card" || value == "page")) {
            settings.page = value == QLatin1String("page");
            ++i;
        } else if (name == QLatin1String("--video-size") && VideoSize::fromName(value.toStdString())) {
            settings.videoSize = *VideoSize::fromName(value.toStdString());
            ++i;
        } else if (!name.startsWith(QLatin1String("--")) && positional == 0) {
            settings.seconds = name.toDouble();
            ++positional;
        } else if (!name.startsWith(QLatin1String("--")) && positional == 1) {
            settings.folder = name;
            ++positional;
        } else {
            return false;
        }
    }
    return settings.seconds > 0 && !settings.size.isEmpty();
}

// CPU seconds of this process's living threads named name.
double threadsCpuSeconds(const char *name) {
    double seconds = 0;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/stat")));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        const qsizetype open = line.indexOf('('), close = line.lastIndexOf(')');
        if (open < 0 || close < 0 || line.mid(open + 1, close - open - 1) != name) continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 12) seconds += (fields[11].toDouble() + fields[12].toDouble()) / ticks;
    }
    return seconds;
}

double cpuSeconds(const rusage &usage) {
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
           usage.ru_stime.tv_usec / 1e6;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

std::vector<RVImagesToVideo::FrameBytes> writePictures(const QDir &folder, int count,
                                                       const Settings &settings) {
    std::unique_ptr<PictureSource> card;
    const PictureStyle style{settings.size.width(), settings.size.height(), kJpegQuality};
    if (settings.page)
        card = std::make_unique<PagePicture>(style);
    else
        card = std::make_unique<TestCard>(style);
    std::vector<RVImagesToVideo::FrameBytes> pictures;
    for (int i = 0; i < count; ++i) {
        const std::vector<std::uint8_t> bytes = card->picture(static_cast<std::uint64_t>(i));
        QFile file(folder.filePath(QString::asprintf("frame_%04d.jpg", i + 1)));
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(reinterpret_cast<const char *>(bytes.data()), static_cast<qint64>(bytes.size()));
        pictures.push_back(std::make_shared<const std::vector<std::uint8_t>>(bytes));
    }
    return pictures;
}

struct RecorderFigures {
    double cpuPerFrameMs = 0;
    RVImagesToVideo::Statistics statistics;
};

// The live view beside the recording: each new picture decoded as the viewer would for its picture area.
class ViewBeside {
  public:
    ViewBeside(const std::vector<RVImagesToVideo::FrameBytes> &pictures, QSize camera,
               std::chrono::steady_clock::time_point start)
        : decoder_([this](FramePump::Decoded) { ++shown_; }), thread_([=, &pictures, this] {
              const double fit = std::min(double(kViewArea.width()) / camera.width(),
                                          double(kViewArea.height()) / camera.height());
              std::uint64_t order = 0;
              while (!stopping_) {
                  const auto elapsed = std::chrono::steady_clock::now() - start;
                  const auto n =
                      static_cast<std::size_t>(std::chrono::duration<double>(elapsed).count() * kFps);
                  FramePump::Job job;
                  job.bytes = pictures[n % pictures.size()];
                  job.order = ++order;
                  job.scale = JpegDecoder::scaleFor(fit);
                  decoder_.submit(std::move(job));
                  std::this_thread::sleep_until(start + std::chrono::duration<double>(double(n + 1) / kFps));
              }
          }) {}
    ~ViewBeside() {
        stopping_ = true;
        thread_.join();
    }
    std::uint64_t shown() const { return shown_; }

  private:
    PictureDecoder decoder_;
    std::atomic<std::uint64_t> shown_{0};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

RecorderFigures recordPictures(const std::vector<RVImagesToVideo::FrameBytes> &pictures,
                               const std::string &path, const Settings &settings) {
    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(false);
    const auto start = std::chrono::steady_clock::now();
    // The picture the receiver would hold now, at 25 new pictures per second.
    recorder->setFrameSource([&pictures, start] {
        const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return pictures[static_cast<std::size_t>(elapsed * kFps) % pictures.size()];
    });
    std::optional<ViewBeside> view;
    if (settings.viewer) view.emplace(pictures, settings.size, start);
    std::promise<bool> finished;
    const QSize track = VideoSize::forCamera(settings.size, settings.videoSize);
    // The whole process (the encoder's threads end with the recording) without the view's decoders.
    const auto recorderCpu = [] { return processCpuSeconds() - threadsCpuSeconds("Thread-Decode"); };
    const double cpuBefore = recorderCpu();
    std::thread recording([&] {
        recorder->writeImageAsMovie({}, path, QSizeF(track), kFps, false,
                                    [&finished](bool ok) { finished.set_value(ok); });
    });
    std::this_thread::sleep_until(start + std::chrono::duration<double>(settings.seconds));
    recorder->doStop();
    recording.join();
    finished.get_future().wait();
    RecorderFigures figures;
    figures.statistics = recorder->statistics();
    figures.cpuPerFrameMs =
        (recorderCpu() - cpuBefore) * 1000 / std::max<std::uint64_t>(1, figures.statistics.framesAppended);
    if (view)
        std::printf("the view beside it showed %llu pictures; %llu decodes for both\n",
                    (unsigned long long)view->shown(),
                    (unsigned long long)DecodedPictures::shared().decodes());
    return figures;
}

// CPU time of the ffmpeg program (user + system, its threads included), or a negative number on failure.
// The files are taken in turn until frames pictures were transcoded, scaled to track.
// lowres: decoding at 1/2^lowres of the size, as the recorder's DCT scaling does.
double ffmpegCpuSeconds(const QDir &folder, const std::string &out, int distinct, int frames, QSize track,
                        int lowres) {
    const std::string input = folder.filePath("frame_%04d.jpg").toStdString();
    const std::string fps = std::to_string(kFps);
    const std::string loops = std::to_string((frames + distinct - 1) / distinct - 1);
    const std::string count = std::to_string(frames);
    const std::string scale = "scale=" + std::to_string(track.width()) + ":" + std::to_string(track.height());
    const std::string lowresText = std::to_string(lowres);
    const pid_t child = fork();
    if (child == 0) {
        execlp("ffmpeg", "ffmpeg", "-loglevel", "error", "-y", "-stream_loop", loops.c_str(), "-framerate",
               fps.c_str(), "-lowres", lowresText.c_str(), "-i", input.c_str(), "-frames:v", count.c_str(),
               "-vf", scale.c_str(), "-c:v", "libx264", "-preset", recorder::kLivePreset, "-g", fps.c_str(),
               "-x264-params", "sync-lookahead=0", "-pix_fmt", "yuv420p", "-movflags", "+faststart",
               out.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1;
    }
    return cpuSeconds(usage);
}

using recorder::CodecContextPtr;
using recorder::InputContextPtr;
using recorder::OutputContextPtr;
using recorder::PacketPtr;

constexpr double kLongRecordingSeconds = 600;
constexpr double kCameraBitRate = 4e6;  // bit/s: likelier than the test card for a camera's noisy 1920x1080
constexpr int kSoundRate = 44100;

// One second of 128 kbit/s stereo AAC: a tone with a little noise, so the encoder spends its bits.
std::vector<PacketPtr> oneSecondOfSound(AVCodecParameters *parameters) {
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    CodecContextPtr encoder(avcodec_alloc_context3(codec));
    encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder->sample_rate = kSoundRate;
    av_channel_layout_default(&encoder->ch_layout, 2);
    encoder->bit_rate = 128000;
    encoder->time_base = AVRational{1, kSoundRate};
    encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    std::vector<PacketPtr> packets;
    if (avcodec_open2(encoder.get(), codec, nullptr) < 0) return packets;
    avcodec_parameters_from_context(parameters, encoder.get());
    recorder::FramePtr frame(av_frame_alloc());
    frame->format = encoder->sample_fmt;
    frame->nb_samples = encoder->frame_size;
    av_channel_layout_copy(&frame->ch_layout, &encoder->ch_layout);
    av_frame_get_buffer(frame.get(), 0);
    for (std::int64_t first = 0; first < kSoundRate; first += encoder->frame_size) {
        for (int c = 0; c < 2; ++c) {
            auto *samples = reinterpret_cast<float *>(frame->data[c]);
            for (int i = 0; i < frame->nb_samples; ++i)
                samples[i] = 0.3f * std::sin(2 * M_PI * 440 * double(first + i) / kSoundRate) +
                             0.05f * (std::rand() / float(RAND_MAX) - 0.5f);
        }
        frame->pts = first;
        avcodec_send_frame(encoder.get(), frame.get());
        for (PacketPtr packet(av_packet_alloc()); avcodec_receive_packet(encoder.get(), packet.get()) == 0;
             packet.reset(av_packet_alloc())) {
            packets.push_back(std::move(packet));
        }
    }
    return packets;
}

// A copy of picture with a filler unit of padding bytes at its end (H.264 in MP4: 4-byte unit lengths).
PacketPtr padded(const AVPacket *picture, int padding) {
    PacketPtr packet(av_packet_alloc());
    if (padding < 6) {
        av_packet_ref(packet.get(), picture);
        return packet;
    }
    av_new_packet(packet.get(), picture->size + padding);
    av_packet_copy_props(packet.get(), picture);
    std::uint8_t *data = packet->data;
    std::memcpy(data, picture->data, static_cast<std::size_t>(picture->size));
    std::uint8_t *filler = data + picture->size;
    const int unit = padding - 4;
    filler[0] = static_cast<std::uint8_t>(unit >> 24);
    filler[1] = static_cast<std::uint8_t>(unit >> 16);
    filler[2] = static_cast<std::uint8_t>(unit >> 8);
    filler[3] = static_cast<std::uint8_t>(unit);
    filler[4] = 12;  // filler data
    std::memset(filler + 5, 0xFF, static_cast<std::size_t>(unit - 2));
    filler[padding - 1] = 0x80;
    return packet;
}

// Writes a fragmented file of kLongRecordingSeconds laid out as the recorder writes it: the video
// packets of sample again and again (padded to videoBitRate if that is higher), beside one second of
// sound again and again. The number of packets.
std::int64_t writeLongRecording(const std::string &sample, const std::string &path, double videoBitRate) {
    AVFormatContext *opened = nullptr;
    if (avformat_open_input(&opened, sample.c_str(), nullptr, nullptr) < 0) return 0;
    const InputContextPtr input(opened);
    avformat_find_stream_info(input.get(), nullptr);
    const int videoIndex = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (videoIndex < 0) return 0;
    const AVStream *video = input->streams[videoIndex];
    std::vector<PacketPtr> pictures;
    for (PacketPtr packet(av_packet_alloc()); av_read_frame(input.get(), packet.get()) >= 0;
         packet.reset(av_packet_alloc())) {
        if (packet->stream_index == videoIndex) pictures.push_back(std::move(packet));
    }
    if (pictures.empty()) return 0;
    // From the first frame to the end of the last (late ticks of the sample left some slots out).
    std::int64_t firstDts = INT64_MAX, lastDts = INT64_MIN;
    for (const PacketPtr &picture : pictures) {
        firstDts = std::min(firstDts, picture->dts);
        lastDts = std::max(lastDts, picture->dts);
    }
    const std::int64_t pictureSpan =
        lastDts - firstDts + av_rescale_q(1, AVRational{1, kFps}, video->time_base);
    const double spanSeconds = static_cast<double>(pictureSpan) * av_q2d(video->time_base);
    double pictureBytes = 0;
    for (const PacketPtr &picture : pictures) pictureBytes += picture->size;
    const int padding = static_cast<int>(std::max(
        0.0, (videoBitRate / 8 * spanSeconds - pictureBytes) / static_cast<double>(pictures.size())));
    for (PacketPtr &picture : pictures) picture = padded(picture.get(), padding);

    AVFormatContext *created = nullptr;
    avformat_alloc_output_context2(&created, nullptr, "mp4", path.c_str());
    const OutputContextPtr output(created);
    AVStream *videoOut = avformat_new_stream(output.get(), nullptr);
    avcodec_parameters_copy(videoOut->codecpar, video->codecpar);
    videoOut->codecpar->codec_tag = 0;
    videoOut->time_base = video->time_base;
    AVStream *soundOut = avformat_new_stream(output.get(), nullptr);
    const std::vector<PacketPtr> sound = oneSecondOfSound(soundOut->codecpar);
    soundOut->time_base = AVRational{1, kSoundRate};
    AVDictionary *options = nullptr;
    recorder::MediaWriter::addFragmentOptions(&options);
    if (sound.empty() || avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 ||
        avformat_write_header(output.get(), &options) < 0) {
        av_dict_free(&options);
        return 0;
    }
    av_dict_free(&options);

    std::int64_t packets = 0;
    const auto write = [&](const AVPacket *model, AVStream *stream, AVRational timeBase, std::int64_t shift) {
        PacketPtr packet(av_packet_clone(model));
        packet->pts += shift;
        packet->dts += shift;
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet.get(), timeBase, stream->time_base);
        ++packets;
        return av_interleaved_write_frame(output.get(), packet.get()) >= 0;
    };
    int second = 0;
    for (int round = 0; round * spanSeconds < kLongRecordingSeconds; ++round) {
        for (const PacketPtr &picture : pictures) {
            if (!write(picture.get(), videoOut, video->time_base, round * pictureSpan)) return 0;
        }
        for (; second < (round + 1) * spanSeconds; ++second) {
            for (const PacketPtr &block : sound) {
                if (!write(block.get(), soundOut, AVRational{1, kSoundRate},
                           second * std::int64_t{kSoundRate}))
                    return 0;
            }
        }
    }
    return av_write_trailer(output.get()) >= 0 ? packets : 0;
}

// A plain copy: read and write in large blocks, then flush to disk, as the rewrite does at its end.
bool copyFile(const std::string &from, const std::string &to) {
    const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    const int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    std::vector<char> block(1 << 20);
    bool ok = in >= 0 && out >= 0;
    for (ssize_t got = 0; ok && (got = read(in, block.data(), block.size())) > 0;)
        ok = write(out, block.data(), static_cast<std::size_t>(got)) == got;
    ok = ok && fdatasync(out) == 0;
    if (in >= 0) close(in);
    if (out >= 0) close(out);
    return ok;
}

struct Timing {
    double seconds = -1;  // wall clock; -1: the work failed
    double cpuSeconds = 0;
};

Timing timingOf(const std::function<bool()> &work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuBefore = processCpuSeconds();
    if (!work()) return {};
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            processCpuSeconds() - cpuBefore};
}

// The run with the median wall-clock time.
Timing median(std::vector<Timing> timings) {
    std::sort(timings.begin(), timings.end(),
              [](const Timing &a, const Timing &b) { return a.seconds < b.seconds; });
    return timings[timings.size() / 2];
}

// Copies and rewrites the long recording laid out at videoBitRate, three times each.
bool timeTheFinalRewrite(const QDir &folder, double videoBitRate) {
    const std::string pristine = folder.filePath("long-fragmented.mp4").toStdString();
    const std::string fragmented = folder.filePath("long.mp4").toStdString();
    const std::string copied = folder.filePath("copy.mp4").toStdString();
    const std::int64_t packets =
        writeLongRecording(folder.filePath("recorder.mp4").toStdString(), pristine, videoBitRate);
    if (packets == 0) {
        std::fprintf(stderr, "could not lay out the long recording\n");
        return false;
    }
    std::vector<Timing> copies, rewrites;
    std::string error;
    for (int round = 0; round < 3; ++round) {
        // Every round starts from the fragmented file just written, as the recorder leaves it, and from a
        // disk with nothing left to write, so neither timing pays for the other's writing.
        if (!copyFile(pristine, fragmented)) return false;
        sync();
        copies.push_back(timingOf([&] { return copyFile(fragmented, copied); }));
        sync();
        recorder::FastStartRewriter::Request request;
        request.path = fragmented;
        request.packets = packets;
        rewrites.push_back(timingOf([&] { return recorder::FastStartRewriter::rewrite(request, &error); }));
        QFile::remove(QString::fromStdString(copied));
    }
    const double megabytes = static_cast<double>(QFileInfo(QString::fromStdString(pristine)).size()) / 1e6;
    QFile::remove(QString::fromStdString(pristine));
    QFile::remove(QString::fromStdString(fragmented));
    const Timing copy = median(copies), rewrite = median(rewrites);
    if (copy.seconds < 0 || rewrite.seconds < 0) {
        std::fprintf(stderr, "copy or rewrite failed: %s\n", error.c_str());
        return false;
    }
    std::printf(
        "%4.0f MB (%.1f Mbit/s), %lld packets: copy %.2f s (CPU %.2f s), rewrite %.2f s (CPU %.2f s), "
        "ratio rewrite / copy %.2f\n",
        megabytes, megabytes * 8 / kLongRecordingSeconds, static_cast<long long>(packets), copy.seconds,
        copy.cpuSeconds, rewrite.seconds, rewrite.cpuSeconds, rewrite.seconds / copy.seconds);
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the test card draws text
    Settings settings;
    if (!parseSettings(QGuiApplication::arguments(), settings)) {
        std::fprintf(stderr,
                     "usage: bench-recorder [SECONDS] [FOLDER] [--size WxH] [--picture card|page] "
                     "[--video-size %s] [--viewer]\n",
                     VideoSize::names().c_str());
        return 2;
    }
    const double seconds = settings.seconds;
    QTemporaryDir temporary;
    const QDir folder(settings.folder.isEmpty() ? temporary.path() : settings.folder);
    folder.mkpath(".");
    const int count = static_cast<int>(seconds * kFps);
    const int distinct = std::min(count, kMaxDistinct);
    const QSize track = VideoSize::forCamera(settings.size, settings.videoSize);

    std::printf("writing %d %s pictures of %dx%d into %s\n", distinct, settings.page ? "page" : "test-card",
                settings.size.width(), settings.size.height(), qPrintable(folder.path()));
    const auto pictures = writePictures(folder, distinct, settings);
    if (pictures.empty()) return 1;

    std::printf("recording %.0f s at %dx%d with RVImagesToVideo (x264 preset %s)%s\n", seconds, track.width(),
                track.height(), recorder::kLivePreset, settings.viewer ? ", the live view beside it" : "");
    const RecorderFigures ours =
        recordPictures(pictures, folder.filePath("recorder.mp4").toStdString(), settings);
    const auto &statistics = ours.statistics;

    const int scale = JpegDecoder::scaleFor(std::max(double(track.width()) / settings.size.width(),
                                                     double(track.height()) / settings.size.height()));
    const int lowres = scale == 8 ? 3 : scale == 4 ? 2 : scale == 2 ? 1 : 0;
    std::printf("transcoding the same %d pictures with ffmpeg (decoding at 1/%d)\n", count, scale);
    const double ffmpegCpu =
        ffmpegCpuSeconds(folder, folder.filePath("ffmpeg.mp4").toStdString(), distinct, count, track, lowres);
    if (ffmpegCpu < 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    const double ffmpegPerFrameMs = ffmpegCpu * 1000 / count;

    std::printf("\nrecorder: %llu frames written, %llu ticks, %llu late (%.2f %%), %llu decodes\n",
                static_cast<unsigned long long>(statistics.framesAppended),
                static_cast<unsigned long long>(statistics.ticks),
                static_cast<unsigned long long>(statistics.lateTicks),
                100.0 * statistics.lateTicks / std::max<std::uint64_t>(1, statistics.ticks),
                static_cast<unsigned long long>(statistics.decodes));
    std::printf("recorder CPU per frame: %.1f ms\n", ours.cpuPerFrameMs);
    std::printf("ffmpeg   CPU per frame: %.1f ms\n", ffmpegPerFrameMs);
    std::printf("ratio recorder / ffmpeg: %.2f\n", ours.cpuPerFrameMs / ffmpegPerFrameMs);
    if (settings.size != QSize(kWidth, kHeight)) return 0;
    std::printf("\nfinishing a fragmented recording of %.0f minutes of 1920x1080 with sound (medians of 3)\n",
                kLongRecordingSeconds / 60);
    const bool timed = timeTheFinalRewrite(folder, 0) && timeTheFinalRewrite(folder, kCameraBitRate);
    return timed ? 0 : 1;
}
