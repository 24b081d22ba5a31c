#pragma once

// What the continuations (branches in one parameter, curves of special points
// in two) share: small vectors, the bordered system's solution, and the
// location of a test function's zero between two points of a curve.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>

template <std::size_t N> using TArcVec = std::array<double, N>;

template <std::size_t N> double Dot(const TArcVec<N>& a, const TArcVec<N>& b) {
    double s = 0;
    for (std::size_t i = 0; i < N; ++i)
        s += a[i] * b[i];
    return s;
}

template <std::size_t N> double Norm(const TArcVec<N>& a) {
    return std::sqrt(Dot(a, a));
}

// a + s·b.
template <std::size_t N> TArcVec<N> Add(const TArcVec<N>& a, double s, const TArcVec<N>& b) {
    TArcVec<N> r;
    for (std::size_t i = 0; i < N; ++i)
        r[i] = a[i] + s * b[i];
    return r;
}

// The length of the steps along a curve, in its scaled units (the box's
// extent, the ranges' widths): the longest keeps rows at most 1/100 of
// either apart; a step that bends the curve so much that the chord between
// two rows strays more than kSagitta from it is taken again shorter.
struct TArcStep {
    static constexpr double kFirst = 1e-3;
    static constexpr double kLongest = 1e-2;
    static constexpr double kShortest = 1e-9;
    static constexpr double kSagitta = 5e-3;

    double h = kFirst;

    // The turn of the tangent from a to b, in radians.
    template <typename TPoint> static double Turn(const TPoint& a, const TPoint& b) {
        return std::acos(std::clamp(Dot(a.tangent, b.tangent), -1.0, 1.0));
    }

    // The point a step of h along x's tangent, as `correct(guess)` puts it
    // on the curve, taken again at half the length while the corrector fails
    // or the chord from x would stray too far (it strays by about h·θ/8, θ
    // the turn of the tangent over the step); none once h falls below
    // kShortest, near a singular point.
    template <typename TPoint, typename TCorrect>
    std::optional<TPoint> Take(const TPoint& x, TCorrect correct) {
        for (; h >= kShortest; h /= 2) {
            std::optional<TPoint> next = correct(Add(x.y, h, x.tangent));
            if (!next) continue;
            const double turn = Turn(x, *next);
            if (h * turn / 8 <= kSagitta && turn <= 0.5) return next;
        }
        return std::nullopt;
    }

    // After a step from x to next is kept: longer where the curve hardly
    // turned.
    template <typename TPoint> void Kept(const TPoint& x, const TPoint& next) {
        if (h * Turn(x, next) / 8 < kSagitta / 4) h = std::min(h * 1.5, kLongest);
    }
};

// Solves m x = b by Gaussian elimination with partial pivoting; false when m
// is singular to working precision or the solution is not finite.
template <std::size_t N> bool Solve(std::array<TArcVec<N>, N> m, TArcVec<N> b, TArcVec<N>& x) {
    for (std::size_t col = 0; col < N; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < N; ++row)
            if (std::fabs(m[row][col]) > std::fabs(m[pivot][col])) pivot = row;
        if (!(std::fabs(m[pivot][col]) > 0)) return false;
        std::swap(m[col], m[pivot]);
        std::swap(b[col], b[pivot]);
        for (std::size_t row = col + 1; row < N; ++row) {
            const double f = m[row][col] / m[col][col];
            for (std::size_t k = col; k < N; ++k)
                m[row][k] -= f * m[col][k];
            b[row] -= f * b[col];
        }
    }
    double sum = 0;
    for (std::size_t row = N; row-- > 0;) {
        double s = b[row];
        for (std::size_t k = row + 1; k < N; ++k)
            s -= m[row][k] * x[k];
        x[row] = s / m[row][row];
        sum += x[row];
    }
    return std::isfinite(sum);
}

// The point between a (at 0) and the point a step of h further (both on the
// curve) where `test` is 0, by regula falsi (Illinois) on the distance s,
// `at(s)` the point of the curve there. It stops once `done(s0, s1, point)`
// says the bracket is tight enough. Where `at` fails (Newton's method right at
// a singular point), trials a little to the side still bracket the root.
// None when the far point cannot be had; else the last point found.
template <typename TPoint, typename TAt, typename TTest, typename TDone>
std::optional<TPoint> LocateZero(const TPoint& a, double h, TAt at, TTest test, TDone done) {
    double s0 = 0, s1 = h;
    double g0 = test(a);
    std::optional<TPoint> best = at(h);
    if (!best) return std::nullopt;
    double g1 = test(*best);
    int side = 0;
    for (int i = 0; i < 100 && !done(s0, s1, *best); ++i) {
        double s = (s0 * g1 - s1 * g0) / (g1 - g0);
        if (!(s > std::min(s0, s1) && s < std::max(s0, s1))) s = (s0 + s1) / 2;
        std::optional<TPoint> x = at(s);
        for (int retry = 0; !x && retry < 8; ++retry) {
            s = (s + s0) / 2;
            x = at(s);
        }
        if (!x) return best;
        const double g = test(*x);
        best = x;
        if (g == 0) break;
        if ((g < 0) == (g0 < 0)) {
            s0 = s;
            g0 = g;
            if (side == -1) g1 /= 2;
            side = -1;
        } else {
            s1 = s;
            g1 = g;
            if (side == 1) g0 /= 2;
            side = 1;
        }
    }
    return best;
}
