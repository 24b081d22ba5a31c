#include "DualEvaluator.h"

#include "FpFaults.h"
#include "ParserErrors.h"
#include "RandomSequence.h"

#include <cmath>
#include <numbers>
#include <string_view>
#include <unordered_map>
#include <utility>

enum class TDerivativeRule : std::uint8_t {
    Unknown, // a function whose derivative is not known
    Negate,
    Sum,
    Difference,
    Product,
    Quotient,
    Flat,
    IntPower,
    Power,
    Square,
    Cube,
    FourthPower,
    Tan,
    Sin,
    Cos,
    Sinh,
    Cosh,
    ArcTan,
    Exp,
    Ln,
    Sqrt,
    Abs,
    Ph,
    Max,
    Min,
};

namespace {

using Rule = TDerivativeRule;

constexpr std::pair<std::string_view, Rule> kFunctionRules[] = {
    {"TAN", Rule::Tan},   {"SIN", Rule::Sin},       {"COS", Rule::Cos},   {"SINH", Rule::Sinh},
    {"COSH", Rule::Cosh}, {"ARCTAN", Rule::ArcTan}, {"EXP", Rule::Exp},   {"LN", Rule::Ln},
    {"SQRT", Rule::Sqrt}, {"ABS", Rule::Abs},       {"HEAV", Rule::Flat}, {"SIGN", Rule::Flat},
    {"ZERO", Rule::Flat}, {"PH", Rule::Ph},         {"RND", Rule::Flat},  {"MAX", Rule::Max},
    {"MIN", Rule::Min},
};

// By term kind, 0 to 15; the calls' rules come from their function's name.
constexpr Rule kRuleOfKind[] = {
    Rule::Unknown,    Rule::Unknown,     Rule::Negate,   Rule::Sum,
    Rule::Difference, Rule::Product,     Rule::Quotient, Rule::Flat,
    Rule::Flat,       Rule::IntPower,    Rule::Power,    Rule::Square,
    Rule::Cube,       Rule::FourthPower, Rule::Unknown,  Rule::Unknown,
};
static_assert(kRuleOfKind[static_cast<int>(TTermKind::FourthPower)] == Rule::FourthPower);

std::string_view NameOf(const TFunctionTable& table, TMathProcedure operation) {
    for (const auto& [name, op] : table)
        if (op == operation) return name;
    return {};
}

// RND with the number it draws read from its second operand cell.
void DrawnRandom(const TTerm& t) {
    *t.result = std::trunc(*t.a) * *t.b;
}

constexpr double kTwoPow63 = 9223372036854775808.0;

// The partial derivatives of a term's result r with respect to its operands.
struct Partials {
    double a, b;
};

Partials PartialsOf(Rule rule, double a, double b, double r) {
    switch (rule) {
    case Rule::Unknown:
    case Rule::Flat:
        return {0, 0};
    case Rule::Negate:
        return {-1, 0};
    case Rule::Sum:
        return {1, 1};
    case Rule::Difference:
        return {1, -1};
    case Rule::Product:
        return {b, a};
    case Rule::Quotient:
        return {1 / b, -r / b};
    case Rule::IntPower: {
        const double n = std::trunc(b);
        return {n == 0 ? 0.0 : n * std::pow(a, n - 1), 0};
    }
    case Rule::Power: {
        if (b == 0) return {0, a > 0 ? std::log(a) : NAN};
        const double inB = a > 0 ? r * std::log(a) : (a == 0 && b > 0 ? 0 : NAN);
        return {b * std::pow(a, b - 1), inB};
    }
    case Rule::Square:
        return {2 * a, 0};
    case Rule::Cube:
        return {3 * (a * a), 0};
    case Rule::FourthPower:
        return {4 * (a * a * a), 0};
    case Rule::Tan:
        return {1 + r * r, 0};
    case Rule::Sin:
        return {std::fabs(a) >= kTwoPow63 ? 0 : std::cos(a), 0};
    case Rule::Cos:
        return {std::fabs(a) >= kTwoPow63 ? 0 : -std::sin(a), 0};
    case Rule::Sinh:
        return {std::cosh(a), 0};
    case Rule::Cosh:
        return {std::sinh(a), 0};
    case Rule::ArcTan:
        return {1 / (1 + a * a), 0};
    case Rule::Exp:
        return {r, 0};
    case Rule::Ln:
        return {1 / a, 0};
    case Rule::Sqrt:
        return {0.5 / r, 0};
    case Rule::Abs:
        return {a > 0 ? 1.0 : a < 0 ? -1.0 : 0.0, 0};
    case Rule::Ph:
        return {std::numbers::pi * std::numbers::pi, 0};
    case Rule::Max:
        return a == b ? Partials{0.5, 0.5} : a > b ? Partials{1, 0} : Partials{0, 1};
    case Rule::Min:
        return a == b ? Partials{0.5, 0.5} : a < b ? Partials{1, 0} : Partials{0, 1};
    }
    return {NAN, NAN};
}

// An operand that does not depend on the variable adds nothing, even where
// the partial derivative is infinite.
inline double Chain(double partial, double d) {
    return d == 0 ? 0.0 : partial * d;
}

} // namespace

TDualEvaluator::TDualEvaluator(const TCustomParser& parser, const double* cell1,
                               const double* cell2)
    : terms_(parser.Terms()) {
    int rndCount = 0;
    for (const TTerm& t : terms_)
        if (t.kind == TTermKind::Function1 &&
            NameOf(parser.FunctionsOneParam(), t.operation) == "RND")
            ++rndCount;
    cells_ = std::make_unique<double[]>(terms_.size() + static_cast<size_t>(rndCount));
    double* nextCell = cells_.get();

    // Slots: 0 is the constant zero; every other cell gets one on first use.
    std::unordered_map<const double*, int> slotOf;
    d1_.assign(1, 0.0);
    d2_.assign(1, 0.0);
    const auto slot = [&](const double* cell) {
        if (!cell) return 0;
        const auto [it, added] = slotOf.emplace(cell, static_cast<int>(d1_.size()));
        if (added) {
            d1_.push_back(cell == cell1 ? 1.0 : 0.0);
            d2_.push_back(cell == cell2 ? 1.0 : 0.0);
        }
        return it->second;
    };

    // Operands that are earlier terms' results move to this evaluator's
    // cells; variable and number cells stay the parser's.
    std::unordered_map<const double*, double*> moved;
    const auto operand = [&](const double* cell) -> const double* {
        const auto it = moved.find(cell);
        return it == moved.end() ? cell : it->second;
    };
    for (TTerm& t : terms_) {
        t.a = operand(t.a);
        t.b = operand(t.b);
        if (t.kind == TTermKind::Variable) {
            // The placeholder of a single variable or number: no own result.
            resultSlot_ = slot(t.a);
            continue;
        }
        Step step{kRuleOfKind[static_cast<int>(t.kind)], slot(t.a),
                  IsTwoOperand(t.kind) ? slot(t.b) : 0, 0};
        if (t.kind == TTermKind::Function1 || t.kind == TTermKind::Function2) {
            const std::string_view name =
                NameOf(t.kind == TTermKind::Function1 ? parser.FunctionsOneParam()
                                                      : parser.FunctionsTwoParam(),
                       t.operation);
            step.rule = Rule::Unknown;
            for (const auto& [known, rule] : kFunctionRules)
                if (known == name) step.rule = rule;
            if (step.rule == Rule::Unknown)
                throw ENoDerivative(
                    FormatMessage("Function %s has no derivative", {std::string(name)}));
            if (name == "RND") {
                t.operation = DrawnRandom;
                t.b = nextCell;
                drawn_.push_back(nextCell++);
            }
        }
        double* result = nextCell++;
        moved[t.result] = result;
        t.result = result;
        step.result = resultSlot_ = slot(result);
        steps_.push_back(step);
    }
    program_ = TTermProgram(terms_);
}

TValueGradient TDualEvaluator::Evaluate() {
    if (terms_.empty()) return {};
    // The numbers the next evaluation of the parser will draw.
    std::uint32_t seed = RandomSeed();
    for (double* cell : drawn_)
        *cell = AdvanceRandom(seed);
    const double value = program_.Run();

    // A placeholder makes no step, so steps and terms pair up when there are steps.
    const TTerm* term = terms_.data();
    for (const Step& s : steps_) {
        const double a = *term->a;
        const double b = s.b ? *term->b : 0.0;
        const Partials p = PartialsOf(s.rule, a, b, *term->result);
        d1_[s.result] = Chain(p.a, d1_[s.a]) + Chain(p.b, d1_[s.b]);
        d2_[s.result] = Chain(p.a, d2_[s.a]) + Chain(p.b, d2_[s.b]);
        ++term;
    }
    // The derivatives' own faults are not the evaluation's.
    fpfaults::Begin();
    return {value, d1_[resultSlot_], d2_[resultSlot_]};
}
