#pragma once

#include "CustomParser.h"

// The model's right-hand side: the two compiled rate laws and the four density
// cells they read (N1 and N2 in each parser), kept from the last binding. A
// step writes a state into the cells and evaluates both laws; no text is
// handled and no name is looked up.
class TRateLaws {
public:
    TRateLaws() = default;
    TRateLaws(TCustomParser& rate1, TCustomParser& rate2, double* n1Of1, double* n1Of2,
              double* n2Of1, double* n2Of2)
        : rate1_(&rate1), rate2_(&rate2), n1Of1_(n1Of1), n1Of2_(n1Of2), n2Of1_(n2Of1),
          n2Of2_(n2Of2) {}

    bool Bound() const { return rate1_ != nullptr; }

    // Both rates at the state the cells hold now, in the order of the Euler
    // step: dN1/dt first. A fault throws the platform's exception.
    void AtCells(double& r1, double& r2) {
        ++evaluations_;
        r1 = rate1_->Value();
        r2 = rate2_->Value();
    }
    // dN1/dt, for the Euler step, which stores N1 before it takes dN2/dt.
    double Rate1() {
        ++evaluations_;
        return rate1_->Value();
    }
    double Rate2() { return rate2_->Value(); }

    // Both rates at the state (n1, n2); the cells hold that state afterwards.
    void At(double n1, double n2, double& r1, double& r2) {
        Store(n1, n2);
        AtCells(r1, r2);
    }

    // The state every later evaluation reads, until the next store.
    void Store(double n1, double n2) {
        *n1Of2_ = n1;
        *n1Of1_ = n1;
        *n2Of2_ = n2;
        *n2Of1_ = n2;
    }

    // How often both laws were evaluated at one state since binding: the work
    // of a method.
    long long Evaluations() const { return evaluations_; }

    // The same binding with no evaluations counted yet.
    TRateLaws Unused() const {
        TRateLaws fresh = *this;
        fresh.evaluations_ = 0;
        return fresh;
    }

private:
    TCustomParser* rate1_ = nullptr;
    TCustomParser* rate2_ = nullptr;
    double* n1Of1_ = nullptr;
    double* n1Of2_ = nullptr;
    double* n2Of1_ = nullptr;
    double* n2Of2_ = nullptr;
    long long evaluations_ = 0;
};
