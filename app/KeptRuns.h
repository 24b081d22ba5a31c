#pragma once

#include "Color.h"
#include "CurvesCsv.h"

#include <vector>

class TPlotGraph;
class TPhasePlaneGraph;

// One run kept: its rows as Export data writes them and the pieces of its
// trajectory in the phase plane.
struct TKeptRun {
    std::vector<TCurveRow> rows;
    std::vector<TCurve> plane;
};

// Runs kept for comparison: the curves of the run on show, drawn in a lighter
// shade of their colours under the runs that follow until cleared, and
// exported beside them. A kept curve is a series numbered below every series
// of the window (below 0), so that it is drawn first and a Reset, a new
// trajectory or the observed data leave it alone; it has no legend entry and
// no point limit.
class TKeptRuns {
public:
    TKeptRuns(TPlotGraph& timePlot, TPhasePlaneGraph& plane) : timePlot_(timePlot), plane_(plane) {}

    // Keeps the run: its rows (time, N1, N2; a NaN density has no point) and
    // the trajectory pieces on show in the plane. A run without rows is not
    // kept (false).
    bool Keep(std::vector<TCurveRow> rows, TColor color1, TColor color2, TColor planeColor);
    void Clear();
    const std::vector<TKeptRun>& Runs() const { return runs_; }
    // Each run's rows, as Export data writes them beside the present run's.
    std::vector<std::vector<TCurveRow>> Rows() const;
    // The species' colours, or the trajectory's, changed: the shades follow.
    void SetColors(TColor color1, TColor color2, TColor planeColor);

    // The series numbers of run k (from 0): species 1 and 2 in the time
    // plot, and piece p of the plane.
    static int TimeSeries(std::size_t k, int species) { return -2 * int(k) - species; }
    static int PlaneSeries(std::size_t k, std::size_t p) {
        return -int(k) * kPiecesPerRun - int(p) - 1;
    }
    // A lighter shade of a colour, halfway to white.
    static TColor Lighter(TColor color);

private:
    static constexpr int kPiecesPerRun = 100000;

    TPlotGraph& timePlot_;
    TPhasePlaneGraph& plane_;
    std::vector<TKeptRun> runs_;
};
