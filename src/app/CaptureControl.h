#pragma once

// The capture button's work, apart from the window: a copy of the picture on screen is written as PNG to
// R/CaptureImages/image_T.png, R being the save root and T the time of the button press; the outcome is
// one of three messages for the user.
//
// Thread use: main thread (the save location may show its folder panel).

#include <QDateTime>
#include <QImage>
#include <QString>

class DKBookmark;

class CaptureControl {
  public:
    enum class Outcome { Saved, SaveFailed, NoSavePath, NothingToCapture };

    struct Result {
        Outcome outcome;
        QString path;     // the file written, or the one that could not be written; empty without a root
        QString message;  // what to tell the user
    };

    static constexpr const char *kImagePattern = "image_%@.png";

    // Saves picture, taken at pressedAt, below bookmark's save root (asking for one if none is set). A
    // second capture within the same second gets its own "-2", "-3" ... name instead of replacing the first.
    static Result capture(const QImage &picture, DKBookmark &bookmark, const QDateTime &pressedAt);

    // Without a camera picture on screen (the no-device picture) there is nothing to capture: no file.
    static Result nothingToCapture();

    // "Image saved in path：%@" (the colon is the full-width U+FF1A), and the others, in the window's
    // language.
    static QString savedMessage(const QString &path);
    static QString saveFailedMessage();
    static QString noSavePathMessage();
};
