#pragma once

#include "CycleWorker.h"
#include "LimitCycles.h"
#include "ModelFile.h"
#include "PlaneAnalysis.h"

#include <QObject>
#include <QPolygonF>

#include <functional>
#include <optional>
#include <string>

class QTimer;
class TPhasePlaneGraph;

// The window's phase plane apart from its drawing: the model the plane shows
// (its own compile of the model on screen, so that it can be refreshed
// without touching the run), the moves of parameters since its last figure
// and the tick that turns a drag into at most one figure per kTick. The
// plane works out a figure when it is drawn (TPhasePlaneGraph asks for it),
// so a hidden plane costs nothing and catches up when shown.
//
// The limit cycles of the range shown, and then the separatrices, are
// searched for with the figure but on a worker (TCycleWorker), since a search
// takes far longer than a figure: the plane keeps showing the last ones found
// until the new ones come, and those found for a model, parameter values or range that have changed
// since are dropped, never drawn over those of the newer ones.
//
// A model is given as TModel; of it the plane takes the rows, both rates and
// the densities, which set the box its equilibria are first searched in.
class TPlaneController : public QObject {
    Q_OBJECT

public:
    // The shortest time between two figures worked out for moves.
    static constexpr int kTick = 16; // ms
    // A run has settled onto a stable cycle when its state lies this close to
    // the cycle's line, as a share of the width and height of the box searched.
    static constexpr double kSettled = 1e-3;

    TPlaneController(TPhasePlaneGraph& graph, QObject* parent = nullptr);

    TPlaneAnalysis& Analysis() { return analysis_; }
    TCycleWorker& CycleWorker() { return search_; }

    // Compiles `model` for the plane and draws it again. A model that does
    // not compile leaves the plane empty and throws its error.
    void Refresh(const TModel& model);
    // The same for a model just loaded, quietly: one that does not compile
    // yet shows an empty plane, and Start or Refresh report why.
    void Load(const TModel& model);
    // A run starts or goes on with `model` as it just bound it: the plane
    // shows it (empty should its own compile fail, rather than stop a run
    // that works), and a run that does not go on from where the trajectory
    // ends starts a piece of trajectory of its own at the model's densities.
    void RunStarts(const TModel& model);
    // Nothing to show: the model did not compile.
    void Clear();
    // Reset: no trajectory or sketched orbit, and the axes on what matters
    // of the plane's model (TPlaneAnalysis::Frame) with (n1, n2) the start,
    // grown to the cycles when they come as long as the axes stay so; the
    // equilibria are still looked for in the default box of (n1, n2), grown
    // where nullclines leave it toward a crossing.
    void Reset(double n1, double n2);

    // How long a sketched orbit is followed each way, in the model's time.
    static constexpr double kSketchTime = 100;
    // Sketches the orbit through (n1, n2), forward and backward (by BDF for
    // a stiff model), without a run: kSketchTime each way, or until it goes
    // a view's width or height past the range shown. Sketches follow the
    // model as it changes and the range as it moves, until Reset.
    void Sketch(double n1, double n2, bool stiff);

    // A parameter moved: the plane's model takes the value when it has a
    // parameter of that name, and the plane is drawn again at the next tick;
    // moves within a tick make one figure, of the last value. A plane with
    // no model yet catches up at the tick (OnModelWanted).
    void MoveParameter(const std::string& name, double value);
    // The tick after moves. Public for benchmarks that move without an
    // event loop.
    void Tick();

    // A tick found moves but the plane has no model: the model on screen to
    // take, or none to leave the plane as it is (as during a run, which
    // must not let in texts the run does not have). Not assigned: none.
    std::function<std::optional<TModel>()> OnModelWanted;

    // Asks for the cycles of the plane's model in the range the axes show
    // now (and at least in the box the equilibria are looked for), unless they are known or being
    // searched for already: for a list of them while the plane is hidden and draws no figure.
    void SearchCycles();
    // The cycles of the plane's model as it is now, in the range last
    // searched; none while they are being searched for or when no model is
    // bound.
    const TLimitCycles* Cycles() const { return latest_ ? &cycles_ : nullptr; }
    // The separatrices found with them, as they are shown.
    const std::vector<TSeparatrix>& Separatrices() const { return separatrices_; }
    // The period of the stable cycle the state (n1, n2) lies on (within
    // kSettled), among the cycles of the model as it is now.
    std::optional<double> SettledPeriod(double n1, double n2) const;

signals:
    // Cycles of the model as it is now have come (Cycles()).
    void CyclesFound();

private:
    void Bind(const TModel& model);
    // The model changed: cycles found or searched for until now are stale.
    void ModelChanged();
    void AskCycles(const TPlaneRect& box);
    void CyclesCame(long long number, TLimitCycles found, std::vector<TSeparatrix> separatrices);
    QPolygonF SketchedOrbit(TCompiledModel& model, TCurvePoint start,
                            const TPlaneRect& shown) const;
    void UpdateSketches(const TPlaneRect& shown);
    void ForgetCycles();
    TPlaneRect Shown() const;
    void SetShown(const TPlaneRect& range);
    void FrameCycles();

    TPhasePlaneGraph& graph_;
    TPlaneAnalysis analysis_;
    QTimer* tick_;
    bool dirty_ = false;     // a move since the last figure
    double n1_ = 1, n2_ = 1; // the densities of the model bound

    long long generation_ = 0; // counts the changes of the model
    struct TAsked {
        long long generation;
        TPlaneRect box;
        long long number;
    };
    std::optional<TAsked> asked_;           // the latest search
    TLimitCycles cycles_;                   // the last found, shown until the next come
    std::vector<TSeparatrix> separatrices_; // found with cycles_
    bool sameModel_ = false;                // cycles_ are of the model as it is now
    bool latest_ = false;                   // cycles_ answer the latest search asked
    std::vector<TCurvePoint> sketchStarts_; // the points Ctrl-clicked since Reset
    std::vector<QPolygonF> sketches_;       // their orbits, for sketchedFor_
    struct TSketched {
        long long generation;
        TPlaneRect box;
    };
    std::optional<TSketched> sketchedFor_;
    // The sketches were not drawn for the model now bound and `shown`.
    bool SketchesStale(const TPlaneRect& shown) const;
    bool stiff_ = false;
    std::optional<TPlaneRect> framed_; // the axes as Reset framed them
    TCycleWorker search_;              // last: joined before the rest goes
};
