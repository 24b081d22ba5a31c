#include "Stability.h"

#include <algorithm>
#include <cmath>

const char* KindName(TEquilibriumKind kind) {
    switch (kind) {
    case TEquilibriumKind::StableNode:
        return "stable node";
    case TEquilibriumKind::UnstableNode:
        return "unstable node";
    case TEquilibriumKind::Saddle:
        return "saddle";
    case TEquilibriumKind::StableFocus:
        return "stable focus";
    case TEquilibriumKind::UnstableFocus:
        return "unstable focus";
    case TEquilibriumKind::Centre:
        return "centre";
    case TEquilibriumKind::Degenerate:
        break;
    }
    return "degenerate";
}

namespace {

constexpr double kZeroEigenvalue = 1e-12;
constexpr double kCentre = 1e-9;

// a·d − b·c without the cancellation of the plain formula (Kahan's way):
// the rounding error of b·c is put back by a fused multiply-add.
double Determinant(double a, double b, double c, double d) {
    const double w = b * c;
    const double e = std::fma(-b, c, w);
    return std::fma(a, d, -w) + e;
}

} // namespace

TStability Classify(const TJacobian& j) {
    TStability s;
    const double scale =
        std::max({std::fabs(j.d1dN1), std::fabs(j.d1dN2), std::fabs(j.d2dN1), std::fabs(j.d2dN2)});
    if (!(scale > 0) || !std::isfinite(scale)) return s; // the zero matrix: both eigenvalues 0

    // Scaled to entries of at most 1 so that no square below overflows.
    const double a = j.d1dN1 / scale, b = j.d1dN2 / scale;
    const double c = j.d2dN1 / scale, d = j.d2dN2 / scale;
    const double half = 0.5 * (a + d);
    const double gap = 0.5 * (a - d);
    const double disc = gap * gap + b * c; // (trace/2)² − det without cancelling the trace
    const double det = Determinant(a, b, c, d);

    if (disc >= 0) {
        const double root = std::sqrt(disc);
        const double big = half + std::copysign(root, half);
        const double small = big != 0 ? det / big : 0.0;
        // + 0.0 turns a negative zero into 0.
        s.lambda1 = std::min(big, small) * scale + 0.0;
        s.lambda2 = std::max(big, small) * scale + 0.0;
    } else {
        const double im = std::sqrt(-disc);
        s.lambda1 = {half * scale + 0.0, im * scale};
        s.lambda2 = {half * scale + 0.0, -im * scale};
    }

    const double threshold = kZeroEigenvalue * scale;
    if (std::abs(s.lambda1) <= threshold || std::abs(s.lambda2) <= threshold) {
        s.kind = TEquilibriumKind::Degenerate;
    } else if (s.lambda1.imag() != 0) {
        const double re = s.lambda1.real(), im = std::fabs(s.lambda1.imag());
        if (std::fabs(re) <= kCentre * im)
            s.kind = TEquilibriumKind::Centre;
        else
            s.kind = re < 0 ? TEquilibriumKind::StableFocus : TEquilibriumKind::UnstableFocus;
    } else {
        const double lo = s.lambda1.real(), hi = s.lambda2.real();
        if (hi < 0)
            s.kind = TEquilibriumKind::StableNode;
        else if (lo > 0)
            s.kind = TEquilibriumKind::UnstableNode;
        else
            s.kind = TEquilibriumKind::Saddle;
    }
    return s;
}
