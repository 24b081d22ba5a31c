#include "Lyapunov.h"

#include <cmath>
#include <complex>
#include <limits>

namespace {

using C = std::complex<double>;

struct TVec {
    C x, y;
};

// A Hopf point located in a parameter keeps a residual trace of the order of the location's
// error; one with eigenvalues turning more than this fraction of ω outwards or inwards is not one.
constexpr double kTraceOfOmega = 2e-6;

C Dot(const TVec& p, const TVec& v) { // p̄ᵀv, conjugate-linear in p as the formula takes it
    return std::conj(p.x) * v.x + std::conj(p.y) * v.y;
}

// B(u, v): the second derivatives of both rates as a symmetric bilinear form.
TVec Quadratic(const std::array<TJet3, 2>& f, const TVec& u, const TVec& v) {
    auto one = [&](const TJet3& j) {
        return j.d11 * u.x * v.x + j.d12 * (u.x * v.y + u.y * v.x) + j.d22 * u.y * v.y;
    };
    return {one(f[0]), one(f[1])};
}

// C(u, v, w): the third derivatives as a symmetric trilinear form.
TVec Cubic(const std::array<TJet3, 2>& f, const TVec& u, const TVec& v, const TVec& w) {
    auto one = [&](const TJet3& j) {
        return j.d111 * u.x * v.x * w.x +
               j.d112 * (u.x * v.x * w.y + u.x * v.y * w.x + u.y * v.x * w.x) +
               j.d122 * (u.x * v.y * w.y + u.y * v.x * w.y + u.y * v.y * w.x) +
               j.d222 * u.y * v.y * w.y;
    };
    return {one(f[0]), one(f[1])};
}

} // namespace

double FirstLyapunovCoefficient(const std::array<TJet3, 2>& jets, double* omega) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    if (omega) *omega = nan;

    // A located point keeps a residual trace; it is taken out, A = J − (tr/2)·I, rather than the
    // formula used with J as it is: A has eigenvalues exactly ±iω, so A q = iωq, Aᵀp = −iωp and
    // the two inverses below hold to rounding, where with J every identity the projection rests
    // on would be off by O(tr/ω). Either way l1 moves by O(tr/ω), less than the location's error
    // in the parameter moves the derivatives themselves.
    const double half = 0.5 * (jets[0].d1 - jets[1].d2); // A = [[half, b], [c, −half]]
    const double b = jets[0].d2, c = jets[1].d1;
    const double trace = jets[0].d1 + jets[1].d2;
    const double w2 = -(half * half + b * c); // det J − tr²/4 without cancelling the trace
    if (!(w2 > 0) || !std::isfinite(w2)) return nan;
    const double w = std::sqrt(w2);
    if (!(std::fabs(trace) <= kTraceOfOmega * w)) return nan;

    // bc < −half² ≤ 0 makes b nonzero, so these rows of A − iωI and Aᵀ + iωI give the vectors,
    // from the entries as they are, with nothing cancelling.
    const C iw(0, w);
    TVec q{b, iw - half};
    TVec p{iw - half, -b};
    const double norm = std::sqrt(std::norm(q.x) + std::norm(q.y));
    q = {q.x / norm, q.y / norm};
    const C pq = std::conj(Dot(p, q)); // p ← p / conj(p̄ᵀq) makes p̄ᵀq = 1
    p = {p.x / pq, p.y / pq};
    const TVec qb{std::conj(q.x), std::conj(q.y)};

    // A⁻¹ = adj A / ω² and (2iωI − A)⁻¹ = adj(2iωI − A) / (−3ω²), since det A = ω² and
    // det(2iωI − A) = −4ω² + det A.
    const TVec s = Quadratic(jets, q, qb);
    const TVec h11{(-half * s.x - b * s.y) / w2, (-c * s.x + half * s.y) / w2};
    const TVec r = Quadratic(jets, q, q);
    const C d = -3.0 * w2;
    const TVec h20{((2.0 * iw + half) * r.x + b * r.y) / d,
                   (c * r.x + (2.0 * iw - half) * r.y) / d};

    const C sum = Dot(p, Cubic(jets, q, q, qb)) - 2.0 * Dot(p, Quadratic(jets, q, h11)) +
                  Dot(p, Quadratic(jets, qb, h20));
    if (omega) *omega = w;
    return sum.real() / (2 * w);
}
