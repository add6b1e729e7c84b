#pragma once

// Test pictures of a page under the camera, made here so that every test knows the truth: an A4 sheet
// with known English or Chinese text at a given point size, filling most of the frame's height, seen by
// a pinhole camera tilted a little towards the far edge and turned a little, on a wood-grained desk, under
// a lamp's gradient, with sensor noise, through JPEG as the camera sends it.

#include "scan/PageQuad.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class SyntheticPage {
  public:
    enum class Script { English, Chinese };

    struct Scene {
        QSize frame{1920, 1080};
        Script script = Script::English;
        double points = 16;        // the text's size on paper
        double tiltDegrees = 12;   // the camera's slant towards the page's top edge
        double turnDegrees = 4;    // the page's turn on the desk
        double heightShare = 0.9;  // of the frame's height, roughly, that the page covers
        bool withPage = true;      // false: the desk alone
        unsigned seed = 1;
    };

    struct Picture {
        QByteArray jpeg;   // as the camera sends it
        QImage decoded;    // the same, decoded
        PageQuad corners;  // where the page's corners are in the frame
    };

    static Picture make(const Scene &scene);
    // Where make() puts the page's corners in the frame.
    static PageQuad corners(const Scene &scene);
    // The text printed on a page of script, line by line.
    static const QStringList &lines(Script script);
    // The page as printed, upright, heightPixels high.
    static QImage sheet(Script script, double points, int heightPixels);

    // Share of expected's words (letters and digits, case kept) found among found's, each counted as
    // often as it occurs.
    static double wordRecall(const QString &expected, const QString &found);
    // The same over CJK characters, ignoring everything else.
    static double characterRecall(const QString &expected, const QString &found);
};
