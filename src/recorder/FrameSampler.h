#pragma once

// The camera side of a recording: takes the newest picture from the frame source, decodes it when it is a
// new one, applies the picture transform and hands back the track's pixel buffer. Watches the source for
// spells without a new picture. Recording thread only; the completion step reads the spells afterwards.

#include "recorder/SilenceWatch.h"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class FrameSampler {
  public:
    // The encoded bytes of the newest camera picture, shared and immutable (the receiver's latest frame).
    using FrameBytes = std::shared_ptr<const std::vector<std::uint8_t>>;
    using FrameSource = std::function<FrameBytes()>;
    // Turns a decoded picture into the one that is encoded (the viewer's mirror and flip).
    using PictureTransform = std::function<QImage(const QImage &)>;

    void setFrameSource(FrameSource source) { source_ = std::move(source); }
    void setPictureTransform(PictureTransform transform) { transform_ = std::move(transform); }
    // The track's size: pictures are decoded at the DCT scale nearest above it (the encoder scales the
    // rest). Empty: at full size.
    void setOutputSize(QSize size) { outputSize_ = size; }

    // The frame loop begins at startMicros (capture clock): the camera's silence counts from then.
    void start(std::int64_t startMicros);
    // The pixel buffer for a tick at nowMicros; null when there is no picture (yet).
    QImage sample(std::int64_t nowMicros);
    std::uint64_t decodes() const { return decodes_; }
    // Spells without a new picture; none before start.
    std::vector<SilenceWatch::Spell> silences() const;

    // An opaque 32-bit xRGB buffer of the picture's own size with the picture drawn in.
    static QImage pixelBufferOf(const QImage &picture);

  private:
    QImage latestPicture(std::int64_t nowMicros);
    int decodeScale(QSize camera) const;

    FrameSource source_;
    PictureTransform transform_;
    FrameBytes lastBytes_;
    QImage lastPicture_;
    QSize outputSize_;
    std::uint64_t decodes_ = 0;
    std::optional<SilenceWatch> watch_;
};
