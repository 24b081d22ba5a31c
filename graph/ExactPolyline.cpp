#include "ExactPolyline.h"

#include "GraphCanvas.h"

#include <algorithm>
#include <cmath>

TShiftToExact::TShiftToExact(TGraphCanvas& canvas, QPointF offset)
    : canvas_(canvas), offset_(canvas.Exact() ? offset : QPointF()) {
    if (!offset_.isNull()) canvas_.Painter().translate(offset_);
}

TShiftToExact::~TShiftToExact() {
    if (!offset_.isNull()) canvas_.Painter().translate(-offset_);
}

void TExactPolyline::Clear() {
    whole_.clear();
    exact_.clear();
}

void TExactPolyline::Add(double vx, double vy) {
    if (!canvas_.Exact()) {
        whole_ << QPoint(x_(vx), y_(vy));
        return;
    }
    const QPointF p(x_.Exact(vx), y_.Exact(vy));
    if (!exact_.isEmpty()) {
        const QPointF d = p - exact_.back();
        if (std::fabs(d.x()) < canvas_.Merge() && std::fabs(d.y()) < canvas_.Merge()) return;
    }
    exact_ << p;
}

bool TExactPolyline::Empty() const {
    return whole_.isEmpty() && exact_.isEmpty();
}

void TExactPolyline::Draw(std::size_t run) {
    QPainter& p = canvas_.Painter();
    const auto draw = [&](const auto& points) {
        const std::size_t n = std::size_t(points.size());
        if (n == 1) {
            p.drawPoint(points.front());
            return;
        }
        for (std::size_t start = 0; start + 1 < n; start += run - 1)
            p.drawPolyline(points.data() + start, int(std::min(run, n - start)));
    };
    if (!whole_.isEmpty()) draw(whole_);
    if (!exact_.isEmpty()) draw(exact_);
}
