#pragma once

// What the viewer tells the user when a recording has ended, from the recorder's report: where the file
// was saved, or that nothing was recorded, or that the disk filled up or the file could not be written
// (and what it keeps), with the time it was paused, followed by a line for every spell in which the camera or
// the microphone went silent. Texts in the user's language; the English saved message is the system's own.

#include "recorder/RVImagesToVideo.h"

#include <QString>

class Localization;

class RecordEndMessage {
  public:
    static QString text(const RVImagesToVideo::Report &report, const Localization &texts);
    // "Record saved in path：%@" (the colon is the full-width U+FF1A), in texts' language.
    static QString savedMessage(const QString &path, const Localization &texts);
    // Saved, with nothing to add: no silence, no frame left out.
    static bool isGoodNews(const RVImagesToVideo::Report &report);

  private:
    static QString failure(const RVImagesToVideo::Report &report, const Localization &texts);
    static QString spells(const std::vector<RVImagesToVideo::Report::Spell> &spells, const QString &key,
                          const Localization &texts);
};
