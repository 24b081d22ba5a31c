// The branches of limit cycles born at Hopf points, by pseudo-arclength
// continuation on the return map. A branch is the curve G(u, p) = 0, with
// G(u, p) = P(u) − u the drift of one revolution from position u along a line
// across the flow at the last cycle found; followed in arc length rather than
// in the parameter, it turns round a fold of cycles (where the multiplier
// passes 1) and goes on with the partner cycles.
#include "Continuation.h"

#include "ArclengthSteps.h"
#include "Equilibria.h"
#include "FloatText.h"
#include "LimitCycles.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <optional>

namespace {

using TVec = TArcVec<2>;
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Steps in units of the box's extent (along the section) and the range's
// width (in the parameter), of the lengths equilibrium branches take
// (TArcStep); here the chord's stray is judged on the branch drawn.
constexpr double kFirstStep = TArcStep::kFirst;
constexpr double kLongestStep = TArcStep::kLongest;
constexpr double kShortestStep = TArcStep::kShortest;
constexpr double kSagitta = TArcStep::kSagitta;
// Newton's method on the return map, with the Jacobian kept up to date by
// Broyden's updates: given up after this many revolutions.
constexpr int kCorrections = 8;
// A drift within this many tolerances, with nothing known of how fast it
// falls, is likely corrected in one step more.
constexpr double kMeasureNear = 1e-3;
// Drifts within this many tolerances that no longer shrink are noise.
constexpr double kNoiseFloor = 10;
// A tangent this steep in the parameter (its component, of length 1) tells
// the drift's slope in it.
constexpr double kSteepest = 0.2;
// The cycles' multiplier is located at 1 to this share of the step.
constexpr double kLocateShare = 1e-7;
constexpr int kMaxSteps = 5000;
// A cycle smaller than kShrunk of the box's extent within kShrunk of the
// range from a Hopf point whose equilibrium it encloses has shrunk into it;
// below kTiny its multiplier is 1 to within the integration's noise.
constexpr double kShrunk = 1e-2;
constexpr double kTiny = 1e-3;
constexpr double kSmallest = 1e-6;
// A parameter that moved less than this share of the range over the last
// rows stands still.
constexpr double kStandingStill = 1e-6;
// A branch whose period passes this many times the Hopf period nears a saddle.
constexpr double kHomoclinicPeriods = 20;

double Size(const TLimitCycle& c) {
    return std::max(c.n1Max - c.n1Min, c.n2Max - c.n2Min);
}

TBranchRow CycleRow(double p, const TLimitCycle& c) {
    TBranchRow row;
    row.p = p;
    row.n1 = c.n1;
    row.n2 = c.n2;
    row.n1Min = c.n1Min;
    row.n1Max = c.n1Max;
    row.n2Min = c.n2Min;
    row.n2Max = c.n2Max;
    row.period = c.period;
    row.stable = c.multiplier < 1;
    row.lyapunov = row.omega = kNaN;
    return row;
}

// The equilibrium near (n1, n2) of the model as it is now, by Newton's
// method; false when it does not converge.
bool EquilibriumNear(TCompiledModel& model, double& n1, double& n2) {
    for (int i = 0; i < 50; ++i) {
        TLinearisation l;
        try {
            l = model.Jacobian(n1, n2);
        } catch (...) {
            return false;
        }
        const TJacobian& j = l.jacobian;
        const double det = j.d1dN1 * j.d2dN2 - j.d1dN2 * j.d2dN1;
        if (!(std::fabs(det) > 0)) return false;
        const double d1 = (-l.rate1 * j.d2dN2 + l.rate2 * j.d1dN2) / det;
        const double d2 = (-l.rate2 * j.d1dN1 + l.rate1 * j.d2dN1) / det;
        n1 += d1;
        n2 += d2;
        if (std::fabs(d1) + std::fabs(d2) <= 1e-14 * (std::fabs(n1) + std::fabs(n2) + 1e-300))
            return std::isfinite(n1 + n2);
    }
    return std::isfinite(n1 + n2);
}

// Whether a saddle of the model as it is now lies on the cycle, to a
// thousandth of the cycle's size: the cycle has grown into a homoclinic loop.
bool NearSaddle(TCompiledModel& model, const TLimitCycle& c) {
    const double size = Size(c);
    const double r = 0.1 * size;
    const TPlaneRect around{c.n1Min - r, c.n1Max + r, c.n2Min - r, c.n2Max + r};
    for (const TEquilibrium& e : FindEquilibria(model, around, 60, 60).points) {
        if (e.stability.kind != TEquilibriumKind::Saddle) continue;
        for (const TCurvePoint& q : c.path)
            if (std::hypot(q.n1 - e.n1, q.n2 - e.n2) < 1e-3 * size) return true;
    }
    return false;
}

// The first cycle beside a Hopf point: the small cycle around the
// equilibrium near (n1, n2), of the kind the Hopf point gives birth to,
// pinned down from points at a few distances from the equilibrium.
std::optional<TLimitCycle> FirstCycle(TCompiledModel& model, double n1, double n2,
                                      const TPlaneRect& box, bool stable) {
    if (!EquilibriumNear(model, n1, n2)) return std::nullopt;
    for (const double share : {1e-3, 3e-3, 1e-2, 3e-2, 1e-1}) {
        const double r = share * box.Extent();
        std::optional<TLimitCycle> c =
            FollowCycle(model, box, {n1 + 0.6 * r, n2 + 0.8 * r}, stable ? 1 : -1);
        if (c && c->n1Min < n1 && n1 < c->n1Max && c->n2Min < n2 && n2 < c->n2Max &&
            (c->kind == TCycleKind::Stable) == stable)
            return c;
    }
    return std::nullopt;
}

// A cycle of the branch, at parameter p, and where it lies in the step's
// coordinates (its position along the last row's section over the box's
// extent, the parameter over the range's width).
using TPlace = std::array<double, 3>;

// Where the branch goes a step of h past the last of three places of it
// (t their distances along it, the last at 0): the parabola through them.
TPlace Extrapolate(const std::array<TPlace, 3>& z, const std::array<double, 3>& t, double h) {
    TPlace r{};
    for (int i = 0; i < 3; ++i) {
        double w = 1;
        for (int j = 0; j < 3; ++j)
            if (j != i) w *= (h - t[j]) / (t[i] - t[j]);
        for (int k = 0; k < 3; ++k)
            r[k] += w * z[i][k];
    }
    return r;
}

// The direction of the parabola through three places at the last of them.
TPlace Slope(const std::array<TPlace, 3>& z, const std::array<double, 3>& t) {
    TPlace r{};
    for (int i = 0; i < 3; ++i) {
        double w = 0;
        for (int j = 0; j < 3; ++j) {
            if (j == i) continue;
            double term = 1 / (t[i] - t[j]);
            for (int k = 0; k < 3; ++k)
                if (k != i && k != j) term *= (t[2] - t[k]) / (t[i] - t[k]);
            w += term;
        }
        for (int k = 0; k < 3; ++k)
            r[k] += w * z[i][k];
    }
    return r;
}

struct TCyclePoint {
    double p = 0;
    TLimitCycle cycle;
    TVec y{};
};

// The derivatives of the scaled drift G = (P(u) − u)/extent in the position
// and the parameter, for the return map followed in `direction` of time. At
// a cycle dG/dU is its multiplier (the backward map's: the inverse) less 1.
struct TDriftSlope {
    double dU = 0, dQ = 0;
    int direction = 1;

    // Turns to the map of the other direction: near a cycle of multiplier m
    // the backward drift is −1/m times the forward one.
    void Turn(double m) {
        const double f = direction > 0 ? -1 / m : -m;
        dU *= f;
        dQ *= f;
        direction = -direction;
    }
};

class TCycleContinuer {
public:
    TCycleContinuer(TCompiledModel& model, std::size_t parameter,
                    const TContinuationOptions& options)
        : model_(model), parameter_(parameter), options_(options),
          map_(model, options.box, MapOptions(options)), extent_(options.box.Extent()),
          range_(std::fabs(options.to - options.from)), lo_(std::min(options.from, options.to)),
          hi_(std::max(options.from, options.to)), name_(model.ParameterName(parameter)) {}

    // The branch of cycles born at the Hopf point hopfs[start], on the side
    // (+1 or −1 in the parameter) where they exist. A branch that shrinks
    // into another of the Hopf points ends there; that point is marked
    // `reached`, its branch being this one.
    void Follow(const std::vector<TBranchRow>& hopfs, std::size_t start, double side,
                std::vector<bool>& reached, TContinuation& result);

private:
    static TCycleOptions MapOptions(const TContinuationOptions& options) {
        TCycleOptions o;
        o.cancel = options.cancel;
        return o;
    }
    bool Cancelled() const { return options_.cancel && options_.cancel->load(); }

    // The cycle on the line across `tangent` a step of h from `from` (in its
    // section's coordinates), or, with `atEnd`, the one at that parameter.
    // `ahead`, when given, is a better first guess (N1, N2 over the extent,
    // the parameter over the range) than the step along the tangent.
    std::optional<TCyclePoint> Correct(const TCyclePoint& from, const TVec& tangent, double h,
                                       TDriftSlope& slope, std::optional<double> atEnd = {},
                                       const std::optional<TPlace>& ahead = {});
    // The scaled drift's derivative in the parameter at `at`, by a difference.
    bool SlopeInParameter(const TCyclePoint& at, TDriftSlope& slope);
    // The cycle at `at` again, with its path; the model left at its value.
    TLimitCycle Drawn(const TCyclePoint& at, const TDriftSlope& slope);
    std::string Stopped(double p, const std::string& why) const {
        return "Continuation stopped at " + name_ + " = " + FloatToText(p) + ": " + why;
    }

    TCompiledModel& model_;
    std::size_t parameter_;
    const TContinuationOptions& options_;
    TReturnMap map_;
    double extent_, range_, lo_, hi_;
    std::string name_;
};

std::optional<TCyclePoint> TCycleContinuer::Correct(const TCyclePoint& from, const TVec& tangent,
                                                    double h, TDriftSlope& slope,
                                                    std::optional<double> atEnd,
                                                    const std::optional<TPlace>& ahead) {
    model_.SetParameter(parameter_, from.p);
    if (!map_.Anchor(from.cycle.n1, from.cycle.n2)) return std::nullopt;
    const double q0 = from.p / range_;
    // The line the cycle is sought on: across the tangent a step on, or the
    // parameter's end value.
    TVec normal = tangent;
    TVec guess{h * tangent[0], q0 + h * tangent[1]};
    if (atEnd) {
        normal = {0, 1};
        const double t = (*atEnd / range_ - q0) / tangent[1];
        guess = {t * tangent[0], *atEnd / range_};
    }
    TVec y = guess;
    if (ahead && !atEnd) {
        const TVec better{map_.Along((*ahead)[0] * extent_, (*ahead)[1] * extent_) / extent_,
                          (*ahead)[2]};
        const TVec off = Add(better, -1, guess);
        y = Add(better, -Dot(off, normal), normal);
    }
    double g = 0, gBefore = 0;
    TVec last{};
    for (int i = 0; i < kCorrections; ++i) {
        if (Cancelled()) return std::nullopt;
        const double p = atEnd ? *atEnd : y[1] * range_;
        model_.SetParameter(parameter_, p);
        const double tolerance = map_.Tolerance(y[0] * extent_) / extent_;
        // The cycle is measured (extremes, multiplier, path: dearer) on the
        // revolution that is likely the last: where Newton's method, as fast
        // as over the last step, will have brought the drift within the
        // tolerance.
        const double expected = i > 1 ? std::fabs(g) * std::fabs(g) / std::fabs(gBefore) *
                                            std::fabs(g) / std::fabs(gBefore)
                                      : kMeasureNear * std::fabs(g);
        const bool measure = i > 0 && expected <= tolerance;
        using enum TReturnMap::TMeasure;
        std::optional<TReturnMap::TReturn> r =
            map_.Map(y[0] * extent_, slope.direction, measure ? Extent : None);
        if (!r) return std::nullopt;
        const double gNew = (r->u - y[0] * extent_) / extent_;
        if (i > 0) {
            // Broyden's update of the drift's row of the Jacobian.
            const double predicted = slope.dU * last[0] + slope.dQ * last[1];
            const double length2 = Dot(last, last);
            if (length2 > 0) {
                const double c = (gNew - g - predicted) / length2;
                slope.dU += c * last[0];
                slope.dQ += c * last[1];
            }
        }
        // Converged; or stalled a little above the tolerance, where the
        // integration's noise (a revolution differs from the last in its
        // last digits) leaves nothing to correct.
        const bool stalled = i > 0 && std::fabs(gNew) <= kNoiseFloor * tolerance &&
                             std::fabs(gNew) >= 0.3 * std::fabs(g);
        gBefore = g;
        g = gNew;
        if (std::fabs(g) <= tolerance || stalled) {
            if (!measure) r = map_.Map(y[0] * extent_, slope.direction, Extent);
            // An orbit of no size is the equilibrium the cycles shrink into.
            if (!r || Size(r->orbit) < kSmallest * extent_) return std::nullopt;
            TCyclePoint x;
            x.p = p;
            x.cycle = r->orbit;
            x.y = y;
            return x;
        }
        TVec step;
        const double off = Dot(normal, Add(y, -1, guess));
        if (!Solve<2>({TVec{slope.dU, slope.dQ}, normal}, TVec{-g, -off}, step))
            return std::nullopt;
        // A correction longer than the step itself heads for another cycle.
        if (Norm(step) > std::max(2 * h, 1e-6)) return std::nullopt;
        y = Add(y, 1, step);
        last = step;
    }
    return std::nullopt;
}

TLimitCycle TCycleContinuer::Drawn(const TCyclePoint& at, const TDriftSlope& slope) {
    model_.SetParameter(parameter_, at.p);
    if (map_.Anchor(at.cycle.n1, at.cycle.n2))
        if (const auto r = map_.Map(0, slope.direction, TReturnMap::TMeasure::Drawn)) {
            model_.SetParameter(parameter_, at.p);
            return r->orbit;
        }
    return at.cycle;
}

bool TCycleContinuer::SlopeInParameter(const TCyclePoint& at, TDriftSlope& slope) {
    model_.SetParameter(parameter_, at.p);
    if (!map_.Anchor(at.cycle.n1, at.cycle.n2)) return false;
    const double dq = 1e-5;
    model_.SetParameter(parameter_, at.p + dq * range_);
    const std::optional<TReturnMap::TReturn> r =
        map_.Map(0, slope.direction, TReturnMap::TMeasure::None);
    if (!r) return false;
    slope.dQ = r->u / extent_ / dq;
    return std::isfinite(slope.dQ);
}

void TCycleContinuer::Follow(const std::vector<TBranchRow>& hopfs, std::size_t start, double side,
                             std::vector<bool>& reached, TContinuation& result) {
    const TBranchRow& hopf = hopfs[start];
    const bool super = hopf.label == TSpecialPoint::HopfSupercritical;
    const double hopfPeriod = 2 * std::numbers::pi / hopf.omega;
    TBranch branch;
    branch.object = TBranchObject::Cycle;
    TBranchRow first = hopf;
    first.period = hopfPeriod;
    first.stable = super;
    first.label = TSpecialPoint::None;
    branch.rows.push_back(first);

    TCyclePoint x;
    // A step of a thousandth of the range off the Hopf point, a longer one
    // where the cycles are too small to pin down there, shorter ones where
    // they end (in a loop through a saddle) closer to it.
    std::optional<TLimitCycle> cycle;
    for (const double share : {1e-3, 3e-3, 1e-2, 1e-4, 1e-5, 1e-6}) {
        if (cycle) break;
        x.p = std::clamp(hopf.p + side * share * range_, lo_, hi_);
        model_.SetParameter(parameter_, x.p);
        cycle = FirstCycle(model_, hopf.n1, hopf.n2, options_.box, super);
    }
    if (!cycle) {
        result.stopped.push_back(Stopped(hopf.p, "no cycle was found beside the Hopf point"));
        return;
    }
    x.cycle = std::move(*cycle);
    branch.rows.push_back(CycleRow(x.p, x.cycle));

    // The first tangent: across the drift's slope, leaving the Hopf point.
    TDriftSlope slope;
    slope.direction = x.cycle.multiplier <= 1 ? 1 : -1;
    slope.dU = std::pow(x.cycle.multiplier, slope.direction) - 1;
    if (!SlopeInParameter(x, slope)) {
        result.stopped.push_back(Stopped(x.p, "the cycle could not be followed further"));
        result.branches.push_back(std::move(branch));
        return;
    }
    model_.SetParameter(parameter_, x.p);
    map_.Anchor(x.cycle.n1, x.cycle.n2);
    TVec away{-map_.Along(hopf.n1, hopf.n2) / extent_, (x.p - hopf.p) / range_};
    TVec tangent{-slope.dQ, slope.dU};
    tangent = Add(TVec{}, (Dot(tangent, away) < 0 ? -1 : 1) / Norm(tangent), tangent);
    // The drawn quantities' last chord, against which the next one's turn
    // is measured.
    auto drawn = [&](const TCyclePoint& c) {
        return std::array<double, 5>{c.p / range_, c.cycle.n1Min / extent_, c.cycle.n1Max / extent_,
                                     c.cycle.n2Min / extent_, c.cycle.n2Max / extent_};
    };
    std::array<double, 5> lastChord{};
    bool haveChord = false;
    // The last three places of the branch and how far apart, for a guess
    // that follows its bend.
    auto place = [&](const TCyclePoint& c) {
        return TPlace{c.cycle.n1 / extent_, c.cycle.n2 / extent_, c.p / range_};
    };
    std::array<TPlace, 3> places{};
    std::array<double, 3> along{};
    int known = 0;
    auto remember = [&](const TCyclePoint& c) {
        const TPlace z = place(c);
        if (known > 0) {
            const TPlace& last = places[2];
            const double d = std::hypot(z[0] - last[0], z[1] - last[1], z[2] - last[2]);
            along = {along[1] - d, along[2] - d, 0};
        }
        places = {places[1], places[2], z};
        known = std::min(known + 1, 3);
    };
    remember(x);

    double h = kFirstStep;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
        if (Cancelled()) {
            result.cancelled = true;
            break;
        }
        if (x.cycle.period > kHomoclinicPeriods * hopfPeriod) {
            branch.rows.back().label = TSpecialPoint::Homoclinic;
            break;
        }
        TDriftSlope trial = slope;
        std::optional<TPlace> ahead;
        if (known == 3) ahead = Extrapolate(places, along, h);
        std::optional<TCyclePoint> next = Correct(x, tangent, h, trial, {}, ahead);
        std::array<double, 5> chord{};
        double turn = 0;
        if (next) {
            const std::array<double, 5> a = drawn(x), b = drawn(*next);
            double length = 0, dot = 0, lastLength = 0;
            for (int k = 0; k < 5; ++k) {
                chord[k] = b[k] - a[k];
                length += chord[k] * chord[k];
                lastLength += lastChord[k] * lastChord[k];
                dot += chord[k] * lastChord[k];
            }
            length = std::sqrt(length);
            lastLength = std::sqrt(lastLength);
            // A cycle that jumped far is another one: the step was too long.
            if (std::max({std::fabs(b[1] - a[1]), std::fabs(b[2] - a[2]), std::fabs(b[3] - a[3]),
                          std::fabs(b[4] - a[4])}) > 0.05)
                next.reset();
            else if (haveChord && length > 0 && lastLength > 0) {
                turn = std::acos(std::clamp(dot / (length * lastLength), -1.0, 1.0));
                if (length * turn / 8 > kSagitta || turn > 0.5) next.reset();
            }
        }
        if (!next) {
            h /= 2;
            if (h < kShortestStep) {
                // The cycle ends within the step: where it meets a saddle,
                // its period has grown as far as the parameter's digits let
                // it come near (the last rows' periods rising while the
                // parameter all but stands still), or the cycle passes
                // through the saddle to the drawing's accuracy.
                const std::size_t n = branch.rows.size();
                const bool unbounded =
                    n >= 4 && branch.rows[n - 1].period > 1.1 * branch.rows[n - 4].period &&
                    std::fabs(branch.rows[n - 1].p - branch.rows[n - 4].p) <
                        kStandingStill * range_;
                if (x.cycle.period > 2 * hopfPeriod &&
                    (unbounded || NearSaddle(model_, Drawn(x, slope))))
                    branch.rows.back().label = TSpecialPoint::Homoclinic;
                else
                    result.stopped.push_back(
                        Stopped(x.p, "the cycle could not be followed further"));
                break;
            }
            continue;
        }
        // The range's end: the last row exactly at it.
        if (next->p < lo_ || next->p > hi_) {
            const double end = next->p < lo_ ? lo_ : hi_;
            TDriftSlope s = slope;
            if (std::optional<TCyclePoint> last = Correct(x, tangent, h, s, end))
                branch.rows.push_back(CycleRow(end, last->cycle));
            else
                result.stopped.push_back(Stopped(x.p, "the cycle could not be followed further"));
            break;
        }
        // A fold of cycles within the step: located where the multiplier
        // is 1, a row of its own.
        const double before = x.cycle.multiplier - 1, after = next->cycle.multiplier - 1;
        // (Tiny cycles, near a Hopf point, have multipliers within the
        // integration's noise of 1.)
        if ((before < 0) != (after < 0) &&
            std::min(Size(x.cycle), Size(next->cycle)) > kTiny * extent_) {
            auto at = [&](double s) {
                TDriftSlope l = slope;
                std::optional<TPlace> near;
                if (known == 3) near = Extrapolate(places, along, s);
                return Correct(x, tangent, s, l, {}, near);
            };
            auto test = [](const TCyclePoint& c) { return c.cycle.multiplier - 1; };
            auto done = [&](double s0, double s1, const TCyclePoint&) {
                return std::fabs(s1 - s0) <= kLocateShare * h;
            };
            if (std::optional<TCyclePoint> fold = LocateZero(x, h, at, test, done)) {
                TBranchRow row = CycleRow(fold->p, fold->cycle);
                row.label = TSpecialPoint::CycleFold;
                branch.rows.push_back(row);
            }
        }
        // The next step starts from the new cycle, on a section there: the
        // tangent is across the drift's slope, turned the way the branch went.
        const TVec secant = Add(next->y, -1, TVec{0, x.p / range_});
        x = std::move(*next);
        slope = trial;
        slope.dU = std::pow(x.cycle.multiplier, slope.direction) - 1;
        if ((x.cycle.multiplier <= 1 ? 1 : -1) != slope.direction) {
            slope.Turn(x.cycle.multiplier);
            slope.dU = std::pow(x.cycle.multiplier, slope.direction) - 1;
        }
        branch.rows.push_back(CycleRow(x.p, x.cycle));
        lastChord = chord;
        haveChord = true;
        remember(x);
        // The tangent: of the parabola through the last three places where
        // there are three, on the section at the new cycle; its slope in the
        // parameter then gives the drift's, which Broyden's updates across
        // the branch leave rough. Else across the drift's slope.
        std::optional<TVec> bend;
        if (known == 3) {
            const TPlace d = Slope(places, along);
            model_.SetParameter(parameter_, x.p);
            if (map_.Anchor(x.cycle.n1, x.cycle.n2)) {
                const TVec t{map_.Along(x.cycle.n1 + d[0] * extent_, x.cycle.n2 + d[1] * extent_) /
                                 extent_,
                             d[2]};
                if (Norm(t) > 0 && Dot(t, secant) > 0) bend = Add(TVec{}, 1 / Norm(t), t);
            }
        }
        if (bend && std::fabs((*bend)[1]) > kSteepest) {
            tangent = *bend;
            slope.dQ = -slope.dU * tangent[0] / tangent[1];
        } else {
            TVec across{-slope.dQ, slope.dU};
            const double length = Norm(across);
            const double cosine = length > 0 ? Dot(across, secant) / (length * Norm(secant)) : 0;
            tangent = bend ? *bend
                      : std::fabs(cosine) > 0.5
                          ? Add(TVec{}, (cosine < 0 ? -1 : 1) / length, across)
                          : Add(TVec{}, 1 / Norm(secant), secant);
        }
        // Shrunk into an equilibrium at another Hopf point: the branch
        // ends there, with the cycle of no size.
        // (Within a step or two of it the cycle is as small as the step.)
        const double near = std::max(kShrunk, 2 * h);
        if (Size(x.cycle) < near * extent_) {
            std::size_t end = hopfs.size();
            for (std::size_t k = 0; k < hopfs.size(); ++k) {
                const TBranchRow& other = hopfs[k];
                if (k != start && std::fabs(other.p - x.p) < near * range_ &&
                    x.cycle.n1Min < other.n1 && other.n1 < x.cycle.n1Max &&
                    x.cycle.n2Min < other.n2 && other.n2 < x.cycle.n2Max)
                    end = k;
            }
            if (end < hopfs.size()) {
                TBranchRow last = hopfs[end];
                last.period = 2 * std::numbers::pi / last.omega;
                last.stable = branch.rows.back().stable;
                last.label = TSpecialPoint::None;
                branch.rows.push_back(last);
                reached[end] = true;
                break;
            }
        }
        const TPlaneRect& box = options_.box;
        if (x.cycle.n1Max < box.n1Min || x.cycle.n1Min > box.n1Max || x.cycle.n2Max < box.n2Min ||
            x.cycle.n2Min > box.n2Max)
            break;
        if (turn * std::sqrt(Dot(chord, chord)) / 8 < kSagitta / 4)
            h = std::min(h * 1.5, kLongestStep);
    }
    result.branches.push_back(std::move(branch));
}

} // namespace

void ContinueCycles(TCompiledModel& model, std::size_t parameter,
                    const TContinuationOptions& options, TContinuation& result) {
    if (!result.error.empty() || parameter >= model.ParameterCount()) return;
    const double keepP = model.Parameter(parameter);
    const double keep1 = model.StoredN1(), keep2 = model.StoredN2();
    TCycleContinuer continuer(model, parameter, options);
    // The Hopf points, each with the side (in the parameter) on which its
    // cycles lie: where the equilibrium is unstable (a stable cycle is born)
    // or stable (an unstable one).
    std::vector<TBranchRow> hopfs;
    std::vector<double> sides;
    for (const TBranch& branch : result.branches) {
        const std::vector<TBranchRow>& rows = branch.rows;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const TBranchRow& hopf = rows[i];
            const bool super = hopf.label == TSpecialPoint::HopfSupercritical;
            if (!super && hopf.label != TSpecialPoint::HopfSubcritical) continue;
            double side = 0;
            for (const std::size_t k : {i - 1, i + 1})
                if (k < rows.size() && rows[k].label == TSpecialPoint::None &&
                    rows[k].stable != super && rows[k].p != hopf.p)
                    side = rows[k].p > hopf.p ? 1 : -1;
            hopfs.push_back(hopf);
            sides.push_back(side);
        }
    }
    // A branch that joins two Hopf points is followed from the first only.
    std::vector<bool> reached(hopfs.size(), false);
    for (std::size_t k = 0; k < hopfs.size(); ++k) {
        if (result.cancelled || (options.cancel && options.cancel->load())) break;
        if (sides[k] != 0 && !reached[k]) continuer.Follow(hopfs, k, sides[k], reached, result);
    }
    model.SetParameter(parameter, keepP);
    model.Store(keep1, keep2);
}
