#pragma once

// An MP4 of still pictures, one video frame each at 25 frames per second: a time-lapse's film. Large
// pictures are scaled to the recorder's default video size (VideoSize), aspect kept. Pictures that
// cannot be read are left out and counted. The file is complete (index first) when write() returns true;
// on failure no file is left.
//
// Thread use: any thread; write() blocks until the file is finished (seconds for hundreds of pictures).

#include <QString>
#include <QStringList>

namespace recorder {

class StillsMovie {
  public:
    static constexpr int kFrameRate = 25;

    struct Result {
        bool written = false;
        int frames = 0;      // pictures in the film
        int unreadable = 0;  // pictures left out
        QString error;       // why nothing was written
    };

    static Result write(const QStringList &pictures, const QString &path);
};

}  // namespace recorder
