#pragma once

// The viewer's settings file (organisation and application "deskcam") and every key in it, so a key is
// spelt in one place. Values are remembered across starts.
//
// Thread use: any thread (each call opens the file anew, as QSettings allows).

#include <QSettings>
#include <QString>

#include <array>
#include <memory>

class ViewerSettings {
  public:
    static constexpr char kOrganization[] = "deskcam";
    static constexpr char kApplication[] = "deskcam";

    // The teaching tools' switches.
    static constexpr char kMirrorKey[] = "mirror";
    static constexpr char kFlipKey[] = "flip";
    static constexpr char kStatusOverlayKey[] = "status_overlay";
    static constexpr std::array<const char *, 3> kSwitchKeys{kMirrorKey, kFlipKey, kStatusOverlayKey};
    // The library's save folder; the folders' bookmarks are keyed by their paths beside it.
    static constexpr char kSavePathKey[] = "save_path";
    // The camera in use (host, ports) and the last ones used, newest first, as "host:image:command".
    static constexpr char kCameraGroup[] = "camera";
    static constexpr char kCameraHostKey[] = "host";
    static constexpr char kCameraImagePortKey[] = "image_port";
    static constexpr char kCameraCommandPortKey[] = "command_port";
    static constexpr char kCameraRecentKey[] = "recent";
    // The ends of recordings that finished while the program was ending, told at the next start.
    static constexpr char kUntoldRecordingEndsKey[] = "untold_recording_ends";
    // The video size of recordings: a name of VideoSize's table ("camera", "1080p", "720p").
    static constexpr char kRecordingSizeKey[] = "recording_size";
    // The last time-lapse plan: seconds between pictures, and how many (0: until stopped).
    static constexpr char kTimeLapseEveryKey[] = "timelapse_every";
    static constexpr char kTimeLapseCountKey[] = "timelapse_count";
    // Scan mode's choices: the look of pages (ScanLook's name) and the languages of their text
    // ("eng+chi_sim").
    static constexpr char kScanLookKey[] = "scan_look";
    static constexpr char kScanLanguagesKey[] = "scan_languages";
    // Which screen full screen goes to: a screen's name (QScreen::name()); empty or not connected, the
    // window's own screen.
    static constexpr char kFullScreenScreenKey[] = "fullscreen_screen";

    // The user's settings file.
    static std::unique_ptr<QSettings> open();
    // A switch; off when never set.
    static bool flag(const char *key);
    static void setFlag(const char *key, bool value);
    // A text; fallback when never set.
    static QString text(const char *key, const QString &fallback);
    static void setText(const char *key, const QString &value);
};
