// The recorder's entry points and accessors that only tests call (nothing in the program does): the
// convenience recording calls and the pieces of the microphone's set-up a test drives by hand.

#include "recorder/RVImagesToVideo.h"

#include <QDir>
#include <QFile>

namespace {

constexpr QSizeF kDefaultSize{800, 600};
constexpr std::int32_t kDefaultFps = 1;

}  // namespace

// --- convenience entry points

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path,
                                      CallbackBlock callback) {
    videoFromImages(images, path, kDefaultSize, kDefaultFps, true, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path,
                                      bool animateTransitions, CallbackBlock callback) {
    videoFromImages(images, path, kDefaultSize, kDefaultFps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path,
                                      std::int32_t fps, bool animateTransitions, CallbackBlock callback) {
    videoFromImages(images, path, kDefaultSize, fps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                                      bool animateTransitions, CallbackBlock callback) {
    videoFromImages(images, path, size, kDefaultFps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::videoFromImages(const std::vector<QImage> &images, const std::string &path, QSizeF size,
                                      std::int32_t fps, bool animateTransitions, CallbackBlock callback) {
    writeImageAsMovie(images, path, size, fps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, kDefaultSize, true, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, bool animateTransitions,
                                                  CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, kDefaultSize, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, QSizeF size,
                                                  bool animateTransitions, CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, size, kDefaultFps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, std::int32_t fps,
                                                  bool animateTransitions, CallbackBlock callback) {
    saveVideoToPhotosWithImages(images, kDefaultSize, fps, animateTransitions, std::move(callback));
}

void RVImagesToVideo::saveVideoToPhotosWithImages(const std::vector<QImage> &images, QSizeF size,
                                                  std::int32_t fps, bool animateTransitions,
                                                  CallbackBlock callback) {
    const QString path = QDir(QDir::tempPath()).filePath("temp.mp4");
    QFile::remove(path);
    videoFromImages(images, path.toStdString(), size, fps, animateTransitions,
                    [callback = std::move(callback)](bool finished) {
                        if (callback) callback(finished);
                    });
}

// --- the pieces of a recording

QImage RVImagesToVideo::newPixelBufferFromNSImage(const QImage &picture) {
    return FrameSampler::pixelBufferOf(picture);
}

void RVImagesToVideo::initAudioInputChannels(std::int32_t channels, double samples) {
    microphone_.addTrack(channels, samples);
}

bool RVImagesToVideo::encodeFrame(const AudioSampleBuffer &buffer, bool isVideo) {
    return microphone_.encodeFrame(buffer, isVideo);
}

AudioSampleBuffer RVImagesToVideo::adjustTime(const AudioSampleBuffer &buffer, const CMTime &offset) {
    AudioSampleBuffer adjusted = buffer;
    adjusted.presentationTime = CMTimeSubtract(buffer.presentationTime, offset);
    return adjusted;
}

// --- accessors

CMTime RVImagesToVideo::startTime() const {
    return microphone_.startTime();
}

void RVImagesToVideo::setStartTime(const CMTime &time) {
    microphone_.setStartTime(time);
}

std::shared_ptr<recorder::AudioWriterInput> RVImagesToVideo::audioInput() const {
    return microphone_.track();
}

std::shared_ptr<recorder::CaptureSession> RVImagesToVideo::captureSession() const {
    return microphone_.session();
}

std::shared_ptr<recorder::AudioDataOutput> RVImagesToVideo::captureAudioMicDataOutput() const {
    return microphone_.output();
}

void RVImagesToVideo::setCaptureAudioMicDataOutput(std::shared_ptr<recorder::AudioDataOutput> output) {
    microphone_.setOutput(std::move(output));
}

std::shared_ptr<dispatch::SerialQueue> RVImagesToVideo::captureQueue() {
    return microphone_.captureQueue();
}
