#pragma once

#include "PlaneFigure.h"
#include "PlaneFigurePainter.h"
#include "PlotGraph.h"

#include <QSize>

#include <functional>
#include <utility>
#include <vector>

// A phase plane: a graph of N2 (vertical) against N1 (horizontal) on the
// same axes, painters and output as any graph, whose series are the
// trajectories of runs, drawn in the order their points came, and whose
// overlay shows the figure of the model (nullclines, direction field,
// equilibria, limit cycles, separatrices, sketched orbits) over the visible
// range. A plain click in the plot asks for a run from the point clicked, a
// Ctrl-click for an orbit sketched through it; hovering over an equilibrium or a
// limit cycle tells what it is.
class TPhasePlaneGraph : public TPlotGraph {
    Q_OBJECT

public:
    explicit TPhasePlaneGraph(QWidget* parent = nullptr);

    // What a figure is worked out for: the visible range, and the plot's size
    // in pixels at draw scale 1, since a direction field is laid out on the
    // screen.
    struct TFigureRequest {
        double n1Min = 0, n1Max = 1, n2Min = 0, n2Max = 1;
        QSize plot;
    };
    // Works out the figure for a request. A full draw calls it when its range
    // differs from the last figure's, or its plot size by more than rounding
    // (a zoom, a resize, axes grown with a trajectory, a bitmap of another
    // size), and after InvalidateFigure. Unassigned: trajectories only.
    std::function<TPlaneFigure(const TFigureRequest& request)> OnFigureNeeded;
    // The model changed: the next full draw works the figure out again.
    // Repaints when plotting.
    void InvalidateFigure();
    const TPlaneFigure& Figure() const { return figure_; }

    const TPlaneLook& Look() const { return look_; }
    // Species `which`'s colour (0 or 1), that of its nullcline; the
    // trajectories, cycles and separatrices take colours apart from both.
    void SetNullclineColor(int which, TColor color);
    void SetShowField(bool show);
    void SetShowCycles(bool show);
    void SetShowSeparatrices(bool show);
    // The limit cycles to show from now on, in place of the figure's: they
    // are worked out apart from it and may come later.
    void SetCycles(std::vector<TPlaneCycle> cycles);
    // The same for the separatrices, which come with the cycles, and for the
    // orbits sketched.
    void SetSeparatrices(std::vector<TPlaneSeparatrix> separatrices);
    void SetSketches(std::vector<QPolygonF> sketches);

    // The trajectory a run appends to: the last piece, made when there is
    // none. Each piece is a series of its own, so that a run started
    // elsewhere is not joined to the one before.
    TSeries& Trajectory();
    // A new, empty piece after the others. The piece before lets go of its
    // hold (drawing what it held); the new one is held if it was.
    TSeries& StartTrajectory();
    void ClearTrajectories();
    TColor TrajectoryColor() const { return look_.trajectoryColor; }

    // Observed states (N1 and N2 counted at one time), drawn as symbols and
    // never joined: the series before every trajectory, which the
    // trajectories' commands leave alone, as they leave the series numbered
    // below it (drawn under everything else). Empty when nothing is observed.
    static constexpr int kObservedSeries = 0;
    void SetObserved(const std::vector<std::pair<double, double>>& points, TColor color);
    const TSeries* Observed() const { return FindSeries(kObservedSeries); }

    // A plain click (left button, no key, hardly moved) inside the plot: the
    // point of the plane under it.
    std::function<void(double n1, double n2)> OnPlaneClick;
    // The same with Ctrl held. Assigned, it takes the place of the graph's
    // own Ctrl-press (OnWantDesigner).
    std::function<void(double n1, double n2)> OnPlaneCtrlClick;

    // The equilibrium marker at a position of the widget, if one is there.
    const TPlaneMarker* MarkerAt(QPoint position) const;
    // The limit cycle whose line passes within a few pixels of a position of
    // the plot, if cycles are shown and one does.
    const TPlaneCycle* CycleAt(QPoint position) const;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintFigure(TGraphCanvas& canvas, bool overSeries);
    TSeries& NewPiece(int number);
    bool HasTrajectory() const;
    void UpdateColors();

    TPlaneFigure figure_;
    TFigureRequest shown_;
    bool figureValid_ = false;
    TPlaneLook look_;
    bool clicking_ = false;
    bool ctrlClicking_ = false;
    QPoint clickStart_;
};
