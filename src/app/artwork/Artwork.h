#pragma once

// The application's pictures, drawn with QPainter so that the project ships no third-party artwork. The
// build runs deskcam-artwork once to write them as PNG files, which become Qt resources, and the
// application's icon for the desktop's icon theme (PNG in three sizes and SVG), which is installed.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <vector>

class Artwork {
  public:
    struct Picture {
        QString fileName;
        QImage image;
    };

    // Every picture with the file name the program loads it by.
    static std::vector<Picture> all();

    // The picture shown while no camera delivers: a dimmed camera, crossed out, and a short explanation.
    static QImage checkDevice();
    // Record button: idle (red dot) and recording (red square).
    static QImage record();
    static QImage recordStop();
    // White line icons for the tool buttons of the control strip.
    static QImage rotateLeft();
    static QImage rotateRight();
    static QImage actualSize();
    static QImage fitSize();
    static QImage maxWindow();
    static QImage capture();
    static QImage library();
    static QImage zoom();
    // The camera button: a document camera's arm and head with a connection dot.
    static QImage camera();
    // The teaching tools: freeze (a snowflake), mirror and flip (a shape and its mirror image), and the
    // drawing tools pen, highlighter and eraser.
    static QImage freeze();
    static QImage mirror();
    static QImage pen();
    static QImage highlighter();
    static QImage eraser();
    static QImage spotlight();
    // Scan mode: a page's outline with its corner handles.
    static QImage scan();
    // The open-menu arrow of the resolution pop-up.
    static QImage chevronDown();
    // The tick of a chosen menu entry.
    static QImage checkMark();
    // The application's icon at side x side pixels, and as SVG for any size.
    static QImage appIcon(int side = 128);
    static QByteArray appIconSvg();
    // The icon sizes a desktop's icon theme gets: "appicon-48.png", "appicon-128.png", "appicon-256.png".
    static std::vector<Picture> appIcons();
};
