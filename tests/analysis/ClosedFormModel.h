#pragma once

// A model written as two C++ expressions, generic in the number type, whose
// exact derivatives come from evaluating them on dual numbers: the stand-in
// for the compiled rate laws in tests and benchmarks.

#include "PlaneModel.h"

#include <cmath>
#include <functional>

struct TDual {
    double v = 0;
    double d1 = 0; // d/dN1
    double d2 = 0; // d/dN2
};

inline TDual operator-(TDual a) {
    return {-a.v, -a.d1, -a.d2};
}
inline TDual operator+(TDual a, TDual b) {
    return {a.v + b.v, a.d1 + b.d1, a.d2 + b.d2};
}
inline TDual operator-(TDual a, TDual b) {
    return {a.v - b.v, a.d1 - b.d1, a.d2 - b.d2};
}
inline TDual operator*(TDual a, TDual b) {
    return {a.v * b.v, a.d1 * b.v + a.v * b.d1, a.d2 * b.v + a.v * b.d2};
}
inline TDual operator/(TDual a, TDual b) {
    const double q = a.v / b.v;
    return {q, (a.d1 - q * b.d1) / b.v, (a.d2 - q * b.d2) / b.v};
}
inline TDual operator+(TDual a, double b) {
    return a + TDual{b};
}
inline TDual operator+(double a, TDual b) {
    return TDual{a} + b;
}
inline TDual operator-(TDual a, double b) {
    return a - TDual{b};
}
inline TDual operator-(double a, TDual b) {
    return TDual{a} - b;
}
inline TDual operator*(TDual a, double b) {
    return a * TDual{b};
}
inline TDual operator*(double a, TDual b) {
    return TDual{a} * b;
}
inline TDual operator/(TDual a, double b) {
    return a / TDual{b};
}
inline TDual operator/(double a, TDual b) {
    return TDual{a} / b;
}
inline TDual sqrt(TDual a) {
    const double s = std::sqrt(a.v);
    return {s, a.d1 / (2 * s), a.d2 / (2 * s)};
}
inline TDual sin(TDual a) {
    const double c = std::cos(a.v);
    return {std::sin(a.v), c * a.d1, c * a.d2};
}

template <class F1, class F2> class TClosedFormModel : public TPlaneModel {
public:
    TClosedFormModel(F1 rate1, F2 rate2) : rate1_(rate1), rate2_(rate2) {}

    double Rate(int which, double N1, double N2) override {
        return which == 0 ? rate1_(N1, N2) : rate2_(N1, N2);
    }
    bool HasGradient() const override { return true; }
    TRateGradient RateGradient(int which, double N1, double N2) override {
        const TDual x{N1, 1, 0}, y{N2, 0, 1};
        const TDual r = which == 0 ? rate1_(x, y) : rate2_(x, y);
        return {r.v, r.d1, r.d2};
    }

private:
    F1 rate1_;
    F2 rate2_;
};

// Usage: auto m = ClosedForm([](auto N1, auto N2) { return ...; },
//                            [](auto N1, auto N2) { return ...; });
template <class F1, class F2> TClosedFormModel<F1, F2> ClosedForm(F1 rate1, F2 rate2) {
    return {rate1, rate2};
}

// The same behind std::function, so that tables can hold models of any form.
using TDualRate = std::function<TDual(TDual, TDual)>;

class TDualModel : public TPlaneModel {
public:
    TDualModel(TDualRate rate1, TDualRate rate2) : rates_{std::move(rate1), std::move(rate2)} {}

    double Rate(int which, double N1, double N2) override {
        return rates_[which](TDual{N1}, TDual{N2}).v;
    }
    bool HasGradient() const override { return true; }
    TRateGradient RateGradient(int which, double N1, double N2) override {
        const TDual r = rates_[which](TDual{N1, 1, 0}, TDual{N2, 0, 1});
        return {r.v, r.d1, r.d2};
    }

private:
    TDualRate rates_[2];
};
