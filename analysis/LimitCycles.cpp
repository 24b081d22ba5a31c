#include "LimitCycles.h"

#include "Flow.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <optional>

const char* CycleKindName(TCycleKind kind) {
    switch (kind) {
    case TCycleKind::Stable:
        return "stable";
    case TCycleKind::Unstable:
        return "unstable";
    case TCycleKind::SemiStable:
        return "semi-stable";
    }
    return "";
}

namespace {

// Returns to the section that agree to this share of the box end the
// trajectory's approach; the secant then pins the cycle down to kFineShare.
constexpr double kCoarseShare = 1e-5;
constexpr double kFineShare = 1e-9;
// Orbits smaller than this share of the box are an equilibrium's neighbourhood.
constexpr double kSmallestCycle = 1e-6;
// A trajectory this close (share of the box) to an equilibrium that attracts
// it is taken to end there.
constexpr double kNearEquilibrium = 1e-4;
constexpr double kNearAttractor = 5e-3;
// Cycles whose extremes agree to this share of the box are one; an orbit this
// close to the line drawn of a cycle found (drawn to about this accuracy) is
// on its way to it or from it.
constexpr double kSameCycle = 1e-4;
// Returns that close in on a point this near (share of the box) an
// equilibrium that attracts the orbit close in on the equilibrium.
constexpr double kSpiralInto = 1e-3;
// With a centre found, an orbit that closes to this share of the box at its
// first return is another of the family.
constexpr double kCentreClosure = 1e-4;
// A multiplier this close to 1 may be a centre's or a fold's: the orbits
// beside the cycle are looked at.
constexpr double kNearUnit = 1e-3;
// Bounds of the work on one trajectory and one revolution.
constexpr int kMaxReturns = 60;
constexpr int kMaxSecant = 20;
constexpr long kMaxRevolutionSteps = 50000;
// Internal steps between which the path of a cycle is interpolated.
constexpr int kPathPieces = 4;

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return text;
}

// A line across the flow through an anchor point: positions on it are
// p + u·(−f2, f1) with f the unit flow at p; an orbit returns to it where it
// crosses the line the way the flow crosses it at p.
struct TSection {
    double p1 = 0, p2 = 0;
    double f1 = 0, f2 = 0;
    double speed = 1; // of the flow at p
    double n1(double u) const { return p1 - u * f2; }
    double n2(double u) const { return p2 + u * f1; }
    double Along(double n1, double n2) const { return -(n1 - p1) * f2 + (n2 - p2) * f1; }
};

double DistanceToPath(const std::vector<TCurvePoint>& path, double n1, double n2) {
    double best = std::numeric_limits<double>::infinity();
    for (size_t i = 1; i < path.size(); ++i) {
        const double a1 = path[i - 1].n1, a2 = path[i - 1].n2;
        const double d1 = path[i].n1 - a1, d2 = path[i].n2 - a2;
        const double length2 = d1 * d1 + d2 * d2;
        double s = length2 > 0 ? ((n1 - a1) * d1 + (n2 - a2) * d2) / length2 : 0;
        s = std::clamp(s, 0.0, 1.0);
        best = std::min(best, std::hypot(n1 - a1 - s * d1, n2 - a2 - s * d2));
    }
    return best;
}

// Two cycles found from different seeds are one when their periods and
// extremes agree to far less than any two cycles of a model differ by.
bool SameCycle(const TLimitCycle& a, const TLimitCycle& b, double extent) {
    const double near = kSameCycle * extent;
    return std::fabs(a.period - b.period) <= 1e-6 * a.period &&
           std::fabs(a.n1Min - b.n1Min) <= near && std::fabs(a.n1Max - b.n1Max) <= near &&
           std::fabs(a.n2Min - b.n2Min) <= near && std::fabs(a.n2Max - b.n2Max) <= near;
}

// One revolution's outcome: where the orbit came back to the section, after
// how long, and what it saw on the way (when measured).
struct TRevolution {
    bool returned = false;
    bool tooLong = false;  // the step budget ran out: stiff, or very slow
    bool failed = false;   // the integrator gave up
    bool known = false;    // it came close to a cycle already found
    bool passedBy = false; // it went round without coming back, to (end1, end2)
    double end1 = 0, end2 = 0;
    std::string why; // why it did not return
    double u = 0;
    double time = 0;
    double divergence = 0;
    double n1Min = 0, n1Max = 0, n2Min = 0, n2Max = 0;
    std::vector<TCurvePoint> path;
};

class TCycleSearch {
public:
    TCycleSearch(TCompiledModel& model, const TPlaneRect& box, const TEquilibria& equilibria,
                 const TCycleOptions& options)
        : model_(model), flow_(model), box_(box), equilibria_(equilibria), options_(options) {
        extent_ = box.Extent();
        reach_ = 2 * (1 + 2 * options.margin) * extent_;
        outer_ = {box.n1Min - options.margin * extent_, box.n1Max + options.margin * extent_,
                  box.n2Min - options.margin * extent_, box.n2Max + options.margin * extent_};
        coarse_.relTol = std::max(1e-7, options.relTol);
        coarse_.absTol = coarse_.relTol * 1e-20 * extent_;
        fine_.relTol = options.relTol;
        fine_.absTol = options.relTol * 1e-20 * extent_;
    }

    // Follows the orbit from a seed in one direction of time and, should it
    // settle onto a cycle not yet known, pins that cycle down.
    void FromSeed(double n1, double n2, int direction);

    bool Cancelled() const { return options_.cancel && options_.cancel->load(); }

    // Pins down the cycle through or near (n1, n2) on the section across the
    // flow there; false when none is found there.
    bool PinDownNear(double n1, double n2, int direction) {
        const std::optional<TSection> s = SectionAt(n1, n2);
        if (!s) return false;
        const std::size_t before = cycles.size();
        PinDown(*s, 0, direction);
        return cycles.size() > before;
    }

    std::vector<TLimitCycle> cycles;
    // Where an orbit looked periodic but was not pinned down, and why.
    struct TUnresolved {
        double n1, n2;
        std::string why;
    };
    std::vector<TUnresolved> unresolved;
    // The notes for the orbits not pinned down, each place once, leaving
    // out those on a cycle found after all (from another start).
    std::vector<std::string> Notes() const;
    bool centre = false;

    std::optional<TSection> SectionAt(double n1, double n2);
    // A new trajectory: Adams' method again, until it runs out of steps.
    void Restart() { stiff_ = false; }
    // Whether a measured revolution keeps its path (for drawing).
    bool keepPath = true;
    // A revolution that retries with the stiff method once the other ran out
    // of steps; from then on this trajectory keeps to it.
    TRevolution Return(const TSection& s, double u, int direction, bool fine, bool measure);
    // How closely returns to s must agree at u for the orbit to be a cycle.
    double Tolerance(const TSection& s, double u) const;
    // The measured revolution m from u as a cycle through u.
    TLimitCycle Measured(const TSection& s, double u, TRevolution&& m) const;

private:
    TRevolution Revolve(const TSection& s, double u, int direction, const TFlow::TOptions& tol,
                        bool fine, bool measure);
    bool NearAttractor(double n1, double n2, int direction, double within) const;
    bool OnKnownCycle(double n1, double n2, double within) const;
    void PinDown(const TSection& s, double u, int direction);
    bool IsCentre(const TSection& s, double u, int direction, double size);
    bool IsFold(const TSection& s, double u, int direction, double size);
    // How far the orbit from u + h along the section moves along it in one
    // revolution; NaN when it does not come round.
    double Drift(const TSection& s, double u, int direction, double h);

    TCompiledModel& model_;
    TFlow flow_;
    TPlaneRect box_;
    TPlaneRect outer_;
    const TEquilibria& equilibria_;
    const TCycleOptions& options_;
    double extent_ = 1;
    // How far along a section a return counts: across the region searched.
    double reach_ = 1;
    TFlow::TOptions coarse_;
    TFlow::TOptions fine_;
    bool stiff_ = false;
};

std::vector<std::string> TCycleSearch::Notes() const {
    std::vector<std::string> notes;
    for (size_t i = 0; i < unresolved.size(); ++i) {
        const TUnresolved& u = unresolved[i];
        const bool again = std::any_of(unresolved.begin(), unresolved.begin() + i, [&](auto& v) {
            return std::hypot(u.n1 - v.n1, u.n2 - v.n2) < 1e-3 * extent_;
        });
        if (again || OnKnownCycle(u.n1, u.n2, kSameCycle * extent_)) continue;
        notes.push_back("A cycle through (" + Number(u.n1) + ", " + Number(u.n2) +
                        ") was not pinned down: " + u.why);
    }
    return notes;
}

std::optional<TSection> TCycleSearch::SectionAt(double n1, double n2) {
    double r1 = 0, r2 = 0;
    try {
        model_.Rates(n1, n2, r1, r2);
    } catch (...) {
        return std::nullopt;
    }
    const double speed = std::hypot(r1, r2);
    if (!(speed > 0) || !std::isfinite(speed)) return std::nullopt;
    return TSection{n1, n2, r1 / speed, r2 / speed, speed};
}

bool TCycleSearch::NearAttractor(double n1, double n2, int direction, double within) const {
    for (const TEquilibrium& e : equilibria_.points) {
        const TEquilibriumKind k = e.stability.kind;
        const bool stable = k == TEquilibriumKind::StableNode || k == TEquilibriumKind::StableFocus;
        const bool unstable =
            k == TEquilibriumKind::UnstableNode || k == TEquilibriumKind::UnstableFocus;
        if ((direction > 0 ? stable : unstable) && std::hypot(n1 - e.n1, n2 - e.n2) < within)
            return true;
    }
    return false;
}

bool TCycleSearch::OnKnownCycle(double n1, double n2, double within) const {
    return std::any_of(cycles.begin(), cycles.end(), [&](const TLimitCycle& c) {
        return n1 >= c.n1Min - within && n1 <= c.n1Max + within && n2 >= c.n2Min - within &&
               n2 <= c.n2Max + within && DistanceToPath(c.path, n1, n2) <= within;
    });
}

TRevolution TCycleSearch::Revolve(const TSection& s, double u, int direction,
                                  const TFlow::TOptions& tol, bool fine, bool measure) {
    TRevolution r;
    const double start1 = s.n1(u), start2 = s.n2(u);
    // The section through the start point, moved back along the flow by a
    // few units of rounding: the orbit starts clearly on its positive side,
    // where the library would otherwise take a start exactly on it, from
    // which the first steps move less than the rounding of the densities,
    // for a root it cannot leave. The return is early by as little.
    const double behindBy = 1e-13 * (std::fabs(start1) + std::fabs(start2) + fine_.absTol);
    std::vector<TEventFunction> events{[&s, start1, start2, behindBy](double n1, double n2) {
        return (n1 - start1) * s.f1 + (n2 - start2) * s.f2 + behindBy;
    }};
    r.n1Min = r.n1Max = start1;
    r.n2Min = r.n2Max = start2;
    const bool path = measure && keepPath;
    if (measure) {
        // The extremes of each density lie where its rate vanishes.
        events.push_back([this](double n1, double n2) { return model_.Rate(0, n1, n2); });
        events.push_back([this](double n1, double n2) { return model_.Rate(1, n1, n2); });
    }
    if (path) r.path.push_back({start1, start2});
    TFlow::TOptions options = tol;
    options.divergence = measure;
    options.firstStep = 1e-4 * extent_ / s.speed;
    flow_.Start(start1, start2, direction, options, std::move(events));
    // The orbit leaves the section on its positive side; it has gone round
    // once it crossed back to the negative side and then forward again.
    bool behind = false;
    double pathT = 0;   // the time of the path's last point
    double turning = 0; // of the flow's direction since the start
    double v1 = s.f1, v2 = s.f2;
    for (long steps = 0;; ++steps) {
        if (steps > kMaxRevolutionSteps) {
            r.tooLong = true;
            r.why =
                "it did not come round within " + std::to_string(kMaxRevolutionSteps) + " steps";
            return r;
        }
        const TFlow::TStop stop = flow_.Next();
        if (stop == TFlow::TStop::Failed) {
            r.failed = true;
            r.why = flow_.Why();
            return r;
        }
        const TFlowPoint& p = flow_.Point();
        if (path) {
            const double from = direction > 0 ? std::max(flow_.StepStart(), pathT)
                                              : std::min(flow_.StepStart(), pathT);
            pathT = p.t;
            for (int k = 1; k < kPathPieces; ++k) {
                const TFlowPoint q = flow_.At(from + (p.t - from) * k / kPathPieces);
                r.path.push_back({q.n1, q.n2});
            }
            r.path.push_back({p.n1, p.n2});
        }
        if (!measure) {
            // Roughly, from the steps: how large the orbit is.
            r.n1Min = std::min(r.n1Min, p.n1);
            r.n1Max = std::max(r.n1Max, p.n1);
            r.n2Min = std::min(r.n2Min, p.n2);
            r.n2Max = std::max(r.n2Max, p.n2);
        }
        if (stop == TFlow::TStop::Event) {
            const std::vector<int>& fired = flow_.Fired();
            if (measure) {
                if (fired[1]) {
                    r.n1Min = std::min(r.n1Min, p.n1);
                    r.n1Max = std::max(r.n1Max, p.n1);
                }
                if (fired[2]) {
                    r.n2Min = std::min(r.n2Min, p.n2);
                    r.n2Max = std::max(r.n2Max, p.n2);
                }
            }
            if (fired[0] < 0) behind = true;
            if (fired[0] > 0 && behind) {
                const double along = s.Along(p.n1, p.n2);
                if (std::fabs(along) <= reach_) {
                    r.returned = true;
                    r.u = along;
                    r.time = std::fabs(p.t);
                    r.divergence = direction * p.divergence;
                    return r;
                }
            }
            continue;
        }
        if (!(p.n1 >= outer_.n1Min && p.n1 <= outer_.n1Max && p.n2 >= outer_.n2Min &&
              p.n2 <= outer_.n2Max)) {
            r.why = "it left the box";
            return r;
        }
        // While searching, an orbit this near an equilibrium that attracts
        // it ends there: a cycle between them would repel it, and is found
        // from the other side. Pinning a cycle down, it must come round.
        if (NearAttractor(p.n1, p.n2, direction,
                          (fine ? kNearEquilibrium : kNearAttractor) * extent_)) {
            r.why = "it went to an equilibrium";
            return r;
        }
        // On its way to (or from) a cycle already found: nothing new lies on
        // this orbit. Looked at now and then, as the line is long.
        if (!measure && steps % 8 == 7 && OnKnownCycle(p.n1, p.n2, kSameCycle * extent_)) {
            r.known = true;
            r.why = "it joined a cycle already found";
            return r;
        }
        // The rates at the point (a compiled model's are cheaper to evaluate
        // than the integrator's interpolant is to differentiate).
        double r1 = std::numeric_limits<double>::quiet_NaN(), r2 = r1;
        try {
            model_.Rates(p.n1, p.n2, r1, r2);
        } catch (...) {
        }
        // At rest to the last bits: whatever is left of the motion, over as
        // long again as the orbit has run, would not be seen.
        if (steps > 100 && std::hypot(r1, r2) * std::fabs(p.t) < 1e-9 * extent_) {
            r.why = "it came to rest";
            return r;
        }
        // The flow's direction turns once round along a closed orbit; an
        // orbit that turned half as much again without coming back passes the
        // section by, and a section at the point it reached serves better.
        turning += std::atan2(v1 * r2 - v2 * r1, v1 * r1 + v2 * r2);
        v1 = r1;
        v2 = r2;
        if (std::fabs(turning) > 3 * std::numbers::pi) {
            r.passedBy = true;
            r.why = "it passed the section by";
            r.end1 = p.n1;
            r.end2 = p.n2;
            return r;
        }
    }
}

TRevolution TCycleSearch::Return(const TSection& s, double u, int direction, bool fine,
                                 bool measure) {
    auto tol = [&] {
        TFlow::TOptions t = fine ? fine_ : coarse_;
        t.stiff = stiff_;
        return t;
    };
    TRevolution r = Revolve(s, u, direction, tol(), fine, measure);
    if (!r.returned && !stiff_ && (r.tooLong || r.failed)) {
        stiff_ = true;
        r = Revolve(s, u, direction, tol(), fine, measure);
    }
    return r;
}

double TCycleSearch::Drift(const TSection& s, double u, int direction, double h) {
    const TRevolution r = Return(s, u + h, direction, true, false);
    return r.returned ? r.u - (u + h) : std::numeric_limits<double>::quiet_NaN();
}

bool TCycleSearch::IsCentre(const TSection& s, double u, int direction, double size) {
    // Around a centre every orbit near the cycle is closed as well, however
    // far from it; beside a weak cycle (as near a Hopf point) the orbits drift
    // by more the farther they start, beside a fold by the square of their
    // distance. The closure is judged against the integration's noise at the
    // orbit's densities. An orbit beside the cycle that does not come round
    // (a centre's family grows fast towards the axes) is tried closer.
    const double noise =
        1e3 * fine_.relTol * (std::fabs(s.n1(u)) + std::fabs(s.n2(u)) + size) + 1e-12 * extent_;
    int closed = 0;
    for (const double side : {-1.0, 1.0}) {
        for (double h = 0.1 * size; h >= 1e-4 * size; h /= 10) {
            // A drift near h itself: the start was moved across the
            // equilibrium the cycle encloses, where the section is crossed the
            // other way; closer, then.
            const double d = Drift(s, u, direction, side * h);
            if (std::isnan(d) || std::fabs(d) > 0.5 * h) continue;
            if (std::fabs(d) > 1e-6 * h + noise) return false;
            ++closed;
            break;
        }
    }
    return closed > 0;
}

bool TCycleSearch::IsFold(const TSection& s, double u, int direction, double size) {
    // Beside a simple cycle the orbits drift towards it on both sides or
    // away on both: the drift changes sign across it. Beside a fold (two
    // cycles closer together than the orbits looked at) it does not.
    const double h = 1e-3 * size;
    const double below = Drift(s, u, direction, -h), above = Drift(s, u, direction, h);
    return below * above > 0;
}

double TCycleSearch::Tolerance(const TSection& s, double u) const {
    // Where a density is small the orbit's timing hangs on it to its last
    // digits (a relaxation cycle that spends most of its period growing back
    // from 1E-16): each density is pinned down relative to its own size.
    const double floor = fine_.absTol / fine_.relTol;
    double t = kFineShare * extent_;
    if (s.f2 != 0) t = std::min(t, kFineShare * (std::fabs(s.n1(u)) + floor) / std::fabs(s.f2));
    if (s.f1 != 0) t = std::min(t, kFineShare * (std::fabs(s.n2(u)) + floor) / std::fabs(s.f1));
    return t;
}

TLimitCycle TCycleSearch::Measured(const TSection& s, double u, TRevolution&& m) const {
    TLimitCycle cycle;
    cycle.n1 = s.n1(u);
    cycle.n2 = s.n2(u);
    cycle.period = m.time;
    cycle.n1Min = m.n1Min;
    cycle.n1Max = m.n1Max;
    cycle.n2Min = m.n2Min;
    cycle.n2Max = m.n2Max;
    cycle.multiplier = std::exp(m.divergence);
    cycle.kind = cycle.multiplier < 1 ? TCycleKind::Stable : TCycleKind::Unstable;
    if (!m.path.empty()) m.path.back() = {cycle.n1, cycle.n2}; // the line closes where it began
    cycle.path = std::move(m.path);
    return cycle;
}

void TCycleSearch::PinDown(const TSection& s, double u, int direction) {
    auto tolerance = [&](double at) { return Tolerance(s, at); };
    auto failed = [&](const TRevolution& r) {
        // An orbit that joined a cycle found meanwhile is nothing new.
        if (!r.known) unresolved.push_back({s.n1(u), s.n2(u), r.why});
    };
    // The secant method on the distance an orbit moves along the section in
    // one revolution.
    double a = u;
    TRevolution ra = Return(s, a, direction, true, false);
    if (!ra.returned) return failed(ra);
    double da = ra.u - a;
    double b = a, db = da;
    for (int i = 0; std::fabs(db) > tolerance(b); ++i) {
        if (Cancelled()) return;
        if (i == kMaxSecant) {
            // Returns that wander by the integration's noise alone: an orbit
            // of a centre's family.
            const double size = std::max(ra.n1Max - ra.n1Min, ra.n2Max - ra.n2Min);
            if (IsCentre(s, b, direction, size)) {
                centre = true;
                return;
            }
            TRevolution wandering;
            wandering.why = "the return map did not converge within " + std::to_string(kMaxSecant) +
                            " revolutions";
            return failed(wandering);
        }
        double c = b + db; // the orbit's own next return, where the secant is no help
        if (i > 0 && db != da) {
            const double secant = b - db * (b - a) / (db - da);
            if (std::isfinite(secant) && std::fabs(secant) <= reach_) c = secant;
        }
        const TRevolution rc = Return(s, c, direction, true, false);
        if (!rc.returned) return failed(rc);
        a = b;
        da = db;
        b = c;
        db = rc.u - c;
    }
    TRevolution m = Return(s, b, direction, true, true);
    if (!m.returned) return failed(m);
    const double size = std::max(m.n1Max - m.n1Min, m.n2Max - m.n2Min);
    if (size < kSmallestCycle * extent_) return; // an equilibrium
    TLimitCycle cycle = Measured(s, b, std::move(m));
    if (std::any_of(cycles.begin(), cycles.end(),
                    [&](const TLimitCycle& c) { return SameCycle(c, cycle, extent_); }))
        return;
    if (options_.lookBeside && std::fabs(cycle.multiplier - 1) <= kNearUnit) {
        if (IsCentre(s, b, direction, size)) {
            centre = true;
            return;
        }
        if (IsFold(s, b, direction, size)) cycle.kind = TCycleKind::SemiStable;
    }
    cycles.push_back(std::move(cycle));
}

void TCycleSearch::FromSeed(double n1, double n2, int direction) {
    if (Cancelled() || NearAttractor(n1, n2, direction, kNearEquilibrium * extent_)) return;
    std::optional<TSection> section = SectionAt(n1, n2);
    if (!section) return;
    stiff_ = false;
    // Follow the orbit from return to return; where successive returns close
    // in on a point geometrically, jump to the point they close in on.
    double u = 0;
    double steps[2] = {0, 0}; // the last two moves along the section
    for (int k = 0; k < kMaxReturns; ++k) {
        if (Cancelled()) return;
        const TSection& s = *section;
        const TRevolution r = Return(s, u, direction, false, false);
        if (r.passedBy) {
            section = SectionAt(r.end1, r.end2);
            if (!section || OnKnownCycle(r.end1, r.end2, kSameCycle * extent_)) return;
            u = 0;
            steps[0] = steps[1] = 0;
            continue;
        }
        if (!r.returned) return;
        if (OnKnownCycle(s.n1(r.u), s.n2(r.u), kSameCycle * extent_)) return;
        const double step = r.u - u;
        if (centre && k == 0 && std::fabs(step) <= kCentreClosure * extent_)
            return; // closed at once: another orbit of the centre's family
        // Settled: the returns agree, and to far less than the orbit's size
        // (around a focus both shrink together).
        const double size = std::max(r.n1Max - r.n1Min, r.n2Max - r.n2Min);
        if (std::fabs(step) <= kCoarseShare * std::min(extent_, size))
            return PinDown(s, r.u, direction);
        u = r.u;
        const double q = steps[1] != 0 ? step / steps[1] : 0;
        const double before = steps[0] != 0 ? steps[1] / steps[0] : 0;
        steps[0] = steps[1];
        steps[1] = step;
        if (q <= 0 || before <= 0) continue;
        if (q < 1) {
            const double limit = u + step * q / (1 - q);
            // Returns that close in on an equilibrium that attracts the
            // orbit: it spirals into it (a cycle it closed in on instead
            // would be where the returns head for).
            if (NearAttractor(s.n1(limit), s.n2(limit), direction, kSpiralInto * extent_)) return;
            // Two ratios of successive moves that agree: the returns close in
            // geometrically, and their limit is in sight.
            if (std::fabs(q - before) < 0.1 * (1 - q) && std::fabs(limit) <= reach_) {
                u = limit;
                steps[0] = steps[1] = 0;
            }
        }
    }
    // Still moving after many revolutions: no cycle is near enough to tell.
}

// Where orbits are started: a small ring around each equilibrium that a cycle
// may enclose (complex eigenvalues, or real ones of one sign), run away from
// it; then the given seeds forward; then a grid over the box both ways.
struct TSeed {
    double n1, n2;
    int direction;
};

std::vector<TSeed> Seeds(const TPlaneRect& box, const TEquilibria& equilibria,
                         const TCycleOptions& options) {
    std::vector<TSeed> seeds;
    // Off both axes: in population models they are invariant, and a start on
    // one would only slide along it.
    const double d1 = 0.6e-3 * box.Extent(), d2 = 0.8e-3 * box.Extent();
    for (const TEquilibrium& e : equilibria.points) {
        using enum TEquilibriumKind;
        switch (e.stability.kind) {
        case UnstableNode:
        case UnstableFocus:
            seeds.push_back({e.n1 + d1, e.n2 + d2, 1});
            break;
        case StableNode:
        case StableFocus:
            seeds.push_back({e.n1 + d1, e.n2 + d2, -1});
            break;
        case Centre:
        case Degenerate:
            seeds.push_back({e.n1 + d1, e.n2 + d2, 1});
            seeds.push_back({e.n1 + d1, e.n2 + d2, -1});
            break;
        case Saddle:
            break;
        }
    }
    for (const TCurvePoint& p : options.seeds)
        seeds.push_back({p.n1, p.n2, 1});
    const int n = std::max(0, options.gridSeeds);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const double n1 = box.n1Min + box.Width() * (i + 0.5) / n;
            const double n2 = box.n2Min + box.Height() * (j + 0.5) / n;
            seeds.push_back({n1, n2, 1});
            seeds.push_back({n1, n2, -1});
        }
    return seeds;
}

bool PassesThrough(const TLimitCycle& c, const TPlaneRect& box) {
    return std::any_of(c.path.begin(), c.path.end(), [&](const TCurvePoint& p) {
        return p.n1 >= box.n1Min && p.n1 <= box.n1Max && p.n2 >= box.n2Min && p.n2 <= box.n2Max;
    });
}

} // namespace

std::optional<TLimitCycle> FollowCycle(TCompiledModel& model, const TPlaneRect& box,
                                       TCurvePoint near, int direction,
                                       const TCycleOptions& options) {
    if (!box.IsValid() || !model.IsCompiled() || !model.HasDerivatives()) return std::nullopt;
    const double keep1 = model.StoredN1(), keep2 = model.StoredN2();
    const TEquilibria none;
    TCycleSearch search(model, box, none, options);
    const bool found = search.PinDownNear(near.n1, near.n2, direction < 0 ? -1 : 1);
    model.Store(keep1, keep2);
    if (!found) return std::nullopt;
    return std::move(search.cycles.back());
}

TLimitCycles FindLimitCycles(TCompiledModel& model, const TPlaneRect& box,
                             const TEquilibria& equilibria, const TCycleOptions& options) {
    TLimitCycles result;
    result.box = box;
    if (!box.IsValid()) {
        result.error = kEmptyRange;
        return result;
    }
    if (!model.IsCompiled() || !model.HasDerivatives()) {
        result.error = kNoDerivatives;
        return result;
    }
    const double keep1 = model.StoredN1(), keep2 = model.StoredN2();
    TCycleSearch search(model, box, equilibria, options);
    for (const TSeed& seed : Seeds(box, equilibria, options)) {
        if (search.Cancelled()) break;
        search.FromSeed(seed.n1, seed.n2, seed.direction);
    }
    model.Store(keep1, keep2);
    result.cancelled = search.Cancelled();
    result.centre = search.centre;
    result.unresolved = search.Notes();
    for (TLimitCycle& c : search.cycles)
        if (PassesThrough(c, box)) result.cycles.push_back(std::move(c));
    std::sort(result.cycles.begin(), result.cycles.end(),
              [](const TLimitCycle& a, const TLimitCycle& b) {
                  // Periods that agree to rounding are one period.
                  if (std::fabs(a.period - b.period) > 1e-9 * std::max(a.period, b.period))
                      return a.period < b.period;
                  return a.n1Max < b.n1Max;
              });
    return result;
}

struct TReturnMap::TImpl {
    TImpl(TCompiledModel& model, const TPlaneRect& box, const TCycleOptions& options)
        : options(options), search(model, box, none, this->options) {}
    TEquilibria none;
    TCycleOptions options;
    TCycleSearch search;
    std::optional<TSection> section;
};

TReturnMap::TReturnMap(TCompiledModel& model, const TPlaneRect& box, const TCycleOptions& options)
    : impl_(std::make_unique<TImpl>(model, box, options)) {}

TReturnMap::~TReturnMap() = default;

bool TReturnMap::Anchor(double n1, double n2) {
    impl_->search.Restart();
    impl_->section = impl_->search.SectionAt(n1, n2);
    return impl_->section.has_value();
}

double TReturnMap::Along(double n1, double n2) const {
    return impl_->section ? impl_->section->Along(n1, n2) : 0;
}

double TReturnMap::Tolerance(double u) const {
    return impl_->section ? impl_->search.Tolerance(*impl_->section, u) : 0;
}

std::optional<TReturnMap::TReturn> TReturnMap::Map(double u, int direction, TMeasure measure,
                                                   std::string* why) {
    if (!impl_->section) {
        if (why) *why = "the flow rests where the section was to be laid";
        return std::nullopt;
    }
    const TSection& s = *impl_->section;
    impl_->search.keepPath = measure == TMeasure::Drawn;
    TRevolution r =
        impl_->search.Return(s, u, direction < 0 ? -1 : 1, true, measure != TMeasure::None);
    if (!r.returned) {
        if (why) *why = r.why;
        return std::nullopt;
    }
    TReturn result;
    result.u = r.u;
    result.orbit = impl_->search.Measured(s, u, std::move(r));
    if (measure == TMeasure::None)
        result.orbit.multiplier = std::numeric_limits<double>::quiet_NaN();
    return result;
}
