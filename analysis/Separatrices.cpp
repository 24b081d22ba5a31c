#include "Separatrices.h"

#include "Flow.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace {

// The start beside the saddle, as a share of the box's extent: close enough
// that the manifold is its eigenvector's line there to the integration's
// accuracy.
constexpr double kOffset = 1e-6;
// A separatrix this near (share of the box) an equilibrium has reached it;
// this near a cycle's line, has joined it.
constexpr double kNearEquilibrium = 1e-4;
constexpr double kNearCycle = 1e-3;
// Bounds of the work on one separatrix.
constexpr long kMaxSteps = 20000;
constexpr double kMaxTurns = 20;
// Internal steps between which the path is interpolated for drawing.
constexpr int kPathPieces = 4;

// A unit eigenvector of the Jacobian for the real eigenvalue λ.
TCurvePoint Eigenvector(const TJacobian& j, double lambda) {
    // (J − λ)v = 0: v is across either row; the longer is the better
    // conditioned.
    const TCurvePoint a{j.d1dN2, lambda - j.d1dN1};
    const TCurvePoint b{lambda - j.d2dN2, j.d2dN1};
    const TCurvePoint v = std::hypot(a.n1, a.n2) >= std::hypot(b.n1, b.n2) ? a : b;
    const double length = std::hypot(v.n1, v.n2);
    return length > 0 ? TCurvePoint{v.n1 / length, v.n2 / length} : TCurvePoint{1, 0};
}

double DistanceToPath(const std::vector<TCurvePoint>& path, double n1, double n2) {
    double best = std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < path.size(); ++i) {
        const double a1 = path[i - 1].n1, a2 = path[i - 1].n2;
        const double d1 = path[i].n1 - a1, d2 = path[i].n2 - a2;
        const double length2 = d1 * d1 + d2 * d2;
        const double s =
            std::clamp(length2 > 0 ? ((n1 - a1) * d1 + (n2 - a2) * d2) / length2 : 0.0, 0.0, 1.0);
        best = std::min(best, std::hypot(n1 - a1 - s * d1, n2 - a2 - s * d2));
    }
    return best;
}

class TTracer {
public:
    TTracer(TCompiledModel& model, const TPlaneRect& box, const TEquilibria& equilibria,
            const TSeparatrixOptions& options)
        : model_(model), flow_(model), equilibria_(equilibria), options_(options),
          extent_(box.Extent()) {
        const double m = options.margin * extent_;
        outer_ = {box.n1Min - m, box.n1Max + m, box.n2Min - m, box.n2Max + m};
    }

    // The separatrix from the saddle s along v (a unit vector), followed in
    // `direction` of time.
    TSeparatrix Trace(const TEquilibrium& s, TCurvePoint v, TManifold manifold, int direction);

private:
    // How the separatrix ends at p, or none while it goes on.
    std::optional<TSeparatrixEnd> Ended(const TFlowPoint& p, const TEquilibrium& saddle,
                                        bool away) const;

    TCompiledModel& model_;
    TFlow flow_;
    const TEquilibria& equilibria_;
    const TSeparatrixOptions& options_;
    double extent_;
    TPlaneRect outer_;
};

std::optional<TSeparatrixEnd> TTracer::Ended(const TFlowPoint& p, const TEquilibrium& saddle,
                                             bool away) const {
    if (!(p.n1 >= outer_.n1Min && p.n1 <= outer_.n1Max && p.n2 >= outer_.n2Min &&
          p.n2 <= outer_.n2Max))
        return TSeparatrixEnd::LeftBox;
    for (const TEquilibrium& e : equilibria_.points) {
        // The saddle itself only once the separatrix has been away from it:
        // a loop back into it.
        const bool start = e.n1 == saddle.n1 && e.n2 == saddle.n2;
        if ((!start || away) && std::hypot(p.n1 - e.n1, p.n2 - e.n2) < kNearEquilibrium * extent_)
            return TSeparatrixEnd::Equilibrium;
    }
    const double near = kNearCycle * extent_;
    for (const TLimitCycle& c : options_.cycles)
        if (p.n1 >= c.n1Min - near && p.n1 <= c.n1Max + near && p.n2 >= c.n2Min - near &&
            p.n2 <= c.n2Max + near && DistanceToPath(c.path, p.n1, p.n2) < near)
            return TSeparatrixEnd::Cycle;
    return std::nullopt;
}

TSeparatrix TTracer::Trace(const TEquilibrium& s, TCurvePoint v, TManifold manifold,
                           int direction) {
    TSeparatrix r;
    r.saddleN1 = s.n1;
    r.saddleN2 = s.n2;
    r.manifold = manifold;
    r.path.push_back({s.n1, s.n2});
    const double start1 = s.n1 + kOffset * extent_ * v.n1;
    const double start2 = s.n2 + kOffset * extent_ * v.n2;
    r.path.push_back({start1, start2});
    double r1 = 0, r2 = 0;
    try {
        model_.Rates(start1, start2, r1, r2);
    } catch (...) {
        r.end = TSeparatrixEnd::Failed;
        return r;
    }
    TFlow::TOptions o;
    o.relTol = options_.relTol;
    o.absTol = options_.relTol * 1e-6 * extent_;
    const double speed = std::hypot(r1, r2);
    o.firstStep = speed > 0 ? 1e-2 * kOffset * extent_ / speed : 0;
    flow_.Start(start1, start2, direction, o);
    bool away = false;
    double turning = 0, v1 = r1, v2 = r2;
    double pathT = 0;
    for (long steps = 0; steps < kMaxSteps; ++steps) {
        if (options_.cancel && options_.cancel->load()) break;
        if (flow_.Next() == TFlow::TStop::Failed) {
            r.end = TSeparatrixEnd::Failed;
            return r;
        }
        const TFlowPoint& p = flow_.Point();
        const double from =
            direction > 0 ? std::max(flow_.StepStart(), pathT) : std::min(flow_.StepStart(), pathT);
        for (int k = 1; k < kPathPieces; ++k) {
            const TFlowPoint q = flow_.At(from + (p.t - from) * k / kPathPieces);
            r.path.push_back({q.n1, q.n2});
        }
        r.path.push_back({p.n1, p.n2});
        pathT = p.t;
        away = away || std::hypot(p.n1 - s.n1, p.n2 - s.n2) > 1e2 * kNearEquilibrium * extent_;
        if (const std::optional<TSeparatrixEnd> end = Ended(p, s, away)) {
            r.end = *end;
            return r;
        }
        double w1 = std::numeric_limits<double>::quiet_NaN(), w2 = w1;
        try {
            model_.Rates(p.n1, p.n2, w1, w2);
        } catch (...) {
        }
        // At rest where no equilibrium is listed: one just outside the box.
        if (steps > 100 && std::hypot(w1, w2) * std::fabs(p.t) < 1e-9 * extent_) {
            r.end = TSeparatrixEnd::Equilibrium;
            return r;
        }
        // Winding round and round: onto a cycle that is not given, or into
        // a focus slowly.
        turning += std::atan2(v1 * w2 - v2 * w1, v1 * w1 + v2 * w2);
        if (std::isfinite(w1 + w2)) {
            v1 = w1;
            v2 = w2;
        }
        if (std::fabs(turning) > 2 * std::numbers::pi * kMaxTurns) break;
    }
    r.end = TSeparatrixEnd::Unsettled;
    return r;
}

} // namespace

std::vector<TSeparatrix> FindSeparatrices(TCompiledModel& model, const TPlaneRect& box,
                                          const TEquilibria& equilibria,
                                          const TSeparatrixOptions& options) {
    std::vector<TSeparatrix> found;
    if (!box.IsValid() || !model.IsCompiled()) return found;
    const double keep1 = model.StoredN1(), keep2 = model.StoredN2();
    TTracer tracer(model, box, equilibria, options);
    for (const TEquilibrium& e : equilibria.points) {
        if (e.stability.kind != TEquilibriumKind::Saddle) continue;
        if (e.n1 < box.n1Min || e.n1 > box.n1Max || e.n2 < box.n2Min || e.n2 > box.n2Max) continue;
        const double stable = e.stability.lambda1.real(), unstable = e.stability.lambda2.real();
        for (const TManifold m : {TManifold::Stable, TManifold::Unstable}) {
            const TCurvePoint v =
                Eigenvector(e.jacobian, m == TManifold::Stable ? stable : unstable);
            for (const double side : {1.0, -1.0}) {
                if (options.cancel && options.cancel->load()) break;
                found.push_back(tracer.Trace(e, {side * v.n1, side * v.n2}, m,
                                             m == TManifold::Stable ? -1 : 1));
            }
        }
    }
    model.Store(keep1, keep2);
    return found;
}
