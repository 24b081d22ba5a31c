#include "PolylineReducer.h"

#include <algorithm>

namespace {

void Push(std::vector<QPoint>& out, QPoint p) {
    if (out.empty() || out.back() != p) out.push_back(p);
}

// Drops a vertex that lies between its neighbours on one row.
void PushMergingRows(std::vector<QPoint>& out, QPoint p) {
    const std::size_t n = out.size();
    if (n >= 2 && out[n - 1].y() == p.y() && out[n - 2].y() == p.y()) {
        const int a = out[n - 2].x(), b = out[n - 1].x();
        if ((a <= b && b <= p.x()) || (a >= b && b >= p.x())) {
            out[n - 1] = p;
            return;
        }
    }
    Push(out, p);
}

} // namespace

void ReducePolyline(std::vector<QPoint>& points, bool solidHairline) {
    if (points.size() < 3) return;
    std::vector<QPoint> out;
    out.reserve(solidHairline ? std::min<std::size_t>(points.size(), 4096) : points.size());
    if (!solidHairline) {
        for (const QPoint& p : points)
            Push(out, p);
    } else {
        const std::size_t n = points.size();
        std::size_t i = 0;
        while (i < n) {
            const int x = points[i].x();
            std::size_t j = i;
            int low = points[i].y(), high = low;
            while (j + 1 < n && points[j + 1].x() == x) {
                ++j;
                low = std::min(low, points[j].y());
                high = std::max(high, points[j].y());
            }
            PushMergingRows(out, points[i]);
            if (j > i) {
                // From the first point to the nearer end of the span, across
                // it, then to the last point.
                const int first = points[i].y();
                const bool downFirst = high - first <= first - low;
                PushMergingRows(out, QPoint(x, downFirst ? high : low));
                PushMergingRows(out, QPoint(x, downFirst ? low : high));
                PushMergingRows(out, points[j]);
            }
            i = j + 1;
        }
    }
    // A line of one pixel stays a line of two equal points.
    if (out.size() == 1) out.push_back(out.front());
    points.swap(out);
}
