#include "RateTree.h"

#include "Exception.h"
#include "Grammar.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

using TOp = TRateTree::TOp;

// The form of the language each operator's text has, and its row in the
// grammar's table of two-operand forms.
grammar::Form FormOf(TOp op) {
    switch (op) {
    case TOp::Sum:
        return grammar::fSum;
    case TOp::Difference:
        return grammar::fDifference;
    case TOp::Product:
        return grammar::fProduct;
    case TOp::Quotient:
        return grammar::fQuotient;
    case TOp::IntQuotient:
        return grammar::fIntQuotient;
    case TOp::Remainder:
        return grammar::fRemainder;
    case TOp::Power:
        return grammar::fPower;
    default:
        return grammar::fVariable;
    }
}

TOp OpOf(TTermKind kind) {
    switch (kind) {
    case TTermKind::Negate:
        return TOp::Negate;
    case TTermKind::Sum:
        return TOp::Sum;
    case TTermKind::Difference:
        return TOp::Difference;
    case TTermKind::Product:
        return TOp::Product;
    case TTermKind::Quotient:
        return TOp::Quotient;
    case TTermKind::IntQuotient:
        return TOp::IntQuotient;
    case TTermKind::Remainder:
        return TOp::Remainder;
    default:
        return TOp::Power;
    }
}

std::string FunctionName(const TFunctionTable& table, TMathProcedure operation) {
    for (const auto& [name, procedure] : table)
        if (procedure == operation) return name;
    throw Exception("A compiled rate calls an unknown function");
}

struct TPrinted {
    std::string text;
    grammar::Form form;
};

TPrinted Print(const TRateTree& t);

// The operand's text as it may stand where the forms `allowed` may.
std::string Operand(const TRateTree& t, grammar::FormSet allowed) {
    TPrinted p = Print(t);
    if (grammar::Has(allowed, p.form)) return p.text;
    return "(" + p.text + ")";
}

TPrinted Print(const TRateTree& t) {
    switch (t.op) {
    case TOp::Number:
        // A numeral with a sign stands only where a negation may.
        return {ExactNumeral(t.value),
                std::signbit(t.value) ? grammar::fNegation : grammar::fNumber};
    case TOp::Name:
        return {t.name, grammar::fVariable};
    case TOp::Negate: {
        // "-2" would be a negative numeral, not the negation of 2.
        const TRateTree& x = *t.args[0];
        const grammar::FormSet allowed =
            x.op == TOp::Number ? grammar::FormSet{0} : grammar::kNegationOperand;
        return {"-" + Operand(x, allowed), grammar::fNegation};
    }
    case TOp::Call: {
        std::string text = t.name + "(";
        for (std::size_t i = 0; i < t.args.size(); ++i)
            text += (i ? "," : "") + Print(*t.args[i]).text;
        return {text + ")", t.args.size() == 1 ? grammar::fCall1 : grammar::fCall2};
    }
    default: {
        const grammar::CutForm& row = grammar::kCutForms[grammar::RowOf(FormOf(t.op))];
        return {Operand(*t.args[0], row.left) + std::string(row.op) +
                    Operand(*t.args[1], row.right),
                row.form};
    }
    }
}

} // namespace

TRateTreePtr RateNumber(double value) {
    auto t = std::make_shared<TRateTree>();
    t->value = value;
    return t;
}

TRateTreePtr RateName(const std::string& name) {
    auto t = std::make_shared<TRateTree>();
    t->op = TOp::Name;
    t->name = name;
    return t;
}

TRateTreePtr RateNode(TRateTree::TOp op, std::vector<TRateTreePtr> args) {
    auto t = std::make_shared<TRateTree>();
    t->op = op;
    t->args = std::move(args);
    return t;
}

TRateTreePtr RateCall(const std::string& function, std::vector<TRateTreePtr> args) {
    auto t = std::make_shared<TRateTree>();
    t->op = TOp::Call;
    t->name = function;
    t->args = std::move(args);
    return t;
}

TRateTreePtr RateTreeOf(const TMathParser& parser,
                        const std::map<const double*, std::string>& names) {
    std::map<const double*, TRateTreePtr> results;
    const auto operand = [&](const double* cell) -> TRateTreePtr {
        if (const auto r = results.find(cell); r != results.end()) return r->second;
        if (const auto n = names.find(cell); n != names.end()) return RateName(n->second);
        // Numbers written in the text are the compiled form's own cells,
        // which no evaluation writes.
        return RateNumber(*cell);
    };
    TRateTreePtr last;
    for (const TTerm& t : parser.Terms()) {
        switch (t.kind) {
        case TTermKind::Variable:
        case TTermKind::Number:
            last = operand(t.a);
            break;
        case TTermKind::Square:
            last = RateNode(TOp::Power, {operand(t.a), RateNumber(2)});
            break;
        case TTermKind::Cube:
            last = RateNode(TOp::Power, {operand(t.a), RateNumber(3)});
            break;
        case TTermKind::FourthPower:
            last = RateNode(TOp::Power, {operand(t.a), RateNumber(4)});
            break;
        case TTermKind::Function1:
            last = RateCall(FunctionName(parser.FunctionsOneParam(), t.operation), {operand(t.a)});
            break;
        case TTermKind::Function2:
            last = RateCall(FunctionName(parser.FunctionsTwoParam(), t.operation),
                            {operand(t.a), operand(t.b)});
            break;
        case TTermKind::Negate:
            last = RateNode(TOp::Negate, {operand(t.a)});
            break;
        default:
            last = RateNode(OpOf(t.kind), {operand(t.a), operand(t.b)});
            break;
        }
        results[t.result] = last;
    }
    if (!last) throw Exception("The rate is not compiled");
    return last;
}

std::string RateText(const TRateTree& tree) {
    return Print(tree).text;
}

std::size_t RateTreeSize(const TRateTree& tree, std::size_t limit) {
    std::size_t size = 1;
    for (const auto& arg : tree.args) {
        if (size > limit) break;
        size += RateTreeSize(*arg, limit - std::min(size, limit));
    }
    return size;
}

bool SameRateTree(const TRateTree& a, const TRateTree& b) {
    if (a.op != b.op || a.args.size() != b.args.size()) return false;
    if (a.op == TOp::Number) return std::memcmp(&a.value, &b.value, sizeof a.value) == 0;
    if (a.op == TOp::Name || a.op == TOp::Call)
        if (!SameVariableName(a.name, b.name)) return false;
    for (std::size_t i = 0; i < a.args.size(); ++i)
        if (!SameRateTree(*a.args[i], *b.args[i])) return false;
    return true;
}

std::string ExactNumeral(double value) {
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    std::string text;
    for (const char* c = buffer; c != end; ++c) {
        if (*c == '+') continue; // "1E20": a "+" could be taken for a sum
        text += *c == 'e' ? 'E' : *c;
    }
    return text;
}
