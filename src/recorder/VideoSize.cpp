#include "recorder/VideoSize.h"

#include <algorithm>
#include <cmath>

const std::vector<VideoSize::Entry> &VideoSize::table() {
    static const std::vector<Entry> entries{
        {Choice::Camera, "camera", "record_size_camera_action", "record_size_camera", {}},
        {Choice::Full_HD, "1080p", "record_size_1080p_action", "record_size_1080p", {1920, 1080}},
        {Choice::HD, "720p", "record_size_720p_action", "record_size_720p", {1280, 720}},
    };
    return entries;
}

std::optional<VideoSize::Choice> VideoSize::fromName(const std::string &name) {
    for (const Entry &entry : table())
        if (name == entry.name) return entry.choice;
    return std::nullopt;
}

const char *VideoSize::nameOf(Choice choice) {
    for (const Entry &entry : table())
        if (entry.choice == choice) return entry.name;
    return table().front().name;
}

std::string VideoSize::names() {
    std::string all;
    for (const Entry &entry : table()) {
        if (!all.empty()) all += '|';
        all += entry.name;
    }
    return all;
}

QSize VideoSize::forCamera(QSize camera, Choice choice) {
    if (camera.isEmpty()) return {};
    QSize box;
    for (const Entry &entry : table())
        if (entry.choice == choice) box = entry.box;
    double scale = 1.0;
    if (!box.isEmpty()) {
        if (camera.height() > camera.width()) box.transpose();
        scale = std::min({1.0, double(box.width()) / camera.width(), double(box.height()) / camera.height()});
    }
    // Rounded down to even: never beyond the box, and x264's 4:2:0 needs whole chroma samples.
    const auto even = [scale](int side) { return std::max(2, int(std::floor(side * scale / 2)) * 2); };
    return {even(camera.width()), even(camera.height())};
}
