#include "device/JpegDecoder.h"

#include "base/Log.h"
#include "base/ThrottledLog.h"
#include "device/JpegStructure.h"

#include <QBuffer>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which uses FILE without including it

#include <jpeglib.h>

#if !defined(JCS_EXTENSIONS)
#error "libjpeg-turbo is needed: it writes 32-bit pixel layouts itself"
#endif

namespace {

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE kRgb32Layout = JCS_EXT_BGRX;  // 0xffRRGGBB as bytes in memory
#else
constexpr J_COLOR_SPACE kRgb32Layout = JCS_EXT_XRGB;
#endif

// Qt's reader refuses pictures beyond this many bytes of pixels; a few header bytes from the network must
// not make us allocate more.
constexpr qint64 kMaxPixelBytes = 128LL * 1024 * 1024;
// Below 50 Qt's reader decodes as Mode::Fast does.
constexpr int kQtFastQuality = 49;

struct ErrorManager {
    jpeg_error_mgr pub;  // first: libjpeg hands back a pointer to it
    std::jmp_buf jump;
};

// libjpeg reports progress once per row of blocks in every pass and scan: there the budget is checked.
struct BudgetWatch {
    jpeg_progress_mgr pub;  // first, as above
    std::chrono::steady_clock::time_point deadline;
    bool overBudget = false;
};

enum class Outcome { Decoded, NotTaken, OverBudget };

deskcam::ThrottledLog &abandonedLog() {
    static deskcam::ThrottledLog log;
    return log;
}

void logAbandoned(const char *why) {
    if (const auto count = abandonedLog().count())
        deskcam::logLine("Camera picture abandoned: %s (%llu in the last second)", why, count);
}

// libjpeg's fatal errors must not return into it; they jump back to where decoding began.
[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager *>(info->err)->jump, 1);
}

void checkBudget(j_common_ptr info) {
    auto *watch = reinterpret_cast<BudgetWatch *>(info->progress);
    if (std::chrono::steady_clock::now() < watch->deadline) return;
    watch->overBudget = true;
    info->err->error_exit(info);
}

// Warnings (a truncated stream, corrupt data) keep what decoded, as Qt's reader does; no stderr noise.
void stayQuiet(j_common_ptr) {}

// Metadata Qt's reader turns into picture properties (text, EXIF turn, colour profile): those pictures go
// to Qt, so a capture of them keeps what it would have kept.
bool hasMetadata(const jpeg_decompress_struct &info) {
    return info.marker_list != nullptr;
}

bool takes(const jpeg_decompress_struct &info) {
    const bool colour = info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB;
    const qint64 pixelBytes = qint64(info.image_width) * qint64(info.image_height) * 4;
    return colour && info.num_components == 3 && pixelBytes <= kMaxPixelBytes && !hasMetadata(info);
}

bool preparePicture(QImage &picture, QSize size) {
    if (picture.size() != size || picture.format() != QImage::Format_RGB32 || !picture.isDetached()) {
        picture = QImage(size, QImage::Format_RGB32);
    }
    return !picture.isNull();
}

// As Qt's reader sets it, so stills saved from the picture carry the camera's density.
void setDensity(const jpeg_decompress_struct &info, QImage &picture) {
    const double perMetre = info.density_unit == 1 ? 100.0 / 2.54 : info.density_unit == 2 ? 100.0 : 0;
    if (perMetre == 0 || info.X_density == 0 || info.Y_density == 0) return;
    picture.setDotsPerMeterX(int(perMetre * info.X_density));
    picture.setDotsPerMeterY(int(perMetre * info.Y_density));
}

void readRows(jpeg_decompress_struct &info, QImage &picture) {
    uchar *const first = picture.bits();
    const qsizetype stride = picture.bytesPerLine();
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = first + stride * qsizetype(info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
    }
}

class Decompressor {
  public:
    Decompressor() {
        info_.err = jpeg_std_error(&errors_.pub);
        errors_.pub.error_exit = jumpBack;
        errors_.pub.output_message = stayQuiet;
        jpeg_create_decompress(&info_);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info_); }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    // No object with a destructor may live in this frame: a libjpeg error leaves it by longjmp.
    Outcome decode(const std::uint8_t *data, std::size_t size, QImage &picture, JpegDecoder::Mode mode,
                   std::chrono::milliseconds budget, int scale, QSize *fullSize) {
        if (setjmp(errors_.jump)) return watch_.overBudget ? Outcome::OverBudget : Outcome::NotTaken;
        watch_.deadline = std::chrono::steady_clock::now() + budget;
        watch_.pub.progress_monitor = checkBudget;
        info_.progress = &watch_.pub;
        jpeg_mem_src(&info_, data, static_cast<unsigned long>(size));
        jpeg_save_markers(&info_, JPEG_COM, 0xFFFF);
        for (int app = 1; app < 16; ++app) jpeg_save_markers(&info_, JPEG_APP0 + app, 0xFFFF);
        if (jpeg_read_header(&info_, TRUE) != JPEG_HEADER_OK || !takes(info_)) return Outcome::NotTaken;
        info_.out_color_space = kRgb32Layout;
        if (mode == JpegDecoder::Mode::Fast) {
            info_.dct_method = JDCT_IFAST;
            info_.do_fancy_upsampling = FALSE;
        }
        info_.scale_num = 1;
        info_.scale_denom = static_cast<unsigned int>(scale);
        jpeg_start_decompress(&info_);
        if (!preparePicture(picture, QSize(int(info_.output_width), int(info_.output_height))))
            return Outcome::NotTaken;
        readRows(info_, picture);
        jpeg_finish_decompress(&info_);
        setDensity(info_, picture);
        if (fullSize != nullptr) *fullSize = QSize(int(info_.image_width), int(info_.image_height));
        return Outcome::Decoded;
    }

    // The header alone: no pixels are touched.
    QSize declaredSize(const std::uint8_t *data, std::size_t size) {
        if (setjmp(errors_.jump)) return {};
        jpeg_mem_src(&info_, data, static_cast<unsigned long>(size));
        if (jpeg_read_header(&info_, TRUE) != JPEG_HEADER_OK) return {};
        return QSize(int(info_.image_width), int(info_.image_height));
    }

  private:
    ErrorManager errors_{};
    BudgetWatch watch_{};
    jpeg_decompress_struct info_{};
};

Outcome decodeBounded(const std::uint8_t *data, std::size_t size, QImage &picture, JpegDecoder::Mode mode,
                      std::chrono::milliseconds budget, int scale, QSize *fullSize) {
    if (data == nullptr || size == 0) return Outcome::NotTaken;
    Decompressor decompressor;
    return decompressor.decode(data, size, picture, mode, budget, scale, fullSize);
}

// Anything else would be an unchecked divisor for libjpeg.
int validScale(int scale) {
    for (const int known : JpegDecoder::kScales)
        if (scale == known) return scale;
    return 1;
}

}  // namespace

QSize JpegDecoder::declaredSize(const std::uint8_t *data, std::size_t size) {
    if (data == nullptr || size == 0) return {};
    Decompressor decompressor;
    return decompressor.declaredSize(data, size);
}

int JpegDecoder::scaleFor(double shownScale) {
    int chosen = 1;
    for (const int scale : kScales)
        if (shownScale > 0 && shownScale * scale <= 1.0) chosen = scale;
    return chosen;
}

bool JpegDecoder::decodeInto(const std::uint8_t *data, std::size_t size, QImage &picture, Mode mode,
                             int scale, QSize *fullSize) {
    scale = validScale(scale);
    if (data != nullptr && JpegStructure::countScans(data, size, kMaxScans) > kMaxScans) {
        logAbandoned("more than 100 scans");
        return false;
    }
    switch (decodeBounded(data, size, picture, mode, kDecodeBudget, scale, fullSize)) {
        case Outcome::Decoded:
            return true;
        case Outcome::OverBudget:
            // Not handed to Qt's reader: it would spend the same time again.
            logAbandoned("decoding took longer than a second");
            return false;
        case Outcome::NotTaken:
            break;
    }
    return decodeWithQt(data, size, picture, mode, scale, fullSize);
}

bool JpegDecoder::decodeDirect(const std::uint8_t *data, std::size_t size, QImage &picture, Mode mode,
                               std::chrono::milliseconds budget, int scale) {
    return decodeBounded(data, size, picture, mode, budget, validScale(scale), nullptr) == Outcome::Decoded;
}

bool JpegDecoder::decodeWithQt(const std::uint8_t *data, std::size_t size, QImage &picture, Mode mode,
                               int scale, QSize *fullSize) {
    QBuffer source;
    source.setData(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    source.open(QIODevice::ReadOnly);
    // JPEG only, as the stream carries: other formats are no picture here. The PNG reader, for one, claims
    // whatever length a damaged chunk declares (gigabytes) on the GUI thread.
    QImageReader reader(&source, "JPG");
    if (mode == Mode::Fast) reader.setQuality(kQtFastQuality);
    scale = validScale(scale);
    const QSize full = reader.size();
    // Qt's reader scales through libjpeg's DCT scaling too when asked for a size it can reach so.
    if (scale > 1 && full.isValid())
        reader.setScaledSize(QSize(scaledSide(full.width(), scale), scaledSide(full.height(), scale)));
    if (!reader.read(&picture)) return false;
    if (fullSize != nullptr) *fullSize = full.isValid() ? full : picture.size();
    return true;
}
