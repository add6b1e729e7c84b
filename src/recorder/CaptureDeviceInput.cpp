#include "recorder/CaptureDeviceInput.h"

#include <QAudioSource>
#include <QCoreApplication>
#include <QThread>

namespace recorder {
namespace {

// Asked of the sound server so buffers come about every 20 ms rather than in long bursts.
constexpr int kBufferMilliseconds = 20;

}  // namespace

AudioStreamBasicDescription descriptionOfFormat(const QAudioFormat &format) {
    AudioStreamBasicDescription desc;
    desc.mSampleRate = format.sampleRate();
    desc.mFormatID = kAudioFormatLinearPCM;
    switch (format.sampleFormat()) {
        case QAudioFormat::Float:
            desc.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
            break;
        case QAudioFormat::UInt8:
            desc.mFormatFlags = kAudioFormatFlagIsPacked;
            break;
        default:
            desc.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked;
            break;
    }
    desc.mBytesPerFrame = desc.mBytesPerPacket =
        static_cast<std::uint32_t>(std::max(0, format.bytesPerFrame()));
    desc.mFramesPerPacket = 1;
    desc.mChannelsPerFrame = static_cast<std::uint32_t>(std::max(0, format.channelCount()));
    desc.mBitsPerChannel = static_cast<std::uint32_t>(std::max(0, format.bytesPerSample() * 8));
    return desc;
}

std::unique_ptr<CaptureDeviceInput> CaptureDeviceInput::create(const QAudioDevice &device,
                                                               const QAudioFormat &format,
                                                               std::string *error) {
    if (!QCoreApplication::instance()) {
        if (error) *error = "The microphone cannot be used without the application's event loop.";
        return nullptr;
    }
    auto input = std::make_unique<CaptureDeviceInput>(device, format);
    if (!input->open(error)) return nullptr;
    return input;
}

CaptureDeviceInput::CaptureDeviceInput(const QAudioDevice &device, const QAudioFormat &format)
    : device_(device), format_(format) {}

CaptureDeviceInput::~CaptureDeviceInput() {
    stop();
}

bool CaptureDeviceInput::open(std::string *error) {
    thread_ = std::make_unique<QThread>();
    thread_->setObjectName("AudioCapture");
    thread_->start();
    context_ = new QObject;
    context_->moveToThread(thread_.get());

    bool opened = false;
    QMetaObject::invokeMethod(
        context_,
        [this, &opened, error] {
            clock_.emplace(format_.sampleRate(), CaptureTimestamps::nowMicros());
            source_ = new QAudioSource(device_, format_, context_);
            source_->setBufferSize(format_.bytesForDuration(kBufferMilliseconds * 1000));
            stream_ = source_->start();
            opened = stream_ && source_->error() == QAudio::NoError;
            if (!opened) {
                if (error) {
                    *error = "The microphone \"" + device_.description().toStdString() +
                             "\" could not be opened (audio error " + std::to_string(source_->error()) + ").";
                }
                return;
            }
            QObject::connect(stream_, &QIODevice::readyRead, context_, [this] { readAvailable(); });
        },
        Qt::BlockingQueuedConnection);
    if (!opened) stop();
    return opened;
}

void CaptureDeviceInput::setSink(Sink sink) {
    std::lock_guard lock(sinkMutex_);
    sink_ = std::move(sink);
}

void CaptureDeviceInput::stop() {
    if (!thread_) return;
    QMetaObject::invokeMethod(
        context_,
        [this] {
            if (source_) source_->stop();
            // The source and its stream are children of the context.
            delete context_;
            context_ = nullptr;
            source_ = nullptr;
            stream_ = nullptr;
        },
        Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    thread_.reset();
}

void CaptureDeviceInput::readAvailable() {
    if (!stream_) return;
    const std::int64_t arrival = CaptureTimestamps::nowMicros();
    partialFrame_ += stream_->readAll();
    const int frameBytes = format_.bytesPerFrame();
    const std::uint32_t frames =
        frameBytes > 0 ? static_cast<std::uint32_t>(partialFrame_.size() / frameBytes) : 0;
    if (frames == 0) return;

    // Every read sample is placed, also when there is no sink yet, so the clock stays in step.
    const CaptureTimestamps::Placement placement = clock_->place(frames, arrival);
    const qsizetype bytes = static_cast<qsizetype>(frames) * frameBytes;
    const qsizetype skipped = static_cast<qsizetype>(placement.skip) * frameBytes;
    AudioSampleBuffer buffer;
    buffer.format = descriptionOfFormat(format_);
    buffer.presentationTime = placement.time;
    buffer.data.assign(partialFrame_.constData() + skipped, partialFrame_.constData() + bytes);
    partialFrame_.remove(0, bytes);
    if (buffer.data.empty()) return;

    Sink sink;
    {
        std::lock_guard lock(sinkMutex_);
        sink = sink_;
    }
    if (sink) sink(std::move(buffer));
}

}  // namespace recorder
