#include "recorder/StillsMovie.h"

#include "recorder/MediaWriter.h"
#include "recorder/VideoSize.h"
#include "recorder/VideoWriterInput.h"

#include <QFile>
#include <QImage>
#include <QImageReader>

#include <chrono>
#include <future>

namespace recorder {

namespace {

constexpr std::chrono::seconds kRoomWait{5};

// The film's size: the first readable picture's, bounded as recordings are.
QSize filmSize(const QStringList &pictures) {
    for (const QString &path : pictures) {
        const QSize size = QImageReader(path).size();
        if (size.isValid()) return VideoSize::forCamera(size, VideoSize::kDefault);
    }
    return {};
}

StillsMovie::Result failed(const QString &path, const QString &why) {
    QFile::remove(path);
    StillsMovie::Result result;
    result.error = why;
    return result;
}

}  // namespace

StillsMovie::Result StillsMovie::write(const QStringList &pictures, const QString &path) {
    const QSize size = filmSize(pictures);
    if (!size.isValid()) return failed(path, QStringLiteral("no readable picture"));
    std::string error;
    const auto writer = MediaWriter::create(path.toStdString(), &error);
    if (!writer) return failed(path, QString::fromStdString(error));
    writer->setShouldOptimizeForNetworkUse(true);
    const auto video = writer->addVideoInput(VideoSettings{size.width(), size.height(), kFrameRate});
    if (!video || !writer->startWriting()) return failed(path, QStringLiteral("cannot start the film"));
    // Frame n is at n/25 s of the file; the session starts at frame 1 because a zero time means "unset".
    writer->startSessionAtSourceTime(CMTimeMake(1, kFrameRate));

    Result result;
    bool appended = true;
    for (const QString &picture : pictures) {
        // The track converts and scales a picture of another size or format itself.
        const QImage frame(picture);
        if (frame.isNull()) {
            ++result.unreadable;
            continue;
        }
        appended = video->waitForRoom(kRoomWait) &&
                   video->appendPixelBuffer(frame, CMTimeMake(1 + result.frames, kFrameRate));
        if (!appended) break;
        ++result.frames;
    }
    video->markAsFinished();
    std::promise<void> finished;
    writer->finishWriting([&finished] { finished.set_value(); });
    finished.get_future().wait();
    if (!appended || writer->status() != WriterStatus::Completed || result.frames == 0)
        return failed(path, QStringLiteral("the film could not be written"));
    result.written = true;
    return result;
}

}  // namespace recorder
