#pragma once

// The size a recording's video track takes for a camera's pictures. By default the camera's size limited
// to 1920x1080: software H.264 on two cores keeps up with that in real time, not with 4K. A portrait
// picture is limited the other way round (1080x1920). Sides are even, as 4:2:0 video needs.

#include <QSize>

#include <optional>
#include <string>
#include <vector>

class VideoSize {
  public:
    enum class Choice { Camera, Full_HD, HD };

    struct Entry {
        Choice choice;
        const char *name;        // for the command line and the settings: "camera", "1080p", "720p"
        const char *actionName;  // the record menu's entry
        const char *textKey;     // its text
        QSize box;               // landscape; empty: no limit but the recorder's own
    };
    static const std::vector<Entry> &table();
    static constexpr Choice kDefault = Choice::Full_HD;

    static std::optional<Choice> fromName(const std::string &name);
    static const char *nameOf(Choice choice);
    // The "camera|1080p|720p" of a usage line.
    static std::string names();

    // The track size for pictures of camera (aspect kept, even sides, within the choice's box).
    static QSize forCamera(QSize camera, Choice choice);
};
