#include "PolylineReducer.h"

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// b lies on the way from a to c along one row or one column, in one
// direction: a line a-b-c and a line a-c cover the same pixels.
bool Between(QPoint a, QPoint b, QPoint c) {
    if (a.x() == b.x() && b.x() == c.x())
        return Sign(b.y() - a.y()) == Sign(c.y() - b.y()) && b.y() != a.y();
    if (a.y() == b.y() && b.y() == c.y())
        return Sign(b.x() - a.x()) == Sign(c.x() - b.x()) && b.x() != a.x();
    return false;
}

} // namespace

// The painter's pixels of a piece depend on its direction (each piece covers
// its start and leaves its end to the next one), and its end pixels on the
// first and last pieces; so only inner vertices that continue a straight run
// in the same direction are dropped, and the first and last pieces stay.
void ReducePolyline(std::vector<QPoint>& points, bool solidHairline) {
    if (!solidHairline || points.size() < 5) return;
    const std::size_t n = points.size();
    std::vector<QPoint> out;
    out.reserve(n);
    out.push_back(points[0]);
    out.push_back(points[1]);
    for (std::size_t i = 2; i + 2 < n; ++i) {
        const QPoint p = points[i];
        if (out.size() >= 3 && Between(out[out.size() - 2], out.back(), p))
            out.back() = p;
        else
            out.push_back(p);
    }
    out.push_back(points[n - 2]);
    out.push_back(points[n - 1]);
    points.swap(out);
}
