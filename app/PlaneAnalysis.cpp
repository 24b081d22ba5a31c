#include "PlaneAnalysis.h"

#include "PhasePlane.h"
#include "PlaneFrame.h"

#include <algorithm>
#include <cmath>

namespace {

// About this many arrows, whatever the plot's shape.
constexpr double kArrows = 400;

TPlaneMarkerShape ShapeOf(TEquilibriumKind kind) {
    switch (kind) {
    case TEquilibriumKind::StableNode:
    case TEquilibriumKind::StableFocus:
        return TPlaneMarkerShape::FilledDisc;
    case TEquilibriumKind::UnstableNode:
    case TEquilibriumKind::UnstableFocus:
        return TPlaneMarkerShape::OpenCircle;
    case TEquilibriumKind::Saddle:
        return TPlaneMarkerShape::Cross;
    case TEquilibriumKind::Centre:
        return TPlaneMarkerShape::RingWithDot;
    case TEquilibriumKind::Degenerate:
        break;
    }
    return TPlaneMarkerShape::Diamond;
}

QString Short(double v) {
    return QString::number(v + 0.0, 'g', 6);
}

QString ComplexText(std::complex<double> z) {
    if (z.imag() == 0) return Short(z.real());
    const QString im = Short(std::fabs(z.imag())) + QStringLiteral("i");
    const QString sign = z.imag() < 0 ? QString::fromUtf8(" \u2212 ") : QStringLiteral(" + ");
    return z.real() == 0 ? (z.imag() < 0 ? QString::fromUtf8("\u2212") : QString()) + im
                         : Short(z.real()) + sign + im;
}

QString TipOf(const TEquilibrium& e) {
    return QStringLiteral("N1 = %1, N2 = %2\n").arg(Short(e.n1), Short(e.n2)) +
           QString::fromUtf8("\u03bb1 = ") + ComplexText(e.stability.lambda1) +
           QString::fromUtf8("\n\u03bb2 = ") + ComplexText(e.stability.lambda2) +
           QStringLiteral("\n") + QString::fromLatin1(KindName(e.stability.kind));
}

} // namespace

const std::vector<std::string> kEquilibriumColumns = {"N1",  "N2",  "re1", "im1",
                                                      "re2", "im2", "kind"};

std::vector<std::string> EquilibriumFields(const TEquilibrium& e,
                                           std::string (*number)(double value)) {
    const TStability& s = e.stability;
    return {number(e.n1),
            number(e.n2),
            number(s.lambda1.real()),
            number(s.lambda1.imag()),
            number(s.lambda2.real()),
            number(s.lambda2.imag()),
            KindName(s.kind)};
}

void TPlaneAnalysis::Bind(std::vector<ParameterRow> rows, const std::string& rate1,
                          const std::string& rate2, double N1, double N2) {
    Clear();
    model_.Compile(rows, rate1, rate2, N1, N2);
    box_ = DefaultBox(N1, N2);
}

bool TPlaneAnalysis::MoveParameter(const std::string& name, double value) {
    const int index = model_.ParameterIndex(name);
    if (!IsBound() || index < 0) return false;
    model_.SetParameter(std::size_t(index), value);
    inBox_.reset();
    visible_.reset();
    return true;
}

void TPlaneAnalysis::Clear() {
    model_.Clear();
    inBox_.reset();
    visible_.reset();
}

TPlaneFigure TPlaneAnalysis::Figure(const TPhasePlaneGraph::TFigureRequest& request) {
    TPlaneFigure figure;
    visible_.reset();
    const TPlaneRect rect{request.n1Min, request.n1Max, request.n2Min, request.n2Max};
    const QSize plot = request.plot;
    if (!IsBound() || !rect.IsValid() || plot.width() < 1 || plot.height() < 1) return figure;

    ++figures_;
    TPhasePlaneOptions options;
    options.scale = {plot.width() / rect.Width(), plot.height() / rect.Height()};
    const double cell = std::sqrt(double(plot.width()) * plot.height() / kArrows);
    options.fieldColumns = std::max(1, int(std::lround(plot.width() / cell)));
    options.fieldRows = std::max(1, int(std::lround(plot.height() / cell)));
    const TPhasePlane plane = AnalysePlane(model_, rect, options);

    for (std::size_t which = 0; which < 2; ++which) {
        std::vector<QLineF> pieces;
        pieces.reserve(plane.nullclines.segments[which].size());
        for (const TSegment& s : plane.nullclines.segments[which])
            pieces.emplace_back(s.n1a, s.n2a, s.n1b, s.n2b);
        figure.nullclines[which] = ChainSegments(pieces);
    }
    for (const TArrow& a : plane.field)
        figure.arrows.push_back({QPointF(a.n1, a.n2), QPointF(a.dx, a.dy)});
    visible_ = plane.equilibria;
    visibleRect_ = rect;
    for (const TEquilibrium& e : Equilibria().points)
        figure.markers.push_back({QPointF(e.n1, e.n2), ShapeOf(e.stability.kind), TipOf(e)});
    return figure;
}

TEquilibria TPlaneAnalysis::Equilibria() {
    if (!IsBound()) {
        TEquilibria none;
        none.error = kNoModel;
        return none;
    }
    if (!inBox_) inBox_ = FindEquilibriaGrowing(model_, box_);
    if (!visible_) return *inBox_;
    TEquilibria all =
        MergeEquilibria(*visible_, *inBox_, std::max(inBox_->box.Extent(), visibleRect_.Extent()));
    all.box = inBox_->box;
    return all;
}

TPlaneRect TPlaneAnalysis::Frame(double n1, double n2) {
    if (!IsBound()) return DefaultBox(n1, n2);
    const TEquilibria found = Equilibria();
    const TPlaneRect box = found.error.empty() && found.box.IsValid() ? found.box : box_;
    std::vector<TCurvePoint> points = NullclineIntercepts(model_, box);
    for (const TEquilibrium& e : found.points)
        if (e.n1 >= box.n1Min && e.n1 <= box.n1Max && e.n2 >= box.n2Min && e.n2 <= box.n2Max)
            points.push_back({e.n1, e.n2});
    points.push_back({n1, n2});
    return FrameAround(points);
}
