#pragma once

// One "read up to and including a terminator" request of AsyncTcpSocket. It collects bytes into a buffer it
// owns and decides how many of the next incoming bytes it wants; the socket only moves bytes. A pure
// object, so the terminator logic is tested without sockets.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class AsyncTcpSocketPreBuffer;

class AsyncReadPacket {
  public:
    // maxLength 0 means no limit; a negative timeout means none.
    AsyncReadPacket(std::vector<std::uint8_t> terminator, double timeoutSeconds, std::uint64_t maxLength,
                    long tag);

    struct Take {
        std::size_t length = 0;  // how many of the incoming bytes belong to this request
        bool complete = false;   // whether they end with the terminator
    };
    // Looks for the end of the first terminator in the last (terminator length - 1) collected bytes followed
    // by incoming, so a terminator split between arrivals is found; no more than maxLength allows.
    Take bytesToTake(std::span<const std::uint8_t> incoming) const;
    void append(std::span<const std::uint8_t> bytes);
    // Moves the prebuffered bytes that belong to this request into it (bytesToTake, then append); true when
    // they complete it. The rest stays in the prebuffer for the next request.
    bool takeFrom(AsyncTcpSocketPreBuffer &preBuffer);

    // How many bytes the request may still take (wanted, cut to what maxLength leaves).
    std::size_t readLimit(std::size_t wanted) const;
    bool isMaxedOut() const { return maxLength_ > 0 && bytesDone() >= maxLength_; }

    std::uint64_t bytesDone() const { return buffer_.size(); }
    double timeout() const { return timeout_; }
    long tag() const { return tag_; }
    // Hands over the collected bytes (no copy).
    std::vector<std::uint8_t> takeData() { return std::move(buffer_); }

  private:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
    // Offset of the first whole terminator in haystack, or kNotFound.
    std::size_t find(std::span<const std::uint8_t> haystack) const;

    std::vector<std::uint8_t> buffer_;  // exactly the bytes collected so far
    std::vector<std::uint8_t> term_;
    std::uint64_t maxLength_;
    double timeout_;
    long tag_;
};
