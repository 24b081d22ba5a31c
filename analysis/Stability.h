#pragma once

#include "PlaneModel.h"

#include <complex>

// The kinds of an equilibrium of a planar system, read from the eigenvalues
// of its Jacobian.
enum class TEquilibriumKind {
    StableNode,
    UnstableNode,
    Saddle,
    StableFocus,
    UnstableFocus,
    Centre,
    Degenerate,
};

// The kind as the program writes it: "stable node", "unstable node",
// "saddle", "stable focus", "unstable focus", "centre", "degenerate".
const char* KindName(TEquilibriumKind kind);

struct TStability {
    // Real eigenvalues in ascending order; a complex pair with the positive
    // imaginary part first.
    std::complex<double> lambda1;
    std::complex<double> lambda2;
    TEquilibriumKind kind = TEquilibriumKind::Degenerate;
};

// The eigenvalues of a finite Jacobian and the kind they make:
// - an eigenvalue with |λ| ≤ 1E-12 × the largest entry magnitude: degenerate;
// - complex, |real part| ≤ 1E-9 × |imaginary part|: centre; else a stable or
//   unstable focus by the sign of the real part;
// - real and of one sign: a stable or unstable node (equal eigenvalues
//   included); of opposite signs: a saddle.
TStability Classify(const TJacobian& j);
