#pragma once

// How a straightened page is cleaned before it is kept: in colour, grey, or black and white.
//
// All three first even out the light: the paper's own colour is estimated everywhere (the page with its
// ink taken out, smoothed) and every pixel divided by it, so the paper turns white from the lamp's side to
// the far corner and a warm or cold cast goes with it (white balance). Colour then stretches the contrast
// so that ink is dark again; Grey is that in one channel; Black & white thresholds each pixel against its
// neighbourhood's mean, which keeps thin and faint strokes that one threshold for the whole page loses.
//
// Thread use: stateless, any thread; a page of 2000x2800 pixels takes some tens of milliseconds.

#include <QImage>

#include <optional>
#include <string>
#include <string_view>

class ScanLook {
  public:
    enum class Look { Colour, Grey, BlackAndWhite };

    // The page cleaned: Format_RGB32 for Colour, Format_Grayscale8 (only 0 and 255 for Black & white)
    // otherwise. A null page gives a null picture.
    static QImage apply(const QImage &page, Look look);

    // The command line's names: "colour", "grey", "bw".
    static const char *name(Look look);
    static std::optional<Look> fromName(std::string_view name);
    // Every name, as the usage shows them: "colour|grey|bw".
    static std::string names();
};
