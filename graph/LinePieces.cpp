#include "LinePieces.h"

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

// Piece b goes on from piece a along one row or one column, the same way.
bool Continues(const QLine& a, const QLine& b) {
    if (a.p2() != b.p1()) return false;
    if (a.y1() == a.y2() && b.y1() == b.y2() && a.y1() == b.y1())
        return Sign(a.dx()) == Sign(b.dx()) && a.dx() != 0;
    if (a.x1() == a.x2() && b.x1() == b.x2() && a.x1() == b.x1())
        return Sign(a.dy()) == Sign(b.dy()) && a.dy() != 0;
    return false;
}

} // namespace

void AppendLinePieces(const std::vector<QPoint>& points, std::vector<QLine>& pieces) {
    if (points.empty()) return;
    const std::size_t first = pieces.size();
    for (std::size_t i = 1; i < points.size(); ++i) {
        if (points[i] == points[i - 1]) continue;
        const QLine piece(points[i - 1], points[i]);
        if (pieces.size() > first && Continues(pieces.back(), piece))
            pieces.back().setP2(piece.p2());
        else
            pieces.push_back(piece);
    }
    if (pieces.size() == first) pieces.push_back(QLine(points.front(), points.front()));
}
