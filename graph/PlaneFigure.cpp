#include "PlaneFigure.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace {

// An end point as an exact key; 0 and -0 are one point.
struct TEndKey {
    double x;
    double y;
    bool operator==(const TEndKey&) const = default;
};

struct TEndHash {
    std::size_t operator()(const TEndKey& k) const {
        const std::uint64_t a = std::bit_cast<std::uint64_t>(k.x);
        const std::uint64_t b = std::bit_cast<std::uint64_t>(k.y);
        return std::hash<std::uint64_t>()(a * 0x9E3779B97F4A7C15ull ^ b);
    }
};

TEndKey KeyOf(QPointF p) {
    return {p.x() + 0.0, p.y() + 0.0};
}

} // namespace

std::vector<QPolygonF> ChainSegments(const std::vector<QLineF>& segments) {
    // Each end point with the piece ends lying on it: 2 × piece + 0 for its
    // first point, + 1 for its second.
    std::unordered_map<TEndKey, std::vector<int>, TEndHash> ends;
    ends.reserve(segments.size() * 2);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        ends[KeyOf(segments[i].p1())].push_back(int(2 * i));
        ends[KeyOf(segments[i].p2())].push_back(int(2 * i + 1));
    }
    std::vector<bool> used(segments.size(), false);
    // The far end of an unused piece starting at `at`, taking the piece.
    const auto follow = [&](QPointF at, QPointF& next) {
        const auto it = ends.find(KeyOf(at));
        if (it == ends.end()) return false;
        for (int end : it->second) {
            const std::size_t piece = std::size_t(end / 2);
            if (used[piece]) continue;
            used[piece] = true;
            next = end % 2 == 0 ? segments[piece].p2() : segments[piece].p1();
            return true;
        }
        return false;
    };

    std::vector<QPolygonF> chains;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (used[i]) continue;
        used[i] = true;
        QPolygonF forward{segments[i].p1(), segments[i].p2()};
        QPointF next;
        while (follow(forward.back(), next))
            forward.push_back(next);
        QPolygonF backward;
        QPointF at = segments[i].p1();
        while (follow(at, next)) {
            backward.push_back(next);
            at = next;
        }
        std::reverse(backward.begin(), backward.end());
        backward += forward;
        chains.push_back(std::move(backward));
    }
    return chains;
}
