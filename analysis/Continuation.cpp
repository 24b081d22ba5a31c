#include "Continuation.h"

#include "ArclengthSteps.h"
#include "Equilibria.h"
#include "FloatText.h"
#include "LimitCycles.h"
#include "Lyapunov.h"
#include "RateGrid.h"
#include "Stability.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <functional>
#include <limits>
#include <numbers>
#include <optional>

const char* ObjectName(TBranchObject object) {
    return object == TBranchObject::Cycle ? "cycle" : "equilibrium";
}

const char* SpecialLabel(TSpecialPoint point) {
    switch (point) {
    case TSpecialPoint::None:
        return "";
    case TSpecialPoint::Fold:
        return "fold";
    case TSpecialPoint::BranchPoint:
        return "branch point";
    case TSpecialPoint::HopfSupercritical:
        return "hopf supercritical";
    case TSpecialPoint::HopfSubcritical:
        return "hopf subcritical";
    case TSpecialPoint::CycleFold:
        return "cycle fold";
    case TSpecialPoint::Homoclinic:
        return "homoclinic";
    }
    return "";
}

namespace {

using TVec = TArcVec<3>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Newton's method on the bordered system: converged when the correction is
// below this (scaled), given up after kNewtonIterations.
constexpr double kNewtonTolerance = 1e-12;
constexpr int kNewtonIterations = 12;
// Special points are located to this share of the parameter (relative).
constexpr double kLocateShare = 1e-10;
// Bounds of the work.
constexpr int kMaxBranches = 64;
constexpr int kMaxSteps = 20000;
// How far past a branch point the other branch is looked for (scaled).
constexpr double kSwitchDistance = 1e-3;

// Whether the rates fault (or are not finite) all over the box, as far as a
// coarse grid shows.
bool Undefined(TCompiledModel& model, const TPlaneRect& box) {
    constexpr int kProbes = 5;
    for (int i = 0; i < kProbes; ++i)
        for (int j = 0; j < kProbes; ++j) {
            const double n1 = box.n1Min + box.Width() * (i + 0.5) / kProbes;
            const double n2 = box.n2Min + box.Height() * (j + 0.5) / kProbes;
            if (std::isfinite(SafeRate(model, 0, n1, n2) + SafeRate(model, 1, n1, n2)))
                return false;
        }
    return true;
}

TVec Cross(const TVec& a, const TVec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// A point of a branch in scaled coordinates (N1 and N2 over the box's
// extent, the parameter over the range's width) with what the model says
// there.
struct TPoint {
    TVec y{};
    double rate[2] = {};
    TJacobian j;
    double fp[2] = {}; // the rates' derivatives in the parameter
    TVec tangent{};    // along the branch, of length 1
    double det() const { return j.d1dN1 * j.d2dN2 - j.d1dN2 * j.d2dN1; }
    double trace() const { return j.d1dN1 + j.d2dN2; }
    double size() const {
        return std::max(
            {std::fabs(j.d1dN1), std::fabs(j.d1dN2), std::fabs(j.d2dN1), std::fabs(j.d2dN2)});
    }
};

class TContinuer {
public:
    TContinuer(TCompiledModel& model, std::size_t parameter, const TContinuationOptions& options)
        : model_(model), parameter_(parameter), options_(options), scaleN_(options.box.Extent()),
          scaleP_(std::fabs(options.to - options.from)) {
        lo_ = std::min(options.from, options.to);
        hi_ = std::max(options.from, options.to);
    }

    void Run(TContinuation& result);

private:
    double N1(const TVec& y) const { return y[0] * scaleN_; }
    double N2(const TVec& y) const { return y[1] * scaleN_; }
    double P(const TVec& y) const { return y[2] * scaleP_; }

    // The model at y: rates, Jacobian, derivatives in the parameter, and the
    // tangent (the kernel of the rates' derivative), oriented along `along`.
    bool Evaluate(TPoint& x, const TVec& along);
    // Newton's method from `guess` on the rates = 0 and the plane through
    // `on` across `normal`.
    std::optional<TPoint> Correct(const TVec& guess, const TVec& on, const TVec& normal,
                                  const TVec& along);
    // Follows the branch from `start` along its tangent.
    // A branch found beside a branch point begins at the point.
    void Follow(TPoint start, const std::optional<TPoint>& from, TContinuation& result);
    // The point between a and b (b a step of h from a) where `test` is 0.
    std::optional<TPoint> Locate(const TPoint& a, double h,
                                 const std::function<double(const TPoint&)>& test);
    TBranchRow Row(const TPoint& x, TSpecialPoint label = TSpecialPoint::None) const;
    bool Known(const TPoint& x) const;
    void StartOtherBranch(const TPoint& bp);
    std::string Stopped(const TPoint& x, const std::string& why) const;

    bool Inside(const TVec& y) const {
        const TPlaneRect& b = options_.box;
        const double n1 = N1(y), n2 = N2(y), p = P(y);
        const double border = kBorderShare * scaleN_;
        return n1 >= b.n1Min - border && n1 <= b.n1Max + border && n2 >= b.n2Min - border &&
               n2 <= b.n2Max + border && p >= lo_ - 1e-12 * scaleP_ && p <= hi_ + 1e-12 * scaleP_;
    }

    TCompiledModel& model_;
    std::size_t parameter_;
    const TContinuationOptions& options_;
    double scaleN_, scaleP_;
    double lo_, hi_;
    // Where branches start: an equilibrium at an end of the range, or a point
    // of the other branch beside a branch point (`crossing`) of a branch
    // followed.
    struct TStart {
        TPoint x;
        std::optional<TPoint> crossing;
        std::size_t origin = 0; // the branch that found the crossing
    };
    std::deque<TStart> starts_;
    // The other branch through a branch point is known when a second branch
    // has the point as well.
    bool CrossingKnown(const TVec& at, std::size_t origin) const;
    std::vector<TBranch>* branches_ = nullptr;
    std::vector<TVec> knownBranchPoints_;
};

bool TContinuer::Evaluate(TPoint& x, const TVec& along) {
    const double n1 = N1(x.y), n2 = N2(x.y);
    try {
        model_.SetParameter(parameter_, P(x.y));
        const TLinearisation l = model_.Jacobian(n1, n2);
        const std::array<double, 2> fp = model_.ParameterDerivative(parameter_, n1, n2);
        x.rate[0] = l.rate1;
        x.rate[1] = l.rate2;
        x.j = l.jacobian;
        x.fp[0] = fp[0];
        x.fp[1] = fp[1];
    } catch (...) {
        return false;
    }
    const TVec r1{x.j.d1dN1 * scaleN_, x.j.d1dN2 * scaleN_, x.fp[0] * scaleP_};
    const TVec r2{x.j.d2dN1 * scaleN_, x.j.d2dN2 * scaleN_, x.fp[1] * scaleP_};
    TVec t = Cross(r1, r2);
    const double length = Norm(t);
    if (!(length > 0) || !std::isfinite(length + x.rate[0] + x.rate[1])) {
        // Singular: a branch point. The tangent carries on as it was.
        x.tangent = along;
        return std::isfinite(x.rate[0] + x.rate[1]);
    }
    for (double& c : t)
        c /= length;
    if (Dot(t, along) < 0)
        for (double& c : t)
            c = -c;
    x.tangent = t;
    return true;
}

std::optional<TPoint> TContinuer::Correct(const TVec& guess, const TVec& on, const TVec& normal,
                                          const TVec& along) {
    TPoint x;
    x.y = guess;
    for (int i = 0; i < kNewtonIterations; ++i) {
        if (!Evaluate(x, along)) return std::nullopt;
        const std::array<TVec, 3> m{
            TVec{x.j.d1dN1 * scaleN_, x.j.d1dN2 * scaleN_, x.fp[0] * scaleP_},
            TVec{x.j.d2dN1 * scaleN_, x.j.d2dN2 * scaleN_, x.fp[1] * scaleP_}, normal};
        const TVec residual{-x.rate[0], -x.rate[1],
                            -Dot(normal, {x.y[0] - on[0], x.y[1] - on[1], x.y[2] - on[2]})};
        // On the branch already to within what a correction would move it
        // (as exactly at a branch point, where the system is singular).
        if (std::fabs(residual[0]) <= kNewtonTolerance * Norm(m[0]) &&
            std::fabs(residual[1]) <= kNewtonTolerance * Norm(m[1]) &&
            std::fabs(residual[2]) <= kNewtonTolerance)
            return x;
        TVec dy{};
        if (!Solve(m, residual, dy)) return std::nullopt;
        x.y = Add(x.y, 1, dy);
        if (Norm(dy) <= kNewtonTolerance * std::max(1.0, Norm(x.y))) {
            if (!Evaluate(x, along)) return std::nullopt;
            return x;
        }
    }
    return std::nullopt;
}

std::optional<TPoint> TContinuer::Locate(const TPoint& a, double h,
                                         const std::function<double(const TPoint&)>& test) {
    // Each trial corrected onto the branch across a's tangent.
    auto at = [&](double s) {
        return Correct(Add(a.y, s, a.tangent), Add(a.y, s, a.tangent), a.tangent, a.tangent);
    };
    auto done = [&](double s0, double s1, const TPoint& best) {
        return std::fabs(s1 - s0) * scaleP_ <=
               kLocateShare * std::max(std::fabs(P(best.y)), 1e-3 * scaleP_);
    };
    return LocateZero<TPoint>(a, h, at, test, done);
}

TBranchRow TContinuer::Row(const TPoint& x, TSpecialPoint label) const {
    TBranchRow row;
    row.p = P(x.y);
    row.n1 = row.n1Min = row.n1Max = N1(x.y);
    row.n2 = row.n2Min = row.n2Max = N2(x.y);
    row.period = kNaN;
    const TEquilibriumKind kind = Classify(x.j).kind;
    row.stable = kind == TEquilibriumKind::StableNode || kind == TEquilibriumKind::StableFocus;
    row.label = label;
    row.lyapunov = row.omega = kNaN;
    return row;
}

bool TContinuer::Known(const TPoint& x) const {
    // A start on a branch followed already: the branches end exactly at the
    // range's ends, and a start found there is one of their ends.
    for (const TBranch& b : *branches_)
        for (const TBranchRow& r : b.rows)
            if (std::fabs(r.p - P(x.y)) <= 1e-9 * scaleP_ &&
                std::fabs(r.n1 - N1(x.y)) <= 1e-7 * scaleN_ &&
                std::fabs(r.n2 - N2(x.y)) <= 1e-7 * scaleN_)
                return true;
    return false;
}

bool TContinuer::CrossingKnown(const TVec& at, std::size_t origin) const {
    // A branch through the point other than the one that found it: the
    // other branch is followed already. Its line of rows passes the point
    // within the distance the step control keeps chords to the branch.
    for (std::size_t b = 0; b < branches_->size(); ++b) {
        if (b == origin) continue;
        const std::vector<TBranchRow>& rows = (*branches_)[b].rows;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TVec a{rows[i].n1 / scaleN_, rows[i].n2 / scaleN_, rows[i].p / scaleP_};
            const TVec c = i + 1 < rows.size()
                               ? TVec{rows[i + 1].n1 / scaleN_, rows[i + 1].n2 / scaleN_,
                                      rows[i + 1].p / scaleP_}
                               : a;
            const TVec d = Add(c, -1, a);
            const double length2 = Dot(d, d);
            const double share =
                length2 > 0 ? std::clamp(Dot(Add(at, -1, a), d) / length2, 0.0, 1.0) : 0;
            if (Norm(Add(Add(a, share, d), -1, at)) <= 2 * TArcStep::kSagitta) return true;
        }
    }
    return false;
}

std::string TContinuer::Stopped(const TPoint& x, const std::string& why) const {
    return "Continuation stopped at " + model_.ParameterName(parameter_) + " = " +
           FloatToText(P(x.y)) + ": " + why;
}

void TContinuer::StartOtherBranch(const TPoint& bp) {
    for (const TVec& known : knownBranchPoints_)
        if (Norm(Add(known, -1, bp.y)) < 1e-6) return;
    knownBranchPoints_.push_back(bp.y);
    // The other branch leaves the point within the kernel of J, off the
    // branch followed: the null vector of J, with the tangent taken out.
    const TJacobian& j = bp.j;
    TVec v = std::hypot(j.d1dN1, j.d1dN2) >= std::hypot(j.d2dN1, j.d2dN2)
                 ? TVec{-j.d1dN2, j.d1dN1, 0}
                 : TVec{j.d2dN2, -j.d2dN1, 0};
    v = Add(v, -Dot(v, bp.tangent), bp.tangent);
    const double length = Norm(v);
    if (!(length > 0)) return;
    for (double& c : v)
        c /= length;
    for (const double side : {-1.0, 1.0}) {
        const TVec on = Add(bp.y, side * kSwitchDistance, v);
        const TVec along{side * v[0], side * v[1], side * v[2]};
        std::optional<TPoint> x = Correct(on, on, v, along);
        if (x && Inside(x->y)) starts_.push_back({*x, bp, branches_->size()});
    }
}

void TContinuer::Follow(TPoint x, const std::optional<TPoint>& from, TContinuation& result) {
    TBranch branch;
    if (from) branch.rows.push_back(Row(*from));
    branch.rows.push_back(Row(x));
    TArcStep step;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
        if (options_.cancel && options_.cancel->load()) {
            result.cancelled = true;
            break;
        }
        const std::optional<TPoint> next = step.Take(
            x, [&](const TVec& guess) { return Correct(guess, guess, x.tangent, x.tangent); });
        if (!next) {
            result.stopped.push_back(Stopped(x, "the step became too small near a singular point"));
            break;
        }
        const double h = step.h;
        // The ends: of the range (the last row exactly at it) and of the box.
        const double p = P(next->y);
        if (p < lo_ || p > hi_) {
            const double end = p < lo_ ? lo_ : hi_;
            if (std::optional<TPoint> last =
                    Locate(x, h, [&](const TPoint& q) { return P(q.y) - end; })) {
                TPoint atEnd = *last;
                atEnd.y[2] = end / scaleP_;
                if (std::optional<TPoint> exact = Correct(atEnd.y, atEnd.y, {0, 0, 1}, x.tangent))
                    branch.rows.push_back(Row(*exact));
            }
            break;
        }
        if (!Inside(next->y)) {
            // The last row where the branch leaves the box, through the edge
            // the step went furthest past.
            const TPlaneRect& box = options_.box;
            auto margins = [&](const TPoint& q) {
                return std::array<double, 4>{N1(q.y) - box.n1Min, box.n1Max - N1(q.y),
                                             N2(q.y) - box.n2Min, box.n2Max - N2(q.y)};
            };
            const std::array<double, 4> past = margins(*next);
            const std::size_t edge = std::min_element(past.begin(), past.end()) - past.begin();
            auto inside = [&](const TPoint& q) { return margins(q)[edge]; };
            if (std::optional<TPoint> at = Locate(x, h, inside)) branch.rows.push_back(Row(*at));
            break;
        }
        // Special points between x and next, each a row of its own.
        std::vector<std::pair<double, TBranchRow>> special;
        const bool detChanges = (x.det() < 0) != (next->det() < 0) && x.det() != 0;
        if (detChanges) {
            const bool turns = (x.tangent[2] < 0) != (next->tangent[2] < 0);
            if (std::optional<TPoint> at = Locate(x, h, [](const TPoint& q) { return q.det(); })) {
                // A branch point is listed once: on the first branch through
                // it, not again on the other.
                const bool known =
                    !turns &&
                    std::any_of(knownBranchPoints_.begin(), knownBranchPoints_.end(),
                                [&](const TVec& k) { return Norm(Add(k, -1, at->y)) < 1e-6; });
                special.emplace_back(Dot(Add(at->y, -1, x.y), x.tangent),
                                     Row(*at, turns   ? TSpecialPoint::Fold
                                              : known ? TSpecialPoint::None
                                                      : TSpecialPoint::BranchPoint));
                if (!turns) StartOtherBranch(*at);
            }
        }
        const double quiet = 1e-9;
        const bool traceChanges =
            (x.trace() < 0) != (next->trace() < 0) && std::fabs(x.trace()) > quiet * x.size() &&
            std::fabs(next->trace()) > quiet * next->size() && x.det() > 0 && next->det() > 0;
        if (traceChanges) {
            if (std::optional<TPoint> at =
                    Locate(x, h, [](const TPoint& q) { return q.trace(); })) {
                TBranchRow row = Row(*at);
                try {
                    model_.SetParameter(parameter_, P(at->y));
                    row.lyapunov =
                        FirstLyapunovCoefficient(model_.Derivatives3(row.n1, row.n2), &row.omega);
                } catch (...) {
                }
                // A coefficient of 0 (or none: a degenerate point, Bautin's)
                // tells no kind; the point is left unlabelled rather than
                // called either.
                if (row.lyapunov < 0) row.label = TSpecialPoint::HopfSupercritical;
                if (row.lyapunov > 0) row.label = TSpecialPoint::HopfSubcritical;
                if (row.label != TSpecialPoint::None)
                    special.emplace_back(Dot(Add(at->y, -1, x.y), x.tangent), row);
            }
        }
        std::sort(special.begin(), special.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (auto& s : special)
            branch.rows.push_back(s.second);
        branch.rows.push_back(Row(*next));
        step.Kept(x, *next);
        x = *next;
    }
    result.branches.push_back(std::move(branch));
}

void TContinuer::Run(TContinuation& result) {
    branches_ = &result.branches;
    const double direction = options_.to >= options_.from ? 1 : -1;
    for (const double end : {options_.from, options_.to}) {
        model_.SetParameter(parameter_, end);
        // A value at which the rates cannot be evaluated anywhere (K = 0 in
        // N1/K) has no equilibria to start from; the search would only find
        // each grid point's fault, a thrown exception apiece.
        if (Undefined(model_, options_.box)) continue;
        const TEquilibria found = FindEquilibria(model_, options_.box);
        // From each end into the range.
        const double into = end == options_.from ? direction : -direction;
        for (const TEquilibrium& e : found.points) {
            TPoint x;
            x.y = {e.n1 / scaleN_, e.n2 / scaleN_, end / scaleP_};
            if (!Evaluate(x, {0, 0, into})) continue;
            if (x.tangent[2] * into < 0)
                for (double& c : x.tangent)
                    c = -c;
            starts_.push_back({x, std::nullopt, 0});
        }
    }
    while (!starts_.empty() && int(result.branches.size()) < kMaxBranches) {
        if (options_.cancel && options_.cancel->load()) {
            result.cancelled = true;
            break;
        }
        const TStart start = starts_.front();
        starts_.pop_front();
        if (Known(start.x) || (start.crossing && CrossingKnown(start.crossing->y, start.origin)))
            continue;
        Follow(start.x, start.crossing, result);
    }
}

} // namespace

TContinuation ContinueEquilibria(TCompiledModel& model, std::size_t parameter,
                                 const TContinuationOptions& options) {
    TContinuation result;
    if (parameter >= model.ParameterCount()) {
        result.error = "No such parameter";
        return result;
    }
    if (!options.box.IsValid() || !std::isfinite(options.from) || !std::isfinite(options.to) ||
        options.from == options.to) {
        result.error = kEmptyRange;
        return result;
    }
    if (!model.HasDerivatives()) {
        result.error = kNoDerivatives;
        return result;
    }
    const double keepP = model.Parameter(parameter);
    const double keep1 = model.StoredN1(), keep2 = model.StoredN2();
    TContinuer(model, parameter, options).Run(result);
    model.SetParameter(parameter, keepP);
    model.Store(keep1, keep2);
    return result;
}

TContinuation Continue(TCompiledModel& model, std::size_t parameter,
                       const TContinuationOptions& options) {
    TContinuation result = ContinueEquilibria(model, parameter, options);
    ContinueCycles(model, parameter, options, result);
    return result;
}
