#pragma once

// Reads back what the recorder wrote: the streams an MP4 file declares, whether its index precedes the
// media data, its pictures (shrunk) and its sound (mixed to mono), each with its presentation time.

#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace recorder_test {

struct ProbedStream {
    std::string codec;  // "h264", "aac"
    int width = 0;
    int height = 0;
    double frameRate = 0;  // r_frame_rate
    int channels = 0;
    int sampleRate = 0;
    double duration = 0;  // seconds
};

struct ProbedFile {
    bool opened = false;
    double duration = 0;  // seconds
    std::vector<ProbedStream> streams;
    const ProbedStream *find(const std::string &codec) const;
};

struct DecodedPicture {
    double time = 0;
    QImage picture;  // RGB32, shrunk to at most 64 pixels wide
};

struct DecodedSound {
    int sampleRate = 0;
    double startTime = 0;  // time of samples[0]
    std::vector<float> samples;
};

ProbedFile probeFile(const std::string &path);
// The types of the file's top-level boxes, in order.
std::vector<std::string> topLevelBoxes(const std::string &path);
// True when the top-level "moov" box comes before the first "mdat" box.
bool indexBeforeMediaData(const std::string &path);
// True when the media data comes in fragments ("moof" boxes): a recording that was not finished.
bool isFragmented(const std::string &path);
std::vector<DecodedPicture> decodePictures(const std::string &path);
DecodedSound decodeSound(const std::string &path);
// The same one picture, or one decoded block of sound, at a time: for recordings too long to hold.
void forEachPicture(const std::string &path, const std::function<void(const DecodedPicture &)> &onPicture);
void forEachSound(const std::string &path, const std::function<void(const DecodedSound &)> &onSound);
// The frequency with the strongest response between low and high Hz, in 1 Hz steps (Goertzel).
double dominantFrequency(const std::vector<float> &samples, int sampleRate, double low, double high);

}  // namespace recorder_test
