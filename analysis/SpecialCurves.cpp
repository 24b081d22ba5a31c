#include "SpecialCurves.h"

#include "ArclengthSteps.h"
#include "Continuation.h"
#include "FloatText.h"
#include "Lyapunov.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>

const char* CurveKindName(TCurveKind kind) {
    return kind == TCurveKind::Hopf ? "hopf" : "fold";
}

const char* CodimTwoLabel(TCodimTwo point) {
    switch (point) {
    case TCodimTwo::None:
        return "";
    case TCodimTwo::BogdanovTakens:
        return "bogdanov-takens";
    case TCodimTwo::Cusp:
        return "cusp";
    case TCodimTwo::Bautin:
        return "bautin";
    }
    return "";
}

namespace {

using TVec4 = TArcVec<4>;
using TMat4 = std::array<TVec4, 4>;

constexpr double kNewtonTolerance = 1e-11;
constexpr int kNewtonIterations = 12;
constexpr int kMaxSteps = 20000;
constexpr int kMaxCurves = 32;
// The test function's derivatives by central differences of this (scaled)
// step: the equations themselves stay exact, only Newton's matrix is not.
constexpr double kDifference = 1e-6;

double Det3(const std::array<std::array<double, 3>, 3>& m) {
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// The direction a 3 × 4 matrix of rank 3 leaves unchanged: its signed 3 × 3
// minors.
TVec4 Kernel(const std::array<TVec4, 3>& rows) {
    TVec4 t{};
    for (int skip = 0; skip < 4; ++skip) {
        std::array<std::array<double, 3>, 3> m{};
        for (int r = 0; r < 3; ++r)
            for (int c = 0, k = 0; c < 4; ++c)
                if (c != skip) m[r][k++] = rows[r][c];
        t[skip] = (skip % 2 ? -1 : 1) * Det3(m);
    }
    return t;
}

struct TPoint {
    TVec4 y{}; // N1, N2 over the box's extent; P1, P2 over their ranges' widths
    double rate[2] = {};
    TJacobian j;
    double fp[2][2] = {}; // the rates' derivatives in P1 and P2
    TVec4 tangent{};
    double det() const { return j.d1dN1 * j.d2dN2 - j.d1dN2 * j.d2dN1; }
    double trace() const { return j.d1dN1 + j.d2dN2; }
};

class TTracer {
public:
    TTracer(TCompiledModel& model, std::size_t p1, std::size_t p2,
            const TSpecialCurveOptions& options)
        : model_(model), p1_(p1), p2_(p2),
          options_(options), scale_{options.box.Extent(), options.box.Extent(),
                                    std::fabs(options.to1 - options.from1),
                                    std::fabs(options.to2 - options.from2)} {}

    // Traces the curve of `kind` through (n1, n2) at (v1, v2) both ways.
    void From(TCurveKind kind, double n1, double n2, double v1, double v2, TSpecialCurves& result);

private:
    double At(const TVec4& y, int i) const { return y[i] * scale_[i]; }
    double Test(const TPoint& x) const { return kind_ == TCurveKind::Fold ? x.det() : x.trace(); }
    bool Evaluate(TPoint& x);
    bool Tangent(TPoint& x, const TVec4& along);
    std::optional<TPoint> Correct(const TVec4& guess, const TVec4& on, const TVec4& normal,
                                  const TVec4& along);
    std::optional<TPoint> Locate(const TPoint& a, double h,
                                 const std::function<double(const TPoint&)>& test);
    void Follow(TPoint x, TSpecialCurve& curve, TSpecialCurves& result);
    TSpecialCurveRow Row(const TPoint& x, TCodimTwo label = TCodimTwo::None) const {
        return {At(x.y, 2), At(x.y, 3), At(x.y, 0), At(x.y, 1), label};
    }
    // How far inside each bound the point lies: the box's four edges, then
    // the ends of both ranges.
    std::array<double, 8> Margins(const TPoint& x) const {
        const TPlaneRect& b = options_.box;
        const double n1 = At(x.y, 0), n2 = At(x.y, 1), v1 = At(x.y, 2), v2 = At(x.y, 3);
        return {n1 - b.n1Min,
                b.n1Max - n1,
                n2 - b.n2Min,
                b.n2Max - n2,
                v1 - std::min(options_.from1, options_.to1),
                std::max(options_.from1, options_.to1) - v1,
                v2 - std::min(options_.from2, options_.to2),
                std::max(options_.from2, options_.to2) - v2};
    }
    bool Inside(const TVec4& y) const {
        TPoint x;
        x.y = y;
        const std::array<double, 8> m = Margins(x);
        return std::all_of(m.begin(), m.end(), [](double v) { return v >= 0; });
    }
    double Lyapunov(const TPoint& x);
    double FoldCoefficient(const TPoint& x);

    TCompiledModel& model_;
    std::size_t p1_, p2_;
    const TSpecialCurveOptions& options_;
    TVec4 scale_;
    TCurveKind kind_ = TCurveKind::Fold;
    // The system's derivative at the point Tangent looked at last.
    std::array<TVec4, 3> jacobianRows_{};
};

bool TTracer::Evaluate(TPoint& x) {
    const double n1 = At(x.y, 0), n2 = At(x.y, 1);
    try {
        model_.SetParameter(p1_, At(x.y, 2));
        model_.SetParameter(p2_, At(x.y, 3));
        const TLinearisation l = model_.Jacobian(n1, n2);
        const std::array<double, 2> d1 = model_.ParameterDerivative(p1_, n1, n2);
        const std::array<double, 2> d2 = model_.ParameterDerivative(p2_, n1, n2);
        x.rate[0] = l.rate1;
        x.rate[1] = l.rate2;
        x.j = l.jacobian;
        x.fp[0][0] = d1[0];
        x.fp[1][0] = d1[1];
        x.fp[0][1] = d2[0];
        x.fp[1][1] = d2[1];
    } catch (...) {
        return false;
    }
    return std::isfinite(x.rate[0] + x.rate[1] + x.det());
}

// The rows of the system's derivative at x: both rates and the test
// function, in scaled coordinates.
bool TTracer::Tangent(TPoint& x, const TVec4& along) {
    std::array<TVec4, 3> rows{};
    for (int i = 0; i < 2; ++i) {
        const double jn1 = i == 0 ? x.j.d1dN1 : x.j.d2dN1;
        const double jn2 = i == 0 ? x.j.d1dN2 : x.j.d2dN2;
        rows[i] = {jn1 * scale_[0], jn2 * scale_[1], x.fp[i][0] * scale_[2],
                   x.fp[i][1] * scale_[3]};
    }
    for (int k = 0; k < 4; ++k) {
        TPoint plus, minus;
        plus.y = minus.y = x.y;
        plus.y[k] += kDifference;
        minus.y[k] -= kDifference;
        if (!Evaluate(plus) || !Evaluate(minus)) return false;
        rows[2][k] = (Test(plus) - Test(minus)) / (2 * kDifference);
    }
    TVec4 t = Kernel(rows);
    const double length = Norm(t);
    if (!(length > 0) || !std::isfinite(length)) return false;
    for (double& c : t)
        c /= length;
    if (Dot(t, along) < 0)
        for (double& c : t)
            c = -c;
    x.tangent = t;
    Evaluate(x); // the model holds x again, not the last difference
    jacobianRows_ = rows;
    return true;
}

std::optional<TPoint> TTracer::Correct(const TVec4& guess, const TVec4& on, const TVec4& normal,
                                       const TVec4& along) {
    TPoint x;
    x.y = guess;
    for (int i = 0; i < kNewtonIterations; ++i) {
        if (!Evaluate(x) || !Tangent(x, along)) return std::nullopt;
        const TMat4 m{jacobianRows_[0], jacobianRows_[1], jacobianRows_[2], normal};
        const TVec4 residual{-x.rate[0], -x.rate[1], -Test(x), -Dot(normal, Add(x.y, -1, on))};
        TVec4 dy{};
        if (!Solve(m, residual, dy)) return std::nullopt;
        x.y = Add(x.y, 1, dy);
        if (Norm(dy) <= kNewtonTolerance * std::max(1.0, Norm(x.y))) {
            if (!Evaluate(x) || !Tangent(x, along)) return std::nullopt;
            return x;
        }
    }
    return std::nullopt;
}

std::optional<TPoint> TTracer::Locate(const TPoint& a, double h,
                                      const std::function<double(const TPoint&)>& test) {
    auto at = [&](double s) {
        return Correct(Add(a.y, s, a.tangent), Add(a.y, s, a.tangent), a.tangent, a.tangent);
    };
    auto done = [](double s0, double s1, const TPoint&) { return std::fabs(s1 - s0) <= 1e-12; };
    return LocateZero<TPoint>(a, h, at, test, done);
}

double TTracer::Lyapunov(const TPoint& x) {
    try {
        model_.SetParameter(p1_, At(x.y, 2));
        model_.SetParameter(p2_, At(x.y, 3));
        return FirstLyapunovCoefficient(model_.Derivatives3(At(x.y, 0), At(x.y, 1)));
    } catch (...) {
        return std::nan("");
    }
}

// The quadratic coefficient of the fold's normal form, p·B(q, q)/2 with
// J q = 0 and Jᵀ p = 0 (unnormalised: only its sign changes are looked for),
// from the rates' exact second derivatives. It changes sign at a cusp.
double TTracer::FoldCoefficient(const TPoint& x) {
    try {
        model_.SetParameter(p1_, At(x.y, 2));
        model_.SetParameter(p2_, At(x.y, 3));
        const std::array<TJet3, 2> f = model_.Derivatives3(At(x.y, 0), At(x.y, 1));
        const TJacobian& j = x.j;
        // The null vectors of J and of its transpose, from whichever row
        // (column) of J is the larger.
        const bool row1 = std::hypot(j.d1dN1, j.d1dN2) >= std::hypot(j.d2dN1, j.d2dN2);
        const double q1 = row1 ? -j.d1dN2 : -j.d2dN2, q2 = row1 ? j.d1dN1 : j.d2dN1;
        const bool col1 = std::hypot(j.d1dN1, j.d2dN1) >= std::hypot(j.d1dN2, j.d2dN2);
        const double p1 = col1 ? -j.d2dN1 : -j.d2dN2, p2 = col1 ? j.d1dN1 : j.d1dN2;
        double a = 0;
        for (int i = 0; i < 2; ++i)
            a += (i == 0 ? p1 : p2) *
                 (f[i].d11 * q1 * q1 + 2 * f[i].d12 * q1 * q2 + f[i].d22 * q2 * q2) / 2;
        return a;
    } catch (...) {
        return std::nan("");
    }
}

void TTracer::Follow(TPoint x, TSpecialCurve& curve, TSpecialCurves& result) {
    TArcStep step;
    double l1 = kind_ == TCurveKind::Hopf ? Lyapunov(x) : 0;
    double a = kind_ == TCurveKind::Fold ? FoldCoefficient(x) : 0;
    for (int steps = 0; steps < kMaxSteps; ++steps) {
        if (options_.cancel && options_.cancel->load()) {
            result.cancelled = true;
            return;
        }
        const std::optional<TPoint> next = step.Take(
            x, [&](const TVec4& guess) { return Correct(guess, guess, x.tangent, x.tangent); });
        if (!next) {
            result.stopped.push_back("Continuation stopped at " + model_.ParameterName(p1_) +
                                     " = " + FloatToText(At(x.y, 2)) + ", " +
                                     model_.ParameterName(p2_) + " = " + FloatToText(At(x.y, 3)) +
                                     ": the step became too small near a singular point");
            return;
        }
        const double h = step.h;
        if (!Inside(next->y)) {
            // The last row where the curve leaves the box or a range, through
            // the bound the step went furthest past.
            const std::array<double, 8> past = Margins(*next);
            const std::size_t bound = std::min_element(past.begin(), past.end()) - past.begin();
            if (std::optional<TPoint> end =
                    Locate(x, h, [&](const TPoint& q) { return Margins(q)[bound]; }))
                curve.rows.push_back(Row(*end));
            return;
        }
        // Where a fold curve and a Hopf curve meet, both det J and tr J are
        // 0: on a Hopf curve det J falls through 0 (beyond, the points are
        // neutral saddles, and the curve is no longer one of Hopf points); on
        // a fold curve tr J changes sign.
        const bool hopf = kind_ == TCurveKind::Hopf;
        const auto other = [hopf](const TPoint& q) { return hopf ? q.det() : q.trace(); };
        if ((other(x) < 0) != (other(*next) < 0)) {
            if (std::optional<TPoint> bt = Locate(x, h, other))
                curve.rows.push_back(Row(*bt, TCodimTwo::BogdanovTakens));
            if (hopf) return;
        }
        if (!hopf) {
            const double aNext = FoldCoefficient(*next);
            if (std::isfinite(a) && std::isfinite(aNext) && (a < 0) != (aNext < 0)) {
                if (std::optional<TPoint> cp =
                        Locate(x, h, [this](const TPoint& q) { return FoldCoefficient(q); }))
                    curve.rows.push_back(Row(*cp, TCodimTwo::Cusp));
            }
            a = aNext;
        }
        if (hopf) {
            const double l1Next = Lyapunov(*next);
            if (std::isfinite(l1) && std::isfinite(l1Next) && (l1 < 0) != (l1Next < 0)) {
                if (std::optional<TPoint> gh =
                        Locate(x, h, [this](const TPoint& q) { return Lyapunov(q); }))
                    curve.rows.push_back(Row(*gh, TCodimTwo::Bautin));
            }
            l1 = l1Next;
        }
        curve.rows.push_back(Row(*next));
        step.Kept(x, *next);
        x = *next;
    }
}

void TTracer::From(TCurveKind kind, double n1, double n2, double v1, double v2,
                   TSpecialCurves& result) {
    kind_ = kind;
    const TVec4 start{n1 / scale_[0], n2 / scale_[1], v1 / scale_[2], v2 / scale_[3]};
    // The start is a point of the curve to the digits it was located to: one
    // correction across P2 settles it.
    std::optional<TPoint> x = Correct(start, start, {0, 0, 0, 1}, {0, 0, 0, 1});
    if (!x) return;
    // A start on a curve traced already: its line of rows passes the start
    // within the distance the step control keeps chords to the curve.
    const auto scaled = [this](const TSpecialCurveRow& r) {
        return TVec4{r.n1 / scale_[0], r.n2 / scale_[1], r.p1 / scale_[2], r.p2 / scale_[3]};
    };
    for (const TSpecialCurve& c : result.curves) {
        if (c.kind != kind) continue;
        for (std::size_t i = 0; i + 1 < c.rows.size(); ++i) {
            const TVec4 a = scaled(c.rows[i]), d = Add(scaled(c.rows[i + 1]), -1, a);
            const double length2 = Dot(d, d);
            const double share =
                length2 > 0 ? std::clamp(Dot(Add(x->y, -1, a), d) / length2, 0.0, 1.0) : 0;
            if (Norm(Add(Add(a, share, d), -1, x->y)) <= 2 * TArcStep::kSagitta) return;
        }
    }
    TSpecialCurve curve;
    curve.kind = kind;
    // Both ways from the start: the rows of one way reversed, then the other.
    TPoint back = *x;
    for (double& c : back.tangent)
        c = -c;
    Follow(back, curve, result);
    std::reverse(curve.rows.begin(), curve.rows.end());
    curve.rows.push_back(Row(*x));
    Follow(*x, curve, result);
    result.curves.push_back(std::move(curve));
}

} // namespace

TSpecialCurves ContinueSpecialPoints(TCompiledModel& model, std::size_t p1, std::size_t p2,
                                     const TSpecialCurveOptions& options) {
    TSpecialCurves result;
    if (p1 >= model.ParameterCount() || p2 >= model.ParameterCount() || p1 == p2) {
        result.error = "Two different parameters are needed";
        return result;
    }
    if (!options.box.IsValid() || options.from1 == options.to1 || options.from2 == options.to2 ||
        !std::isfinite(options.from1 + options.to1 + options.from2 + options.to2)) {
        result.error = "The range is empty";
        return result;
    }
    const double keep1 = model.Parameter(p1), keep2 = model.Parameter(p2);
    const double cell1 = model.StoredN1(), cell2 = model.StoredN2();
    // The folds and Hopf points of P1 at P2's value (its present one, moved
    // into P2's range).
    const double v2 = std::clamp(keep2, std::min(options.from2, options.to2),
                                 std::max(options.from2, options.to2));
    model.SetParameter(p2, v2);
    const TContinuation branches =
        ContinueEquilibria(model, p1, {options.from1, options.to1, options.box, options.cancel});
    TTracer tracer(model, p1, p2, options);
    for (const TBranch& b : branches.branches)
        for (const TBranchRow& r : b.rows) {
            if (int(result.curves.size()) >= kMaxCurves) break;
            if (r.label == TSpecialPoint::Fold)
                tracer.From(TCurveKind::Fold, r.n1, r.n2, r.p, v2, result);
            if (r.label == TSpecialPoint::HopfSupercritical ||
                r.label == TSpecialPoint::HopfSubcritical)
                tracer.From(TCurveKind::Hopf, r.n1, r.n2, r.p, v2, result);
        }
    model.SetParameter(p1, keep1);
    model.SetParameter(p2, keep2);
    model.Store(cell1, cell2);
    return result;
}
