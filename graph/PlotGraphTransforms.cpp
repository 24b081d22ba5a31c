// Axis values to pixels and back, on the surface being drawn.
#include "Axis.h"
#include "Dimensions.h"
#include "PixelMap.h"
#include "PlotGraph.h"

#include <cmath>

TPixelMap TPixelMap::Of(const TAxis& axis, bool rows, int edge) {
    TPixelMap m;
    m.Log = axis.LogScale();
    const double origin = rows ? axis.Max() : axis.Min();
    m.Origin = m.Log ? std::log(origin) : origin;
    m.Scale = rows ? -axis.PixelScale() : axis.PixelScale();
    m.Edge = edge;
    return m;
}

int TPlotGraph::ToPixel(const TAxis& axis, double v) const {
    const bool rows = axis.AxisKind() != TAxis::Kind::X;
    const int edge =
        rows ? dimensions_->TopMargin() + yOffset_ : dimensions_->LeftMargin() + xOffset_;
    return TPixelMap::Of(axis, rows, edge)(v);
}

int TPlotGraph::XToPixel(double v) const {
    return ToPixel(*xAxis_, v);
}
int TPlotGraph::YToPixel(double v) const {
    return ToPixel(*yAxis_, v);
}
int TPlotGraph::Y2ToPixel(double v) const {
    return ToPixel(*yAxis2_, v);
}

double TPlotGraph::PixelToX(int p) const {
    const TAxis& a = *xAxis_;
    const double d = (p - dimensions_->LeftMargin()) / a.PixelScale();
    return a.LogScale() ? a.Min() * std::exp(d) : d + a.Min();
}

namespace {
double RowToValue(const TAxis& a, int p, int topMargin) {
    const double d = (p - topMargin) / a.PixelScale();
    return a.LogScale() ? a.Max() * std::exp(-d) : a.Max() - d;
}
} // namespace

double TPlotGraph::PixelToY(int p) const {
    return RowToValue(*yAxis_, p, dimensions_->TopMargin());
}
double TPlotGraph::PixelToY2(int p) const {
    return RowToValue(*yAxis2_, p, dimensions_->TopMargin());
}

QRect TPlotGraph::PlotRect() const {
    const int left = xOffset_ + dimensions_->LeftMargin();
    const int top = yOffset_ + dimensions_->TopMargin();
    const int right = xOffset_ + surfaceWidth_ - dimensions_->RightMargin();
    const int bottom = yOffset_ + surfaceHeight_ - dimensions_->BottomMargin();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}
