#pragma once

#include "JetEvaluator.h"

#include <array>

// The first Lyapunov coefficient l1 of a planar Hopf point, from both rates' derivatives to third
// order there (TCompiledModel::Derivatives3): negative for a supercritical Hopf bifurcation (a
// stable cycle is born), positive for a subcritical one. The Jacobian (the jets' first
// derivatives) must have trace 0 (to rounding) and a positive determinant; otherwise NaN. `omega`,
// when given, receives the angular frequency there, sqrt(det J − tr²/4) (sqrt(det J) at trace 0),
// or NaN with the coefficient.
//
// The scale is that of the projection formula with a unit eigenvector q (A q = iωq) and the
// adjoint p with p̄ᵀq = 1: for z' = iωz + c|z|²z in z = N1 + iN2 it is 2·Re c/ω. A linear change
// of the densities keeps its sign but not its size: with the densities counted in units s times
// smaller it is s² times smaller.
//
// "Trace 0 to rounding" is |tr J| ≤ 2E-6·ω (the eigenvalues' real part at most 1E-6 of their
// imaginary part): a Hopf point located in a parameter keeps a trace of the order of the error of
// the location.
double FirstLyapunovCoefficient(const std::array<TJet3, 2>& jets, double* omega = nullptr);
