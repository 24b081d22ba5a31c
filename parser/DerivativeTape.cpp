#include "DerivativeTape.h"

#include "ParserErrors.h"
#include "RandomSequence.h"
#include "TermOperations.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

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

} // namespace

TDerivativeTape::TDerivativeTape(const TCustomParser& parser, const double* cell1,
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
    const auto slot = [&](const double* cell) {
        if (!cell) return 0;
        const auto [it, added] = slotOf.emplace(cell, slotCount_);
        if (added) {
            if (cell == cell1) slot1_ = slotCount_;
            if (cell == cell2) slot2_ = slotCount_;
            ++slotCount_;
        }
        return it->second;
    };

    // Operands that are earlier terms' results move to this tape's cells;
    // variable and number cells stay the parser's.
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

double TDerivativeTape::Run() {
    // The numbers the next evaluation of the parser will draw.
    std::uint32_t seed = RandomSeed();
    for (double* cell : drawn_)
        *cell = AdvanceRandom(seed);
    return program_.Run();
}
