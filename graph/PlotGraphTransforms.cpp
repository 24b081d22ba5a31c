// Axis values to pixels and back, on the surface being drawn.
#include "Axis.h"
#include "AxisTransform.h"
#include "Dimensions.h"
#include "PlotGraph.h"

#include <algorithm>
#include <cmath>

TAxisTransform TAxisTransform::Of(const TAxis& axis, int edge) {
    const bool rows = axis.AxisKind() != TAxis::Kind::X;
    TAxisTransform m;
    m.Log = axis.LogScale();
    const double origin = rows ? axis.Max() : axis.Min();
    m.Origin = m.Log ? std::log(origin) : origin;
    m.Scale = rows ? -axis.PixelScale() : axis.PixelScale();
    m.Edge = edge;
    return m;
}

TAxisTransform TPlotGraph::Transform(const TAxis& axis) const {
    const QRect plot = PlotRect();
    return TAxisTransform::Of(axis, axis.AxisKind() == TAxis::Kind::X ? plot.left() : plot.top());
}

int TPlotGraph::ToPixel(const TAxis& axis, double v) const {
    return Transform(axis)(v);
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
    return Transform(*xAxis_).Value(p);
}
double TPlotGraph::PixelToY(int p) const {
    return Transform(*yAxis_).Value(p);
}
double TPlotGraph::PixelToY2(int p) const {
    return Transform(*yAxis2_).Value(p);
}

QMargins TPlotGraph::PlotMargins() const {
    const TDimensions& d = *dimensions_;
    return QMargins(std::max<int>(d.LeftMargin(), labelRoom_.left()),
                    std::max<int>(d.TopMargin(), labelRoom_.top()),
                    std::max<int>(d.RightMargin(), labelRoom_.right()),
                    std::max<int>(d.BottomMargin(), labelRoom_.bottom()));
}

QRect TPlotGraph::PlotRect() const {
    const QMargins m = PlotMargins();
    const int left = xOffset_ + m.left();
    const int top = yOffset_ + m.top();
    const int right = xOffset_ + surfaceWidth_ - m.right();
    const int bottom = yOffset_ + surfaceHeight_ - m.bottom();
    return QRect(QPoint(left, top), QPoint(right, bottom));
}
