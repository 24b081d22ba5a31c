#include "DualEvaluator.h"

TDualEvaluator::TDualEvaluator(const TCustomParser& parser, const double* cell1,
                               const double* cell2)
    : tape_(parser, cell1, cell2), d1_(tape_.SlotCount(), 0.0), d2_(tape_.SlotCount(), 0.0) {
    if (tape_.Slot1() >= 0) d1_[tape_.Slot1()] = 1;
    if (tape_.Slot2() >= 0) d2_[tape_.Slot2()] = 1;
}

TValueGradient TDualEvaluator::Evaluate() {
    using derivative::Chain;
    const double value =
        tape_.Walk([this](const TDerivativeTape::Step& s, double a, double b, double r) {
            const derivative::Partials p = derivative::FirstPartials(s.rule, a, b, r);
            d1_[s.result] = Chain(p.a, d1_[s.a]) + Chain(p.b, d1_[s.b]);
            d2_[s.result] = Chain(p.a, d2_[s.a]) + Chain(p.b, d2_[s.b]);
        });
    return {value, d1_[tape_.ResultSlot()], d2_[tape_.ResultSlot()]};
}
