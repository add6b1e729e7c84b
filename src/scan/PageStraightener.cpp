#include "scan/PageStraightener.h"

#include "scan/MatImage.h"

#include <QLineF>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

// No page is narrower than this against its height, or wider: beyond it the estimate has gone wrong.
constexpr double kMinAspect = 0.2;
constexpr double kMaxAspect = 5.0;
// A straightened page has at most this many times the picture's pixels (the corners lie within it, so
// only a wild estimate gets here).
constexpr double kMaxPixelsOverPicture = 2.0;
constexpr double kMinPagePixels = 64;

cv::Vec3d homogeneous(QPointF p, QPointF centre) {
    return {p.x() - centre.x(), p.y() - centre.y(), 1.0};
}

double sidesRatio(const PageQuad &quad) {
    const auto &c = quad.corners;
    const double width = QLineF(c[0], c[1]).length() + QLineF(c[3], c[2]).length();
    const double height = QLineF(c[0], c[3]).length() + QLineF(c[1], c[2]).length();
    return height > 0 ? width / height : 0;
}

// A page is a convex quadrilateral of some area; anything else has no rectangle to be mapped to.
bool isPageShaped(const PageQuad &quad) {
    const auto &c = quad.corners;
    double area = 0;
    int turns = 0;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = c[i], b = c[(i + 1) % 4], n = c[(i + 2) % 4];
        area += a.x() * b.y() - b.x() * a.y();
        const double cross = (b.x() - a.x()) * (n.y() - b.y()) - (b.y() - a.y()) * (n.x() - b.x());
        turns += cross > 0 ? 1 : cross < 0 ? -1 : 0;
    }
    return std::abs(area) / 2 >= kMinPagePixels && std::abs(turns) == 4;
}

}  // namespace

double PageStraightener::aspectRatio(const PageQuad &quad, QSize pictureSize) {
    // The rectangle's vanishing geometry (Zhang and He, whiteboard scanning): with m1..m4 the top left, top
    // right, bottom left and bottom right corners relative to the optical centre, n2 and n3 are the page's
    // width and height directions up to the focal length f.
    const QPointF centre(pictureSize.width() / 2.0, pictureSize.height() / 2.0);
    const auto &c = quad.corners;
    const cv::Vec3d m1 = homogeneous(c[PageQuad::TopLeft], centre),
                    m2 = homogeneous(c[PageQuad::TopRight], centre),
                    m3 = homogeneous(c[PageQuad::BottomLeft], centre),
                    m4 = homogeneous(c[PageQuad::BottomRight], centre);
    const double fallback = sidesRatio(quad);
    const double d2 = m2.cross(m4).dot(m3), d3 = m3.cross(m4).dot(m2);
    if (std::abs(d2) < 1e-9 || std::abs(d3) < 1e-9) return fallback;
    const double k2 = m1.cross(m4).dot(m3) / d2, k3 = m1.cross(m4).dot(m2) / d3;
    const cv::Vec3d n2 = k2 * m2 - m1, n3 = k3 * m3 - m1;
    const double scale = std::max(1.0, std::hypot(pictureSize.width(), pictureSize.height()));
    // Nearly parallel opposite sides: no focal length to tell, and no foreshortening to undo.
    if (std::abs(n2[2]) * scale < 1e-3 * cv::norm(n2) || std::abs(n3[2]) * scale < 1e-3 * cv::norm(n3))
        return fallback;
    const double f2 = -(n2[0] * n3[0] + n2[1] * n3[1]) / (n2[2] * n3[2]);
    if (!(f2 > 0)) return fallback;
    const double ratio = std::sqrt((n2[0] * n2[0] + n2[1] * n2[1] + f2 * n2[2] * n2[2]) /
                                   (n3[0] * n3[0] + n3[1] * n3[1] + f2 * n3[2] * n3[2]));
    // A focal length far off what the sides say is noise in nearly parallel sides.
    if (!std::isfinite(ratio) || ratio < fallback * 0.7 || ratio > fallback * 1.4) return fallback;
    return ratio;
}

QSize PageStraightener::pageSize(const PageQuad &quad, QSize pictureSize) {
    if (!isPageShaped(quad)) return {};
    const double ratio = aspectRatio(quad, pictureSize);
    if (!(ratio >= kMinAspect && ratio <= kMaxAspect)) return {};
    const auto &c = quad.corners;
    const double across = std::max(QLineF(c[0], c[1]).length(), QLineF(c[3], c[2]).length());
    const double down = std::max(QLineF(c[0], c[3]).length(), QLineF(c[1], c[2]).length());
    double width = std::max(across, down * ratio);
    double height = width / ratio;
    const double limit = kMaxPixelsOverPicture * pictureSize.width() * pictureSize.height();
    if (width * height > limit) {
        const double shrink = std::sqrt(limit / (width * height));
        width *= shrink;
        height *= shrink;
    }
    const QSize size(int(std::lround(width)), int(std::lround(height)));
    return size.width() >= 2 && size.height() >= 2 ? size : QSize();
}

QImage PageStraightener::straighten(const QImage &picture, const PageQuad &quad) {
    QImage holder;
    const cv::Mat source = MatImage::view(picture, holder);
    const QSize size = pageSize(quad, picture.size());
    if (source.empty() || size.isEmpty()) return {};
    std::array<cv::Point2f, 4> from;
    for (int i = 0; i < 4; ++i) from[i] = cv::Point2f(float(quad.corners[i].x()), float(quad.corners[i].y()));
    const float w = float(size.width()), h = float(size.height());
    const std::array<cv::Point2f, 4> to = {cv::Point2f(0, 0), cv::Point2f(w, 0), cv::Point2f(w, h),
                                           cv::Point2f(0, h)};
    const cv::Mat transform = cv::getPerspectiveTransform(from.data(), to.data());
    cv::Mat page;
    cv::warpPerspective(source, page, transform, cv::Size(size.width(), size.height()), cv::INTER_LINEAR,
                        cv::BORDER_REPLICATE);
    return MatImage::toImage(page);
}
