#include "KeptRuns.h"

#include "PhasePlaneGraph.h"
#include "QtColor.h"
#include "Series.h"

#include <cmath>

namespace {

// A curve drawn as a backdrop: a plain line, no symbols, nothing to ask.
void FillBackdrop(TSeries& series, const TCurve& points, TColor color) {
    series.SetHold(true);
    series.Clear();
    // A trajectory turns back in N1: its points stay in the order they came.
    series.SetTimeOrder(true);
    series.SetPointLimit(0);
    series.SetShowInLegend(le_None);
    series.SetShowPoints(false);
    series.SetShowLine(true);
    series.SetLineStyle(0);
    series.SetLineColor(color);
    series.SetPointColor(color);
    for (const auto& [x, y] : points)
        series.AddPoint(x, y);
    series.SetHold(false);
}

TCurve Column(const std::vector<TCurveRow>& rows, double TCurveRow::*density) {
    TCurve curve;
    for (const TCurveRow& row : rows)
        if (!std::isnan(row.*density)) curve.emplace_back(row.t, row.*density);
    return curve;
}

} // namespace

TColor TKeptRuns::Lighter(TColor color) {
    const QColor c = ToQColor(color);
    return RGB((c.red() + 255) / 2, (c.green() + 255) / 2, (c.blue() + 255) / 2);
}

bool TKeptRuns::Keep(std::vector<TCurveRow> rows, TColor color1, TColor color2, TColor planeColor) {
    if (rows.empty()) return false;
    TKeptRun run;
    run.rows = std::move(rows);
    for (const auto& s : plane_.SeriesList()) {
        if (s->Number() <= TPhasePlaneGraph::kObservedSeries || s->Points().empty()) continue;
        TCurve piece;
        for (const TDataPoint& p : s->Points())
            piece.emplace_back(p.X, p.Y);
        run.plane.push_back(std::move(piece));
        if (run.plane.size() == std::size_t(kPiecesPerRun)) break;
    }
    runs_.push_back(std::move(run));
    SetColors(color1, color2, planeColor);
    return true;
}

std::vector<std::vector<TCurveRow>> TKeptRuns::Rows() const {
    std::vector<std::vector<TCurveRow>> rows;
    for (const TKeptRun& run : runs_)
        rows.push_back(run.rows);
    return rows;
}

void TKeptRuns::Clear() {
    runs_.clear();
    for (TPlotGraph* graph : {&timePlot_, static_cast<TPlotGraph*>(&plane_)})
        graph->DeleteSeries(
            [](const TSeries& s) { return s.Number() < TPhasePlaneGraph::kObservedSeries; });
}

void TKeptRuns::SetColors(TColor color1, TColor color2, TColor planeColor) {
    for (std::size_t k = 0; k < runs_.size(); ++k) {
        const TKeptRun& run = runs_[k];
        FillBackdrop(timePlot_.GetSeries(TimeSeries(k, 1)), Column(run.rows, &TCurveRow::N1),
                     Lighter(color1));
        FillBackdrop(timePlot_.GetSeries(TimeSeries(k, 2)), Column(run.rows, &TCurveRow::N2),
                     Lighter(color2));
        for (std::size_t p = 0; p < run.plane.size(); ++p)
            FillBackdrop(plane_.GetSeries(PlaneSeries(k, p)), run.plane[p], Lighter(planeColor));
    }
}
