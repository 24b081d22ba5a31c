#pragma once

#include "DualEvaluator.h"
#include "PlaneModel.h"

#include <memory>

// The model on screen as the analysis sees it: two compiled rate laws and
// the cells of N1 and N2 each of them reads (the pointers DefineVariable
// returned). Every evaluation puts the point into the cells, evaluates, and
// puts the cells' values back, so the analysis can run on the parsers of a
// paused or running simulation between two steps without moving its state.
// A fault at a point (division by zero, overflow, an invalid operation)
// reads as NaN. Not for use from two threads at once.
//
// The gradients come from dual-number evaluators made once, from the
// compiled forms as they are when the model is made: make a new model after
// a rate is compiled again. When a rate calls a function without a known
// derivative, the model gives rates only (HasGradient is false) and the
// equilibrium search answers kNoDerivatives; nullclines and the direction
// field still work.
class TParserPlaneModel : public TPlaneModel {
public:
    struct TRateLaw {
        TCustomParser* parser = nullptr;
        double* n1 = nullptr;
        double* n2 = nullptr;
    };

    // rate1 is dN1/dt, rate2 dN2/dt. The parsers and cells must outlive this.
    TParserPlaneModel(TRateLaw rate1, TRateLaw rate2);

    double Rate(int which, double N1, double N2) override;
    bool HasGradient() const override { return duals_[0] && duals_[1]; }
    TRateGradient RateGradient(int which, double N1, double N2) override;

private:
    TRateLaw laws_[2];
    std::unique_ptr<TDualEvaluator> duals_[2];
};
