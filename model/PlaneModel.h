#pragma once

// What the phase-plane analysis needs to know of a model: the two rates
// dN1/dt and dN2/dt at a point (N1, N2) and, where the model can give them,
// their exact partial derivatives. The analysis never sees how the rates are
// written; the window's compiled rate laws, a closed form in C++ or a test
// model all fit behind this.

// A rate with its partial derivatives with respect to N1 and N2.
struct TRateGradient {
    double value = 0;
    double dN1 = 0;
    double dN2 = 0;
};

// The partial derivatives of the rates at a point: d1dN2 is the derivative of
// dN1/dt with respect to N2, and so on.
struct TJacobian {
    double d1dN1 = 0;
    double d1dN2 = 0;
    double d2dN1 = 0;
    double d2dN2 = 0;
};

class TPlaneModel {
public:
    virtual ~TPlaneModel() = default;

    // The rate `which` (0: dN1/dt, 1: dN2/dt) at (N1, N2). A point where the
    // rate is undefined returns a value that is not finite or throws an
    // exception derived from std::exception; the analysis skips such a point.
    // Not const: an evaluator may write its variable cells.
    virtual double Rate(int which, double N1, double N2) = 0;

    // True when RateGradient gives exact derivatives (not differences).
    virtual bool HasGradient() const { return false; }

    // The rate `which` and its partial derivatives at (N1, N2); faults as Rate.
    // Only called when HasGradient is true.
    virtual TRateGradient RateGradient(int which, double N1, double N2);
};
