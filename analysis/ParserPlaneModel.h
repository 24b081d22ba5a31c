#pragma once

#include "PlaneModel.h"

class TCustomParser;

// The model on screen as the analysis sees it: two compiled rate laws and
// the cells of N1 and N2 each of them reads (the pointers DefineVariable
// returned). Every evaluation puts the point into the cells, evaluates, and
// puts the cells' values back, so the analysis can run on the parsers of a
// paused or running simulation between two steps without moving its state.
// A fault at a point (division by zero, overflow, an invalid operation)
// reads as NaN. Not for use from two threads at once.
//
// This model gives rates only (HasGradient is false): the equilibrium search
// answers kNoDerivatives for it; nullclines and the direction field work.
class TParserPlaneModel : public TPlaneModel {
public:
    struct TRateLaw {
        TCustomParser* parser = nullptr;
        double* n1 = nullptr;
        double* n2 = nullptr;
    };

    // rate1 is dN1/dt, rate2 dN2/dt. The parsers and cells must outlive this.
    TParserPlaneModel(TRateLaw rate1, TRateLaw rate2) : laws_{rate1, rate2} {}

    double Rate(int which, double N1, double N2) override;

private:
    TRateLaw laws_[2];
};
