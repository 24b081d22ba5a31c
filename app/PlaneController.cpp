#include "PlaneController.h"

#include "Axis.h"
#include "LimitCycleText.h"
#include "OrbitSketch.h"
#include "PhasePlaneGraph.h"
#include "PlaneFrame.h"
#include "Series.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

std::vector<TPlaneCycle> DrawnCycles(const TLimitCycles& found) {
    std::vector<TPlaneCycle> drawn;
    for (const TLimitCycle& c : found.cycles) {
        TPlaneCycle& d = drawn.emplace_back();
        d.path.reserve(qsizetype(c.path.size()));
        for (const TCurvePoint& p : c.path)
            d.path << QPointF(p.n1, p.n2);
        d.dashed = c.kind != TCycleKind::Stable;
        d.tip = CycleTip(c);
    }
    return drawn;
}

std::vector<TPlaneSeparatrix> DrawnSeparatrices(const std::vector<TSeparatrix>& found) {
    std::vector<TPlaneSeparatrix> drawn;
    for (const TSeparatrix& s : found) {
        TPlaneSeparatrix& d = drawn.emplace_back();
        d.path.reserve(qsizetype(s.path.size()));
        for (const TCurvePoint& p : s.path)
            d.path << QPointF(p.n1, p.n2);
        d.stable = s.manifold == TManifold::Stable;
    }
    return drawn;
}

// The distance from p to a path, with N1 and N2 in units of the width and
// height of a box.
double DistanceToPath(const std::vector<TCurvePoint>& path, TCurvePoint p, const TPlaneRect& box) {
    const auto scaled = [&](TCurvePoint q) {
        return std::pair{(q.n1 - box.n1Min) / box.Width(), (q.n2 - box.n2Min) / box.Height()};
    };
    const auto [px, py] = scaled(p);
    double best = INFINITY;
    for (std::size_t i = 1; i < path.size(); ++i) {
        const auto [ax, ay] = scaled(path[i - 1]);
        const auto [bx, by] = scaled(path[i]);
        const double dx = bx - ax, dy = by - ay, length2 = dx * dx + dy * dy;
        const double share =
            length2 > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length2, 0.0, 1.0) : 0;
        best = std::min(best, std::hypot(px - ax - share * dx, py - ay - share * dy));
    }
    return best;
}

} // namespace

TPlaneController::TPlaneController(TPhasePlaneGraph& graph, QObject* parent)
    : QObject(parent), graph_(graph), tick_(new QTimer(this)) {
    // Not restarted by each move, so a steady drag still redraws every tick.
    tick_->setSingleShot(true);
    tick_->setInterval(kTick);
    connect(tick_, &QTimer::timeout, this, &TPlaneController::Tick);
    graph_.OnFigureNeeded = [this](const TPhasePlaneGraph::TFigureRequest& request) {
        TPlaneFigure figure = analysis_.Figure(request);
        const TPlaneRect shown{request.n1Min, request.n1Max, request.n2Min, request.n2Max};
        AskCycles(shown);
        figure.cycles = DrawnCycles(cycles_);
        figure.separatrices = DrawnSeparatrices(separatrices_);
        // Orbits of the model as it is now, through the range shown.
        if (SketchesStale(shown)) UpdateSketches(shown);
        figure.sketches = sketches_;
        return figure;
    };
    search_.OnResult = [this](long long number, TLimitCycles found,
                              std::vector<TSeparatrix> separatrices) {
        CyclesCame(number, std::move(found), std::move(separatrices));
    };
}

void TPlaneController::ModelChanged() {
    ++generation_;
    sameModel_ = latest_ = false;
    search_.Cancel();
}

void TPlaneController::Bind(const TModel& model) {
    ModelChanged();
    n1_ = model.N1;
    n2_ = model.N2;
    try {
        analysis_.Bind(model.rows, model.rate1, model.rate2, model.N1, model.N2);
    } catch (...) {
        // Nothing to show: the cycles of the model before go too.
        ForgetCycles();
        throw;
    }
}

void TPlaneController::AskCycles(const TPlaneRect& shown) {
    TPlaneRect box = shown;
    TEquilibria equilibria;
    if (analysis_.IsBound()) {
        // The range shown before a run frames the equilibria tightly; a
        // cycle round them reaches farther, and should be found all the same.
        equilibria = analysis_.Equilibria();
        if (equilibria.error.empty() && equilibria.box.IsValid() && box.IsValid())
            box = Spanning(box, equilibria.box);
    }
    if (!analysis_.IsBound() || !box.IsValid()) {
        cycles_ = {};
        separatrices_ = {};
        latest_ = false;
        asked_.reset();
        return;
    }
    if (asked_ && asked_->generation == generation_ && asked_->box == box) return;
    latest_ = false;
    TCycleWorker::TRequest request;
    request.model = analysis_.CloneModel();
    request.box = box;
    request.equilibria = std::move(equilibria);
    // Where the run is now: the cycle it winds onto is the one to find first.
    TCurvePoint state{n1_, n2_};
    if (!graph_.SeriesList().empty() && !graph_.SeriesList().back()->Points().empty() &&
        graph_.SeriesList().back()->Number() > TPhasePlaneGraph::kObservedSeries) {
        const TDataPoint& last = graph_.SeriesList().back()->Points().back();
        state = {last.X, last.Y};
    }
    request.options.seeds = {state};
    asked_ = TAsked{generation_, box, search_.Ask(std::move(request))};
}

void TPlaneController::SearchCycles() {
    AskCycles(Shown());
}

void TPlaneController::ForgetCycles() {
    cycles_ = {};
    separatrices_ = {};
    graph_.SetCycles({});
    graph_.SetSeparatrices({});
}

void TPlaneController::CyclesCame(long long number, TLimitCycles found,
                                  std::vector<TSeparatrix> separatrices) {
    if (found.cancelled || !asked_ || asked_->number != number || asked_->generation != generation_)
        return;
    cycles_ = std::move(found);
    separatrices_ = std::move(separatrices);
    sameModel_ = latest_ = true;
    FrameCycles();
    graph_.SetCycles(DrawnCycles(cycles_));
    graph_.SetSeparatrices(DrawnSeparatrices(separatrices_));
    emit CyclesFound();
}

std::optional<double> TPlaneController::SettledPeriod(double n1, double n2) const {
    if (!sameModel_ || !cycles_.box.IsValid()) return std::nullopt;
    for (const TLimitCycle& c : cycles_.cycles)
        if (c.kind == TCycleKind::Stable &&
            DistanceToPath(c.path, {n1, n2}, cycles_.box) <= kSettled)
            return c.period;
    return std::nullopt;
}

void TPlaneController::Refresh(const TModel& model) {
    dirty_ = false;
    try {
        Bind(model);
    } catch (...) {
        graph_.InvalidateFigure();
        throw;
    }
    graph_.InvalidateFigure();
}

void TPlaneController::Load(const TModel& model) {
    try {
        Refresh(model);
    } catch (const std::exception&) {
    }
}

void TPlaneController::RunStarts(const TModel& model) {
    try {
        Bind(model);
    } catch (const std::exception&) {
        // Bind left the plane empty.
    }
    dirty_ = false;
    graph_.InvalidateFigure();
    TSeries* piece = &graph_.Trajectory();
    const auto& points = piece->Points();
    if (!points.empty() && points.back().X == model.N1 && points.back().Y == model.N2) return;
    if (!points.empty()) piece = &graph_.StartTrajectory();
    piece->AddPoint(model.N1, model.N2);
}

void TPlaneController::Clear() {
    ModelChanged();
    analysis_.Clear();
    ForgetCycles();
    dirty_ = false;
    graph_.InvalidateFigure();
}

void TPlaneController::Reset(double n1, double n2) {
    graph_.ClearTrajectories();
    sketchStarts_.clear();
    sketches_.clear();
    graph_.SetSketches({});
    SetShown(analysis_.Frame(n1, n2));
}

TPlaneRect TPlaneController::Shown() const {
    return {graph_.XAxis().Min(), graph_.XAxis().Max(), graph_.YAxis().Min(), graph_.YAxis().Max()};
}

void TPlaneController::FrameCycles() {
    // Only while the axes are as Reset framed them: not after a run or a zoom.
    if (!framed_ || *framed_ != Shown()) return;
    TPlaneRect frame = *framed_;
    for (const TLimitCycle& c : cycles_.cycles) {
        frame = Spanning(frame, FrameAround({{c.n1Min, c.n2Min}, {c.n1Max, c.n2Max}}));
    }
    if (frame == *framed_) return;
    SetShown(frame);
}

void TPlaneController::SetShown(const TPlaneRect& range) {
    framed_ = range;
    TAxis& x = graph_.XAxis();
    x.SetMin(range.n1Min);
    x.SetMax(range.n1Max);
    x.SetAutoSizing(true);
    TAxis& y = graph_.YAxis();
    y.SetMin(range.n2Min);
    y.SetMax(range.n2Max);
    y.SetAutoSizing(true);
}

void TPlaneController::Sketch(double n1, double n2, bool stiff) {
    if (!analysis_.IsBound()) return;
    stiff_ = stiff;
    sketchStarts_.push_back({n1, n2});
    const TPlaneRect shown = Shown();
    if (SketchesStale(shown)) {
        UpdateSketches(shown);
    } else {
        const std::unique_ptr<TCompiledModel> model = analysis_.CloneModel();
        sketches_.push_back(SketchedOrbit(*model, sketchStarts_.back(), shown));
    }
    graph_.SetSketches(sketches_);
}

QPolygonF TPlaneController::SketchedOrbit(TCompiledModel& model, TCurvePoint start,
                                          const TPlaneRect& shown) const {
    TSketchOptions options;
    options.duration = kSketchTime;
    options.stiff = stiff_;
    // Generous, so that an orbit that leaves the view and comes back is
    // drawn whole, yet bounded for one that runs away.
    options.bounds = {shown.n1Min - shown.Width(), shown.n1Max + shown.Width(),
                      shown.n2Min - shown.Height(), shown.n2Max + shown.Height()};
    QPolygonF line;
    for (const TCurvePoint& p : SketchOrbit(model, start.n1, start.n2, options))
        line << QPointF(p.n1, p.n2);
    return line;
}

bool TPlaneController::SketchesStale(const TPlaneRect& shown) const {
    return !sketchedFor_ || sketchedFor_->generation != generation_ || sketchedFor_->box != shown;
}

void TPlaneController::UpdateSketches(const TPlaneRect& shown) {
    sketchedFor_ = TSketched{generation_, shown};
    sketches_.clear();
    if (sketchStarts_.empty() || !analysis_.IsBound()) return;
    const std::unique_ptr<TCompiledModel> model = analysis_.CloneModel();
    for (const TCurvePoint& start : sketchStarts_)
        sketches_.push_back(SketchedOrbit(*model, start, shown));
}

void TPlaneController::MoveParameter(const std::string& name, double value) {
    if (!analysis_.IsBound()) {
        dirty_ = true;
    } else if (analysis_.MoveParameter(name, value)) {
        ModelChanged();
        dirty_ = true;
    }
    if (dirty_ && !tick_->isActive()) tick_->start();
}

void TPlaneController::Tick() {
    if (!dirty_) return;
    dirty_ = false;
    if (!analysis_.IsBound()) {
        const std::optional<TModel> model = OnModelWanted ? OnModelWanted() : std::nullopt;
        if (!model) return;
        try {
            Bind(*model);
        } catch (const std::exception&) {
            return;
        }
    }
    graph_.InvalidateFigure();
}
