#include "PlaneController.h"

#include "Axis.h"
#include "PhasePlaneGraph.h"
#include "Series.h"

#include <QTimer>

TPlaneController::TPlaneController(TPhasePlaneGraph& graph, QObject* parent)
    : QObject(parent), graph_(graph), tick_(new QTimer(this)) {
    // Not restarted by each move, so a steady drag still redraws every tick.
    tick_->setSingleShot(true);
    tick_->setInterval(kTick);
    connect(tick_, &QTimer::timeout, this, &TPlaneController::Tick);
    graph_.OnFigureNeeded = [this](const TPhasePlaneGraph::TFigureRequest& request) {
        return analysis_.Figure(request);
    };
}

void TPlaneController::Bind(const TModel& model) {
    analysis_.Bind(model.rows, model.rate1, model.rate2, model.N1, model.N2);
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
    analysis_.Clear();
    dirty_ = false;
    graph_.InvalidateFigure();
}

void TPlaneController::Reset(double n1, double n2) {
    graph_.ClearTrajectories();
    TPlaneRect box = DefaultBox(n1, n2);
    if (analysis_.IsBound()) {
        const TEquilibria found = analysis_.Equilibria();
        if (found.error.empty() && found.box.IsValid()) box = found.box;
    }
    TAxis& x = graph_.XAxis();
    x.SetMin(box.n1Min);
    x.SetMax(box.n1Max);
    x.SetAutoSizing(true);
    TAxis& y = graph_.YAxis();
    y.SetMin(box.n2Min);
    y.SetMax(box.n2Max);
    y.SetAutoSizing(true);
}

void TPlaneController::MoveParameter(const std::string& name, double value) {
    if (!analysis_.IsBound() || analysis_.MoveParameter(name, value)) dirty_ = true;
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
