#include "device/ImageRecvTCPSocket.h"

#include "base/Log.h"
#include "device/FrameUnit.h"
#include "dispatch/MainQueue.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QSaveFile>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

constexpr char kStartMarker[] = "BoundaryS";
constexpr char kEndMarker[] = "BoundaryE";
constexpr long kTagStartMarker = 10;
constexpr long kTagFrameUnit = 11;
constexpr double kConnectTimeoutSeconds = 3.0;
constexpr double kNoReadTimeout = -1;
constexpr auto kReconnectWait = std::chrono::seconds(1);

// The largest legal unit: header, the largest picture (the length's top byte is always 0) and the end
// marker, plus slack for bytes between picture and marker. A stream that never sends the marker is cut off
// here instead of growing memory without bound.
constexpr std::uint64_t kMaxUnitLength = 32 + 0xFFFFFF + 9 + 4096;

std::int64_t microseconds(const timeval &time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000 + time.tv_usec;
}

std::int64_t wholeSeconds(std::int64_t microseconds) {
    return microseconds >= 0 ? microseconds / 1'000'000 : -((-microseconds + 999'999) / 1'000'000);
}

QString expandTilde(const std::string &path) {
    const QString text = QString::fromStdString(path);
    if (text == "~") return QDir::homePath();
    if (text.startsWith("~/")) return QDir::homePath() + text.mid(1);
    return text;
}

}  // namespace

ImageRecvTCPSocket &ImageRecvTCPSocket::sharedInstance() {
    // Made once, on first use (thread-safe), and never destroyed: it lives as long as the process.
    static ImageRecvTCPSocket &instance = *new ImageRecvTCPSocket;
    return instance;
}

ImageRecvTCPSocket::ImageRecvTCPSocket()
    : m_AsyncTcpSocket_(AsyncTcpSocket::create(this, dispatch::mainQueue())),
      imageData_(std::make_shared<const std::vector<std::uint8_t>>()) {
    inited_ = true;
}

ImageRecvTCPSocket::~ImageRecvTCPSocket() {
    // After this returns no callback reaches this object; then the socket closes quietly.
    m_AsyncTcpSocket_->setDelegate(nullptr);
}

std::string ImageRecvTCPSocket::server_ip() const {
    std::lock_guard lock(serverMutex_);
    return server_ip_;
}

// ---------------------------------------------------------------------------------------------------------
// Connection and supervision (the supervisor's thread)

bool ImageRecvTCPSocket::initServer(const std::string &host, std::uint16_t port) {
    {
        std::lock_guard lock(serverMutex_);
        server_ip_ = host;
    }
    server_port_ = port;
    TransportError error;
    if (!m_AsyncTcpSocket_->connectToHost(host, port, kConnectTimeoutSeconds, &error)) {
        deskcam::logLine("ImageRecvTCPSocket 连接错误：%s!", error.description.c_str());
        std::lock_guard lock(serverMutex_);
        lastDisconnect_ = error.description;
        return false;
    }
    readUpTo(kStartMarker, kTagStartMarker);
    return true;
}

bool ImageRecvTCPSocket::func_reconnect_server(const ReconnectWait &wait) {
    // Without a delegate the disconnect made here is not reported (and not logged).
    m_AsyncTcpSocket_->setDelegate(nullptr);
    m_AsyncTcpSocket_->disconnect();
    m_AsyncTcpSocket_->setDelegate(this);
    initServer(server_ip(), server_port());
    // Frames are handled on the main event queue meanwhile; this must never run there.
    if (wait) {
        wait(kReconnectWait);
    } else {
        std::this_thread::sleep_for(kReconnectWait);
    }
    return bConnected();
}

bool ImageRecvTCPSocket::isTimeOut() {
    current_time_ = wallClockNow();
    // Whole seconds only, as an unsigned difference: a clock that went back past the last frame times out.
    const auto elapsed =
        static_cast<std::uint64_t>(current_time_.tv_sec - wholeSeconds(last_time_us_.load()));
    timeuse_ = elapsed;
    if (elapsed > receive_data_interval_time_second_) {
        bConnected_ = false;
        return true;
    }
    return false;
}

timeval ImageRecvTCPSocket::wallClockNow() const {
    timeval now{};
    gettimeofday(&now, nullptr);
    return now;
}

// ---------------------------------------------------------------------------------------------------------
// Framing and frame decoding (main event queue)

void ImageRecvTCPSocket::socketDidConnectToHost(AsyncTcpSocket *, const std::string &host,
                                                std::uint16_t port) {
    deskcam::logLine("ImageRecvTCPSocket (%s:%d) 连接成功!", host.c_str(), port);
}

void ImageRecvTCPSocket::socketDidDisconnect(AsyncTcpSocket *, const std::optional<TransportError> &error) {
    deskcam::logLine("ImageRecvTCPSocket 连接断开：%s!", describe(error).c_str());
    std::lock_guard lock(serverMutex_);
    lastDisconnect_ = describe(error);
}

std::string ImageRecvTCPSocket::lastDisconnect() const {
    std::lock_guard lock(serverMutex_);
    return lastDisconnect_;
}

void ImageRecvTCPSocket::detachFromCamera() {
    m_AsyncTcpSocket_->setDelegate(nullptr);
    m_AsyncTcpSocket_->disconnect();
    m_AsyncTcpSocket_->setDelegate(this);
    bConnected_ = false;
    imageData_ = ImageBytes();
    std::lock_guard lock(mutex_);
    list_image_data_.clear();
}

void ImageRecvTCPSocket::socketDidReadData(AsyncTcpSocket *, const std::vector<std::uint8_t> &data,
                                           long tag) {
    if (tag == kTagStartMarker) {
        // Everything up to the start marker is skipped.
        readUpTo(kEndMarker, kTagFrameUnit);
    } else if (tag == kTagFrameUnit) {
        // Taken before decoding: a unit the decoder rejects still shows that the camera is alive.
        receive_data_time_ = wallClockNow();
        last_time_us_ = microseconds(receive_data_time_);
        processPackBody(data);
        readUpTo(kStartMarker, kTagStartMarker);
    }
}

void ImageRecvTCPSocket::readUpTo(const char *marker, long tag) {
    std::vector<std::uint8_t> terminator(marker, marker + std::strlen(marker));
    m_AsyncTcpSocket_->readDataToData(std::move(terminator), kNoReadTimeout, kMaxUnitLength, tag);
}

bool ImageRecvTCPSocket::processPackBody(const std::vector<std::uint8_t> &unit) {
    const FrameUnit frame = FrameUnit::decode(unit);
    switch (frame.status) {
        case FrameUnit::Status::TooShort:
            return false;
        case FrameUnit::Status::BadLength:
            deskcam::stdoutLine("Error: func_trans_recv()图像数据长度异常！\r\n");
            return true;
        case FrameUnit::Status::Truncated:
            deskcam::logLine(
                "ImageRecvTCPSocket: frame declares %lu picture bytes but carries fewer; dropped",
                static_cast<unsigned long>(frame.length));
            return true;
        case FrameUnit::Status::Picture:
            break;
    }

    const std::size_t n = frame.picture.size();
    deskcam::logLine("本帧数据长度:%lu 缓存队列:%ld\r\n", static_cast<unsigned long>(n),
                     static_cast<long>(queueCount()));
    // The queue entry: n restored bytes and a terminating zero. Every byte is written below, so the block
    // is not cleared first (that would be a third pass over each picture).
    auto buffer = std::make_shared_for_overwrite<std::uint8_t[]>(n + 1);
    std::memcpy(buffer.get(), frame.picture.data(), n);
    buffer[n] = 0;
    FrameUnit::restore({buffer.get(), n});

    latestArrivalMicros_ = clockMicros();
    pictureBytesReceived_ += n;
    ++picturesReceived_;
    // The latest frame is replaced before the entry is queued, so whoever sees the entry finds its picture.
    imageData_ = std::make_shared<const std::vector<std::uint8_t>>(buffer.get(), buffer.get() + n);
    {
        std::lock_guard lock(mutex_);
        if (n != 0) list_image_data_.push_back({buffer, n});
        // One removal at most per frame keeps the queue at 3 when nobody drains it.
        if (list_image_data_.size() >= 4) list_image_data_.pop_front();
    }
    bConnected_ = true;
    std::function<void()> arrived;
    {
        std::lock_guard lock(serverMutex_);
        arrived = pictureArrived_;
    }
    if (arrived) arrived();
    return true;
}

// ---------------------------------------------------------------------------------------------------------
// Frames (any thread)

void ImageRecvTCPSocket::setPictureArrived(std::function<void()> arrived) {
    std::lock_guard lock(serverMutex_);
    pictureArrived_ = std::move(arrived);
}

ImageBytes ImageRecvTCPSocket::getFirstImageData() const {
    return imageData_.load();
}

std::list<STRUCT_RECVDATA> ImageRecvTCPSocket::list_image_data() const {
    std::lock_guard lock(mutex_);
    return list_image_data_;
}

void ImageRecvTCPSocket::func_remove_image_list_first() {
    std::lock_guard lock(mutex_);
    if (!list_image_data_.empty()) list_image_data_.pop_front();
}

std::optional<STRUCT_RECVDATA> ImageRecvTCPSocket::takeOldestFrame() {
    std::lock_guard lock(mutex_);
    if (list_image_data_.empty()) return std::nullopt;
    STRUCT_RECVDATA oldest = std::move(list_image_data_.front());
    list_image_data_.pop_front();
    return oldest;
}

std::size_t ImageRecvTCPSocket::queueCount() const {
    std::lock_guard lock(mutex_);
    return list_image_data_.size();
}

// ---------------------------------------------------------------------------------------------------------
// Saving

bool ImageRecvTCPSocket::saveImage(const QImage &image, const std::string &path) {
    // Drawn at one pixel per image pixel into a bitmap of the image's own size. Camera pictures have no
    // alpha: an opaque bitmap keeps the PNG at three channels, which encodes about a quarter faster.
    QByteArray png;
    if (!image.isNull()) {
        QImage bitmap(image.size(), image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        bitmap.fill(Qt::transparent);
        {
            QPainter painter(&bitmap);
            painter.drawImage(QPoint(0, 0), image);
        }
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!bitmap.save(&buffer, "PNG")) png.clear();
    }
    const bool encoded = !png.isEmpty();

    // QSaveFile writes a temporary file and renames it over the target, so a reader never sees half a PNG.
    QSaveFile file(expandTilde(path));
    const bool saved =
        encoded && file.open(QIODevice::WriteOnly) && file.write(png) == png.size() && file.commit();
    deskcam::logLine("Saved Image: %d", saved ? 1 : 0);
    return saved;
}

std::int64_t ImageRecvTCPSocket::clockMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
