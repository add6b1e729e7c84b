#include "scan/ScanLook.h"

#include "scan/MatImage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>

namespace {

using Look = ScanLook::Look;

struct Named {
    Look look;
    const char *name;
};
constexpr std::array<Named, 3> kNames = {
    {{Look::Colour, "colour"}, {Look::Grey, "grey"}, {Look::BlackAndWhite, "bw"}}};

// The paper's colour under every pixel, on a copy about this wide: ink is a few pixels wide there at most.
constexpr int kPaperWidth = 200;
// Levels below this after flattening are ink and go to black; the contrast stretch spreads the rest.
constexpr double kInkLevel = 40;
// Below this on the evened-out page a pixel is ink in black and white, whatever its neighbours.
constexpr double kDarkInkLevel = 110;

// The paper without its ink: the brightest of each neighbourhood (dilation removes dark strokes narrower
// than the neighbourhood), smoothed, at the page's size. Per channel, so its colour cast goes too.
cv::Mat paperColour(const cv::Mat &page) {
    const double shrink = std::min(1.0, double(kPaperWidth) / page.cols);
    cv::Mat small;
    cv::resize(page, small, cv::Size(), shrink, shrink, cv::INTER_AREA);
    cv::dilate(small, small, cv::getStructuringElement(cv::MORPH_RECT, {7, 7}));
    cv::GaussianBlur(small, small, cv::Size(0, 0), 3);
    cv::Mat paper;
    cv::resize(small, paper, page.size(), 0, 0, cv::INTER_LINEAR);
    return paper;
}

// Every pixel over its paper's colour, scaled so that paper is white.
cv::Mat flattened(const cv::Mat &page) {
    cv::Mat out;
    cv::divide(page, paperColour(page), out, 255.0);
    return out;
}

// Ink from kInkLevel down to black, paper stays white.
cv::Mat stretched(const cv::Mat &page) {
    cv::Mat out;
    page.convertTo(out, -1, 255.0 / (255.0 - kInkLevel), -kInkLevel * 255.0 / (255.0 - kInkLevel));
    return out;
}

cv::Mat grey(const cv::Mat &page) {
    if (page.channels() == 1) return page;
    cv::Mat out;
    cv::cvtColor(page, out, cv::COLOR_BGRA2GRAY);
    return out;
}

cv::Mat blackAndWhite(const cv::Mat &page) {
    const cv::Mat flat = flattened(grey(page));
    // A neighbourhood about a line of text high, odd as the threshold needs.
    const int block = std::max(15, page.cols / 40) | 1;
    cv::Mat local, global;
    cv::adaptiveThreshold(flat, local, 255, cv::ADAPTIVE_THRESH_MEAN_C, cv::THRESH_BINARY, block, 12);
    // Inside ink wider than the neighbourhood (a bold heading, a filled box) the local mean is ink too and
    // the local threshold turns it white; what is dark on the evened-out page stays black regardless.
    cv::threshold(flat, global, kDarkInkLevel, 255, cv::THRESH_BINARY);
    return cv::min(local, global);
}

}  // namespace

QImage ScanLook::apply(const QImage &page, Look look) {
    QImage holder;
    const cv::Mat source = MatImage::view(page, holder);
    if (source.empty()) return {};
    switch (look) {
        case Look::Colour: {
            cv::Mat colour = stretched(flattened(source));
            // The padding byte of each 32-bit pixel was divided too; Qt reads it as opaque anyway.
            return MatImage::toImage(colour);
        }
        case Look::Grey:
            return MatImage::toImage(stretched(flattened(grey(source))));
        case Look::BlackAndWhite:
            return MatImage::toImage(blackAndWhite(source));
    }
    return {};
}

const char *ScanLook::name(Look look) {
    for (const Named &named : kNames)
        if (named.look == look) return named.name;
    return "";
}

std::optional<ScanLook::Look> ScanLook::fromName(std::string_view name) {
    for (const Named &named : kNames)
        if (name == named.name) return named.look;
    return std::nullopt;
}

std::string ScanLook::names() {
    std::string out;
    for (const Named &named : kNames) {
        if (!out.empty()) out += '|';
        out += named.name;
    }
    return out;
}
