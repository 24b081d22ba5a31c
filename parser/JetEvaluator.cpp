#include "JetEvaluator.h"

#include <cmath>

namespace {

using Rule = TDerivativeRule;
using Jet = std::array<double, 9>;
using derivative::Chain;

// Where each coefficient of a jet is: h, k, h², hk, k², h³, h²k, hk², k³.
enum : int { H, K, HH, HK, KK, HHH, HHK, HKK, KKK };

// The coefficients of orders 2 and 3 of a term's result in its operands'
// increments α and β: aa multiplies α², ab αβ, and so on. Each is the partial
// derivative over the factorials of its orders (aa is ½·∂²r/∂a²).
struct Higher {
    double aa = 0, ab = 0, bb = 0, aaa = 0, aab = 0, abb = 0, bbb = 0;
};

// a^n for a fixed n. A falling factorial that vanishes gives an exact 0, not
// 0·∞ at a = 0, so the whole powers are exact there.
Higher PowerInBase(double a, double n) {
    Higher h;
    const double f2 = n * (n - 1), f3 = f2 * (n - 2);
    if (f2 != 0) h.aa = f2 / 2 * std::pow(a, n - 2);
    if (f3 != 0) h.aaa = f3 / 6 * std::pow(a, n - 3);
    return h;
}

// a^b: exp(b·ln a) for a > 0 where the exponent varies.
Higher GeneralPower(double a, double b, double r, bool bVaries) {
    Higher h = PowerInBase(a, b);
    if (!bVaries) return h;
    if (a > 0) {
        const double l = std::log(a), p1 = std::pow(a, b - 1), p2 = std::pow(a, b - 2);
        h.ab = p1 * (1 + b * l);
        h.bb = r * (l * l) / 2;
        h.aab = p2 * ((2 * b - 1) + b * (b - 1) * l) / 2;
        h.abb = p1 * l * (2 + b * l) / 2;
        h.bbb = r * (l * l * l) / 6;
    } else if (a == 0 && b > 0) {
        // 0^b is 0 for every b > 0, and so are its derivatives in a of an
        // order below b; those of order b or more jump as b passes a whole number.
        h.ab = h.abb = b > 1 ? 0 : NAN;
        h.aab = b > 2 ? 0 : NAN;
    } else {
        h.ab = h.bb = h.aab = h.abb = h.bbb = NAN;
    }
    return h;
}

// da is the first partial derivative in a (derivative::FirstPartials).
Higher HigherPartials(Rule rule, double a, double b, double r, double da, bool bVaries) {
    switch (rule) {
    case Rule::Product:
        return {.ab = 1};
    case Rule::Quotient: {
        const double w = 1 / b, w2 = w * w;
        return {.ab = -w2, .bb = r * w2, .abb = w2 * w, .bbb = -r * (w2 * w)};
    }
    case Rule::IntPower:
        return PowerInBase(a, std::trunc(b));
    case Rule::Power:
        return GeneralPower(a, b, r, bVaries);
    case Rule::Square:
        return {.aa = 1};
    case Rule::Cube:
        return {.aa = 3 * a, .aaa = 1};
    case Rule::FourthPower:
        return {.aa = 6 * (a * a), .aaa = 4 * a};
    case Rule::Tan: {
        const double s = 1 + r * r; // tan' = 1 + tan²
        return {.aa = r * s, .aaa = s * (1 + 3 * (r * r)) / 3};
    }
    case Rule::Sin:
    case Rule::Cos: // r'' = −r, r''' = −r'; both constant from 2^63 on
        return {.aa = -r / 2, .aaa = -da / 6};
    case Rule::Sinh:
    case Rule::Cosh:
    case Rule::Exp: // r'' = r, r''' = r'
        return {.aa = r / 2, .aaa = da / 6};
    case Rule::ArcTan: // da = 1/(1 + a²)
        return {.aa = -a * (da * da), .aaa = (a * a - 1.0 / 3) * (da * da * da)};
    case Rule::Ln: {
        const double w = 1 / a;
        return {.aa = -(w * w) / 2, .aaa = (w * w * w) / 3};
    }
    case Rule::Sqrt: { // da = 1/(2r)
        const double w3 = da * da * da;
        return {.aa = -w3, .aaa = 2 * (w3 * da * da)};
    }
    default: // linear, or flat, between kinks and jumps
        return {};
    }
}

// A coefficient that is 0 adds nothing, also against an infinite one.
double Mul(double x, double y) {
    return x == 0 || y == 0 ? 0.0 : x * y;
}

// The product of two jets without constant terms, up to order 3.
Jet Times(const Jet& u, const Jet& v) {
    Jet w{};
    w[HH] = Mul(u[H], v[H]);
    w[HK] = Mul(u[H], v[K]) + Mul(u[K], v[H]);
    w[KK] = Mul(u[K], v[K]);
    w[HHH] = Mul(u[H], v[HH]) + Mul(u[HH], v[H]);
    w[HHK] = Mul(u[H], v[HK]) + Mul(u[K], v[HH]) + Mul(u[HH], v[K]) + Mul(u[HK], v[H]);
    w[HKK] = Mul(u[H], v[KK]) + Mul(u[K], v[HK]) + Mul(u[HK], v[K]) + Mul(u[KK], v[H]);
    w[KKK] = Mul(u[K], v[KK]) + Mul(u[KK], v[K]);
    return w;
}

// out += p·m in orders 2 and 3 (m has no lower ones).
void Add(Jet& out, double p, const Jet& m) {
    if (p == 0) return;
    for (int i = HH; i <= KKK; ++i)
        out[i] += Chain(p, m[i]);
}

bool Varies(const Jet& u) {
    for (const double c : u)
        if (c != 0) return true;
    return false;
}

// The result's terms of orders 2 and 3 in its operands' jets u and v.
void AddHigher(Jet& out, const Higher& h, const Jet& u, bool uVaries, const Jet& v, bool vVaries) {
    if (uVaries && (h.aa != 0 || h.aaa != 0 || h.aab != 0)) {
        const Jet uu = Times(u, u);
        Add(out, h.aa, uu);
        if (h.aaa != 0) Add(out, h.aaa, Times(uu, u));
        if (vVaries && h.aab != 0) Add(out, h.aab, Times(uu, v));
    }
    if (vVaries && (h.bb != 0 || h.bbb != 0 || h.abb != 0)) {
        const Jet vv = Times(v, v);
        Add(out, h.bb, vv);
        if (h.bbb != 0) Add(out, h.bbb, Times(vv, v));
        if (uVaries && h.abb != 0) Add(out, h.abb, Times(u, vv));
    }
    if (uVaries && vVaries && h.ab != 0) Add(out, h.ab, Times(u, v));
}

} // namespace

TJetEvaluator::TJetEvaluator(const TCustomParser& parser, const double* cell1, const double* cell2)
    : tape_(parser, cell1, cell2), jets_(tape_.SlotCount(), Jet{}) {
    if (tape_.Slot1() >= 0) jets_[tape_.Slot1()][H] = 1;
    if (tape_.Slot2() >= 0) jets_[tape_.Slot2()][K] = 1;
}

TJet3 TJetEvaluator::Evaluate() {
    const double value =
        tape_.Walk([this](const TDerivativeTape::Step& s, double a, double b, double r) {
            const derivative::Partials p = derivative::FirstPartials(s.rule, a, b, r);
            const Jet& u = jets_[s.a];
            const Jet& v = jets_[s.b];
            // The linear part in every order; in the first it is the gradient's sum.
            Jet out;
            for (int i = H; i <= KKK; ++i)
                out[i] = Chain(p.a, u[i]) + Chain(p.b, v[i]);
            const bool uVaries = Varies(u), vVaries = Varies(v);
            AddHigher(out, HigherPartials(s.rule, a, b, r, p.a, vVaries), u, uVaries, v, vVaries);
            jets_[s.result] = out;
        });
    const Jet& j = jets_[tape_.ResultSlot()];
    return {value,     j[H],       j[K],       2 * j[HH],  j[HK],
            2 * j[KK], 6 * j[HHH], 2 * j[HHK], 2 * j[HKK], 6 * j[KKK]};
}
