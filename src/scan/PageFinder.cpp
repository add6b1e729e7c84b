#include "scan/PageFinder.h"

#include "scan/MatImage.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Contour = std::vector<cv::Point>;

// Corners closer than this to the border (reduced pixels) count as lying on it.
constexpr double kBorderMargin = 3;
// An outline must cover this much of its quadrilateral: a page's does almost exactly.
constexpr double kMinFill = 0.85;
// Contour points this close to a side (reduced pixels) are fitted to it, away from the corners.
constexpr double kSideBand = 2.5;
constexpr double kCornerShare = 0.1;

struct Candidate {
    std::array<cv::Point2f, 4> corners;
    double area = 0;
    Contour contour;
};

// The picture reduced by a whole factor (area averaging is fastest and smoothest at whole factors), grey.
cv::Mat reducedGrey(const cv::Mat &full, int factor) {
    cv::Mat grey;
    if (full.channels() == 4)
        cv::cvtColor(full, grey, cv::COLOR_BGRA2GRAY);
    else
        grey = full;
    if (factor == 1) return grey.clone();
    cv::Mat small;
    cv::resize(grey, small, cv::Size(full.cols / factor, full.rows / factor), 0, 0, cv::INTER_AREA);
    return small;
}

bool sideOnBorder(const cv::Point2f &a, const cv::Point2f &b, cv::Size size) {
    const auto near = [](float v, float edge) { return std::abs(v - edge) <= kBorderMargin; };
    const float right = float(size.width - 1), bottom = float(size.height - 1);
    return (near(a.x, 0) && near(b.x, 0)) || (near(a.y, 0) && near(b.y, 0)) ||
           (near(a.x, right) && near(b.x, right)) || (near(a.y, bottom) && near(b.y, bottom));
}

std::optional<Candidate> asPage(const Contour &contour, cv::Size size) {
    const double minArea = PageFinder::kMinAreaFraction * size.area();
    const double area = cv::contourArea(contour);
    if (area < minArea * kMinFill) return std::nullopt;
    Contour hull, approx;
    cv::convexHull(contour, hull);
    cv::approxPolyDP(hull, approx, 0.02 * cv::arcLength(hull, true), true);
    if (approx.size() != 4 || !cv::isContourConvex(approx)) return std::nullopt;
    const double quadArea = cv::contourArea(approx);
    if (quadArea < minArea || area < kMinFill * quadArea) return std::nullopt;
    Candidate page{{}, quadArea, contour};
    for (int i = 0; i < 4; ++i) page.corners[i] = cv::Point2f(approx[i]);
    for (int i = 0; i < 4; ++i)
        if (sideOnBorder(page.corners[i], page.corners[(i + 1) % 4], size)) return std::nullopt;
    return page;
}

void collect(const cv::Mat &mask, int mode, cv::Size size, std::optional<Candidate> &best) {
    std::vector<Contour> contours;
    cv::findContours(mask, contours, mode, cv::CHAIN_APPROX_NONE);
    const double minBox = PageFinder::kMinAreaFraction * size.area() * kMinFill;
    for (const Contour &contour : contours) {
        if (cv::boundingRect(contour).area() < minBox) continue;
        auto page = asPage(contour, size);
        if (page && (!best || page->area > best->area)) best = std::move(page);
    }
}

float distanceToSegment(cv::Point2f p, cv::Point2f a, cv::Point2f b, float &along) {
    const cv::Point2f ab = b - a;
    along = (p - a).dot(ab) / ab.dot(ab);
    const cv::Point2f foot = a + ab * std::clamp(along, 0.0f, 1.0f);
    return float(cv::norm(p - foot));
}

// Each side's contour points fitted to a straight line; corners where neighbouring lines meet. A corner
// the fit cannot place (too few points, lines that meet far from the rough corner) stays rough.
std::array<cv::Point2f, 4> fittedCorners(const Candidate &page) {
    std::array<std::vector<cv::Point2f>, 4> sides;
    for (const cv::Point &point : page.contour) {
        const cv::Point2f p(point);
        for (int i = 0; i < 4; ++i) {
            float along = 0;
            const float d = distanceToSegment(p, page.corners[i], page.corners[(i + 1) % 4], along);
            if (d <= kSideBand && along > kCornerShare && along < 1 - kCornerShare) sides[i].push_back(p);
        }
    }
    std::array<cv::Vec4f, 4> lines;
    for (int i = 0; i < 4; ++i) {
        if (sides[i].size() < 10) return page.corners;
        cv::fitLine(sides[i], lines[i], cv::DIST_HUBER, 0, 0.01, 0.01);
    }
    std::array<cv::Point2f, 4> corners = page.corners;
    for (int i = 0; i < 4; ++i) {
        // Corner i joins side i-1 (ending there) and side i (starting there).
        const cv::Vec4f &u = lines[(i + 3) % 4], &v = lines[i];
        const float det = u[0] * v[1] - u[1] * v[0];
        if (std::abs(det) < 1e-3f) continue;
        const float t = ((v[2] - u[2]) * v[1] - (v[3] - u[3]) * v[0]) / det;
        const cv::Point2f meet(u[2] + t * u[0], u[3] + t * u[1]);
        if (cv::norm(meet - page.corners[i]) < 6) corners[i] = meet;
    }
    return corners;
}

}  // namespace

std::optional<PageQuad> PageFinder::find(const QImage &picture) {
    QImage holder;
    const cv::Mat full = MatImage::view(picture, holder);
    if (full.cols < 16 || full.rows < 16) return std::nullopt;
    const int factor = std::max(1, int(std::lround(double(full.cols) / kWorkingWidth)));
    const cv::Mat grey = reducedGrey(full, factor);
    const cv::Size size = grey.size();

    cv::Mat blurred, bright, edges;
    cv::GaussianBlur(grey, blurred, cv::Size(5, 5), 0);
    cv::threshold(blurred, bright, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
    // Opening cuts thin bright threads (grain, glare) that would join the page to the desk.
    cv::morphologyEx(bright, bright, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, {5, 5}));
    std::optional<Candidate> best;
    collect(bright, cv::RETR_EXTERNAL, size, best);
    cv::Canny(blurred, edges, 40, 120);
    cv::dilate(edges, edges, cv::Mat());
    // Every outline, inner ones included: the ring just inside a page's edge stays clean of the desk's.
    collect(edges, cv::RETR_LIST, size, best);
    if (!best) return std::nullopt;

    const std::array<cv::Point2f, 4> corners = fittedCorners(*best);
    // Reduced pixel centres to full ones: pixel x covers full pixels [x * sx, (x + 1) * sx).
    const double sx = double(full.cols) / size.width, sy = double(full.rows) / size.height;
    std::array<QPointF, 4> points;
    for (int i = 0; i < 4; ++i)
        points[i] = QPointF((corners[i].x + 0.5) * sx - 0.5, (corners[i].y + 0.5) * sy - 0.5);
    return PageQuad::fromPoints(points);
}
