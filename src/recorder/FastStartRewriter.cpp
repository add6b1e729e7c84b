#include "recorder/FastStartRewriter.h"

#include "recorder/FFmpeg.h"

#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace recorder {
namespace {

// Per packet the index holds at most: its size (stsz 4), its duration and composition offset (stts and
// ctts, 8 each), a sync-sample entry (stss 4), its own chunk's offset and chunk run (co64 8, stsc 12).
constexpr std::int64_t kIndexBytesPerPacket = 44;
// Everything else in the index: headers, codec descriptions, edit lists.
constexpr std::int64_t kIndexFixedBytes = 16 * 1024;
// Left free on the disk after the new file, so finishing never takes the last bytes.
constexpr std::int64_t kSpareDiskBytes = 16 * 1024 * 1024;

// Closes a descriptor on every way out.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int get() const { return fd_; }

  private:
    const int fd_;
};

// The rename must not overtake the data: a power cut right after it would leave a file of holes.
bool syncToDisk(const std::string &path, std::string *error) {
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() >= 0 && fdatasync(file.get()) == 0) return true;
    *error = "Could not flush '" + path + "': " + std::strerror(errno);
    return false;
}

bool roomFor(const std::string &path, std::int64_t reserve, std::string *error) {
    std::error_code code;
    const auto size = std::filesystem::file_size(path, code);
    struct statvfs disk {};
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (code || statvfs(folder.empty() ? "." : folder.c_str(), &disk) != 0) return true;  // try anyway
    const auto available =
        static_cast<std::int64_t>(disk.f_bavail) * static_cast<std::int64_t>(disk.f_frsize);
    if (available >= static_cast<std::int64_t>(size) + reserve + kSpareDiskBytes) return true;
    *error = "Not enough free space beside '" + path + "' to put its index first";
    return false;
}

// Copies the packets of the fragmented file into the new one. Returns an AVERROR code, 0 on success.
int copyPackets(AVFormatContext *input, AVFormatContext *output, const std::atomic<bool> *cancel) {
    PacketPtr packet(av_packet_alloc());
    if (!packet) return AVERROR(ENOMEM);
    int result = 0;
    while ((result = av_read_frame(input, packet.get())) >= 0) {
        if (cancel && cancel->load()) {
            av_packet_unref(packet.get());
            return AVERROR_EXIT;
        }
        AVStream *from = input->streams[packet->stream_index];
        AVStream *to = output->streams[packet->stream_index];
        av_packet_rescale_ts(packet.get(), from->time_base, to->time_base);
        packet->pos = -1;
        // packet is blank afterwards: the muxer takes its contents.
        result = av_interleaved_write_frame(output, packet.get());
        if (result < 0) return result;
    }
    return result == AVERROR_EOF ? 0 : result;
}

OutputContextPtr openOutput(AVFormatContext *input, const std::string &path, int *result) {
    AVFormatContext *context = nullptr;
    *result = avformat_alloc_output_context2(&context, nullptr, "mp4", path.c_str());
    OutputContextPtr output(context);
    for (unsigned i = 0; *result >= 0 && i < input->nb_streams; ++i) {
        const AVStream *from = input->streams[i];
        AVStream *to = avformat_new_stream(output.get(), nullptr);
        if (!to) {
            *result = AVERROR(ENOMEM);
            break;
        }
        *result = avcodec_parameters_copy(to->codecpar, from->codecpar);
        to->codecpar->codec_tag = 0;
        to->time_base = from->time_base;
        to->avg_frame_rate = from->avg_frame_rate;
        av_dict_copy(&to->metadata, from->metadata, 0);
    }
    if (*result >= 0) *result = avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE);
    return output;
}

int remux(const FastStartRewriter::Request &request, const std::string &partial) {
    AVFormatContext *opened = avformat_alloc_context();
    if (!opened) return AVERROR(ENOMEM);
    // The fragments are read as the packets come, not all at the opening: a tenth of a second less for
    // ten minutes, the same packets. (avformat_open_input frees the context when it fails.)
    opened->flags |= AVFMT_FLAG_IGNIDX;
    int result = avformat_open_input(&opened, request.path.c_str(), nullptr, nullptr);
    const InputContextPtr input(opened);
    if (result >= 0) result = avformat_find_stream_info(input.get(), nullptr);
    if (result < 0) return result;

    OutputContextPtr output = openOutput(input.get(), partial, &result);
    if (result < 0) return result;
    AVDictionary *options = nullptr;
    if (request.indexFirst) {
        const std::int64_t reserve = FastStartRewriter::indexSpaceFor(request.packets);
        av_dict_set_int(&options, "moov_size", std::min<std::int64_t>(reserve, INT32_MAX), 0);
    }
    result = avformat_write_header(output.get(), &options);
    av_dict_free(&options);
    if (result >= 0) result = copyPackets(input.get(), output.get(), request.cancel);
    if (result >= 0) result = av_write_trailer(output.get());
    if (result >= 0 && output->pb->error < 0) result = output->pb->error;
    if (result >= 0) result = avio_closep(&output->pb);
    return result;
}

}  // namespace

std::int64_t FastStartRewriter::indexSpaceFor(std::int64_t packets) {
    return kIndexFixedBytes + kIndexBytesPerPacket * std::max<std::int64_t>(0, packets);
}

std::string FastStartRewriter::partialPathFor(const std::string &path) {
    const std::filesystem::path file(path);
    // Appended piece by piece: g++ 12 misreads "." + temporary as overlapping copies (-Wrestrict at -O3).
    std::string hidden = ".";
    hidden += file.filename().string();
    hidden += ".part";
    return (file.parent_path() / hidden).string();
}

bool FastStartRewriter::rewrite(const Request &request, std::string *error) {
    std::string reason;
    const std::string partial = partialPathFor(request.path);
    bool done = roomFor(request.path, request.indexFirst ? indexSpaceFor(request.packets) : 0, &reason);
    if (done) {
        const int result = remux(request, partial);
        done = result >= 0;
        if (!done) reason = "Could not rewrite '" + request.path + "': " + errorText(result);
    }
    done = done && syncToDisk(partial, &reason);
    if (done && std::rename(partial.c_str(), request.path.c_str()) != 0) {
        reason = "Could not replace '" + request.path + "': " + std::strerror(errno);
        done = false;
    }
    if (!done) {
        std::remove(partial.c_str());
        if (error) *error = reason;
    }
    return done;
}

}  // namespace recorder
