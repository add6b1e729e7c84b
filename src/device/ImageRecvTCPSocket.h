#pragma once

// The one process-wide receiver of the camera's picture stream. It cuts the stream into frames between
// "BoundaryS" and "BoundaryE", restores each picture's complemented middle byte, keeps the newest picture
// (the latest frame) and a frame queue of at most 3 entries, and tells its supervisor whether pictures still
// arrive. Socket callbacks and framing run on the main event queue; decoding is the frame pump's.
//
// Thread use: the supervisor's thread (StreamSupervisor) calls initServer, isTimeOut, func_reconnect_server,
// bConnected and list_image_data; the frame pump calls list_image_data, getFirstImageData and
// func_remove_image_list_first on the main event queue; the video writer calls getFirstImageData from its own
// thread.

#include "device/STRUCT_RECVDATA.h"
#include "net/AsyncTcpSocket.h"

#include <sys/time.h>
#include <QImage>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

// The encoded bytes of one picture. Shared and immutable, so a reader keeps a complete picture even while
// the receiver replaces its latest frame.
using ImageBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

class ImageRecvTCPSocket : public AsyncTcpSocketDelegate {
  public:
    static ImageRecvTCPSocket &sharedInstance();

    // Tests and tools may make their own receivers; the viewer uses only sharedInstance().
    ImageRecvTCPSocket();
    ~ImageRecvTCPSocket() override;

    bool initServer(const std::string &host, std::uint16_t port);
    // Tears the connection down, starts a new one and blocks its caller for about a second while frames
    // arrive on the main event queue; true when one has arrived. wait, when given, does the waiting
    // instead of a plain sleep, so a supervisor that is shutting down can cut it short.
    using ReconnectWait = std::function<void(std::chrono::microseconds)>;
    bool func_reconnect_server(const ReconnectWait &wait = {});
    bool isTimeOut();

    bool bConnected() const { return bConnected_.load(); }
    void setBConnected(bool connected) { bConnected_.store(connected); }
    bool inited() const { return inited_.load(); }
    std::string server_ip() const;
    std::uint16_t server_port() const { return server_port_.load(); }

    // The latest frame: the newest picture bytes after the transformation (empty before the first frame).
    ImageBytes getFirstImageData() const;
    ImageBytes imageData() const { return getFirstImageData(); }

    // Running totals for the viewer's status figures: pictures and picture bytes accepted so far, and when
    // the newest picture's last byte came in (steady clock, microseconds). Read together with the latest
    // frame on the socket's callback queue, they describe that frame.
    std::uint64_t picturesReceived() const { return picturesReceived_.load(); }
    std::uint64_t pictureBytesReceived() const { return pictureBytesReceived_.load(); }
    std::int64_t latestArrivalMicros() const { return latestArrivalMicros_.load(); }
    // The clock of those arrival times: the steady clock in microseconds.
    static std::int64_t clockMicros();

    // Ends the connection without a report and forgets the camera's pictures, before the supervisor of
    // another camera takes the receiver over. Only while no supervisor runs.
    void detachFromCamera();
    // Why the last connection ended or failed ("Connection refused", say); empty when none did.
    std::string lastDisconnect() const;

    // Called on the main event queue as soon as a new latest frame is in, so the viewer need not wait for
    // its supervisor's next pass; empty: nobody is told. Any thread.
    void setPictureArrived(std::function<void()> arrived);

    // A copy of the frame queue, oldest first; the copy shares the entries' buffers.
    std::list<STRUCT_RECVDATA> list_image_data() const;
    void func_remove_image_list_first();
    // Removes and returns the oldest queue entry in one step (none when the queue is empty), so a consumer
    // that wants every picture in order cannot race the receiver's own trimming.
    std::optional<STRUCT_RECVDATA> takeOldestFrame();

    // Frame decoding of one delivered unit (header, picture, end marker); see the framing in the .cpp.
    bool processPackBody(const std::vector<std::uint8_t> &unit);

    // Draws image into a bitmap of its own size, encodes it as PNG and writes it atomically to path (a
    // leading "~/" is the home folder). Logs "Saved Image: %d"; returns whether the write succeeded.
    static bool saveImage(const QImage &image, const std::string &path);

    // AsyncTcpSocketDelegate
    void socketDidConnectToHost(AsyncTcpSocket *sock, const std::string &host, std::uint16_t port) override;
    void socketDidDisconnect(AsyncTcpSocket *sock, const std::optional<TransportError> &error) override;
    void socketDidReadData(AsyncTcpSocket *sock, const std::vector<std::uint8_t> &data, long tag) override;

    AsyncTcpSocket *m_AsyncTcpSocket() const { return m_AsyncTcpSocket_.get(); }
    // Whole seconds between the last frame unit and the last liveness test.
    std::uint64_t timeuse() const { return timeuse_.load(); }

  protected:
    // The wall clock of the liveness test (gettimeofday); tests replace it.
    virtual timeval wallClockNow() const;

  private:
    void readUpTo(const char *marker, long tag);
    std::size_t queueCount() const;

    // --- fixed at construction
    std::shared_ptr<AsyncTcpSocket> m_AsyncTcpSocket_;
    const std::uint64_t receive_data_interval_time_second_ = 3;

    // --- any thread: whole-value reads and writes
    std::atomic<bool> bConnected_{false};
    std::atomic<bool> inited_{false};
    std::atomic<std::uint16_t> server_port_{0};
    std::atomic<std::int64_t> last_time_us_{0};  // wall-clock time of the last frame unit, microseconds
    std::atomic<std::uint64_t> timeuse_{0};
    std::atomic<ImageBytes> imageData_;  // the latest frame
    std::atomic<std::uint64_t> picturesReceived_{0};
    std::atomic<std::uint64_t> pictureBytesReceived_{0};
    std::atomic<std::int64_t> latestArrivalMicros_{0};

    // --- guarded by serverMutex_
    mutable std::mutex serverMutex_;
    std::string server_ip_;
    std::function<void()> pictureArrived_;
    std::string lastDisconnect_;

    // --- guarded by mutex_: the frame queue, oldest first
    mutable std::mutex mutex_;
    std::list<STRUCT_RECVDATA> list_image_data_;

    // --- main event queue only (socket callbacks)
    timeval receive_data_time_{};
    // --- the supervising thread only (isTimeOut)
    timeval current_time_{};
};
