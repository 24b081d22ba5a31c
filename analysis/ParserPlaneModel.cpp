#include "ParserPlaneModel.h"

#include "CustomParser.h"
#include "Exception.h"

#include <limits>

namespace {

// Holds a point in a rate law's cells for one evaluation and restores the
// cells afterwards, also when the evaluation throws.
class TCellsAt {
public:
    TCellsAt(const TParserPlaneModel::TRateLaw& law, double N1, double N2)
        : law_(law), n1_(*law.n1), n2_(*law.n2) {
        *law_.n1 = N1;
        *law_.n2 = N2;
    }
    ~TCellsAt() {
        *law_.n1 = n1_;
        *law_.n2 = n2_;
    }
    TCellsAt(const TCellsAt&) = delete;
    TCellsAt& operator=(const TCellsAt&) = delete;

private:
    const TParserPlaneModel::TRateLaw& law_;
    const double n1_;
    const double n2_;
};

} // namespace

TParserPlaneModel::TParserPlaneModel(TRateLaw rate1, TRateLaw rate2) : laws_{rate1, rate2} {
    for (int k = 0; k < 2; ++k) {
        const TRateLaw& law = laws_[k];
        if (!law.parser || !law.n1 || !law.n2) continue;
        try {
            duals_[k] = std::make_unique<TDualEvaluator>(*law.parser, law.n1, law.n2);
        } catch (const Exception&) {
            duals_[k].reset(); // a function without a known derivative
        }
    }
}

double TParserPlaneModel::Rate(int which, double N1, double N2) {
    const TRateLaw& law = laws_[which == 0 ? 0 : 1];
    if (!law.parser || !law.n1 || !law.n2) return std::numeric_limits<double>::quiet_NaN();
    const TCellsAt at(law, N1, N2);
    try {
        return law.parser->Value();
    } catch (const Exception&) {
        return std::numeric_limits<double>::quiet_NaN();
    }
}

TRateGradient TParserPlaneModel::RateGradient(int which, double N1, double N2) {
    const int k = which == 0 ? 0 : 1;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    if (!duals_[k]) return {nan, nan, nan};
    const TCellsAt at(laws_[k], N1, N2);
    try {
        const TValueGradient g = duals_[k]->Evaluate();
        return {g.value, g.d1, g.d2};
    } catch (const Exception&) {
        return {nan, nan, nan};
    }
}
