#include "SbmlMath.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <utility>

namespace {

using TOp = TRateTree::TOp;

// Function definitions call each other at most this deep (SBML forbids
// recursion; a file may not keep to it).
constexpr int kMaxCallDepth = 64;

// The functions both notations compute alike.
constexpr std::pair<const char*, ASTNodeType_t> kFunctions[] = {
    {"TAN", AST_FUNCTION_TAN},   {"SIN", AST_FUNCTION_SIN},   {"COS", AST_FUNCTION_COS},
    {"SINH", AST_FUNCTION_SINH}, {"COSH", AST_FUNCTION_COSH}, {"ARCTAN", AST_FUNCTION_ARCTAN},
    {"EXP", AST_FUNCTION_EXP},   {"LN", AST_FUNCTION_LN},     {"ABS", AST_FUNCTION_ABS},
    {"MAX", AST_FUNCTION_MAX},   {"MIN", AST_FUNCTION_MIN},
};

std::unique_ptr<ASTNode> Node(ASTNodeType_t type) {
    return std::make_unique<ASTNode>(type);
}

std::unique_ptr<ASTNode> Apply(ASTNodeType_t type, std::vector<std::unique_ptr<ASTNode>> args);

std::unique_ptr<ASTNode> Number(double value) {
    auto n = Node(AST_REAL);
    if (value == std::trunc(value) && std::fabs(value) <= std::numeric_limits<int>::max() &&
        !std::signbit(value)) {
        n->setType(AST_INTEGER);
        n->setValue(static_cast<long>(value));
        return n;
    }
    if (std::fabs(value) == std::numbers::pi) n->setType(AST_CONSTANT_PI);
    if (std::fabs(value) == std::numbers::e) n->setType(AST_CONSTANT_E);
    if (n->getType() != AST_REAL) {
        if (value > 0) return n;
        std::vector<std::unique_ptr<ASTNode>> args;
        args.push_back(std::move(n));
        return Apply(AST_MINUS, std::move(args));
    }
    n->setValue(value);
    const double high = FiledValue(value);
    if (high == value || !std::isfinite(high)) return n;
    // A value with more digits than a file keeps is the sum of two that
    // keep, evaluated on reading; the one-operand product keeps libSBML from
    // merging the sum into a sum around it.
    const double low = FiledValue(value - high);
    if (high + low != value) return n;
    std::vector<std::unique_ptr<ASTNode>> parts;
    parts.push_back(Node(AST_REAL));
    parts.back()->setValue(high);
    parts.push_back(Node(AST_REAL));
    parts.back()->setValue(low);
    std::vector<std::unique_ptr<ASTNode>> sum;
    sum.push_back(Apply(AST_PLUS, std::move(parts)));
    return Apply(AST_TIMES, std::move(sum));
}

std::unique_ptr<ASTNode> Apply(ASTNodeType_t type, std::vector<std::unique_ptr<ASTNode>> args) {
    auto n = Node(type);
    for (auto& a : args)
        n->addChild(a.release());
    return n;
}

template <typename... T> std::unique_ptr<ASTNode> Apply(ASTNodeType_t type, T&&... args) {
    std::vector<std::unique_ptr<ASTNode>> list;
    (list.push_back(std::forward<T>(args)), ...);
    return Apply(type, std::move(list));
}

// HEAV, SIGN and ZERO as the piecewise functions they are; read back by
// TReader::Piecewise below.
std::unique_ptr<ASTNode> StepMath(const std::string& name, const TRateTree& x,
                                  const std::string& rate) {
    const auto arg = [&] { return MathOfRateTree(x, rate); };
    if (name == "HEAV")
        return Apply(AST_FUNCTION_PIECEWISE, Number(1), Apply(AST_RELATIONAL_GEQ, arg(), Number(0)),
                     Number(0));
    if (name == "SIGN")
        return Apply(AST_FUNCTION_PIECEWISE, Number(-1), Apply(AST_RELATIONAL_LT, arg(), Number(0)),
                     Number(1), Apply(AST_RELATIONAL_GT, arg(), Number(0)), Number(0));
    if (name == "ZERO")
        return Apply(AST_FUNCTION_PIECEWISE, Number(0), Apply(AST_RELATIONAL_EQ, arg(), Number(0)),
                     Number(1));
    return nullptr;
}

class TReader {
public:
    explicit TReader(const TMathSource& source) : source_(source) {}

    TRateTreePtr Read(const ASTNode& n, const std::map<std::string, TRateTreePtr>* arguments,
                      int depth);

private:
    [[noreturn]] void Refuse(const std::string& what) const {
        throw ESbmlError(source_.element + " uses " + what +
                         ", which the rate-law language has no exact counterpart for");
    }
    std::string NameOf(const ASTNode& n) const {
        const char* name = n.getName();
        return name ? std::string(name) : "MathML of type " + std::to_string(n.getType());
    }
    TRateTreePtr Chain(TOp op, const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                       int depth, double empty);
    TRateTreePtr Call(const std::string& name, const ASTNode& n,
                      const std::map<std::string, TRateTreePtr>* a, int depth);
    TRateTreePtr Piecewise(const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                           int depth);
    TRateTreePtr UserFunction(const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                              int depth);

    const TMathSource& source_;
};

TRateTreePtr TReader::Chain(TOp op, const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                            int depth, double empty) {
    if (n.getNumChildren() == 0) return RateNumber(empty);
    // MathML's n-ary operators take their operands from the left.
    TRateTreePtr t = Read(*n.getChild(0), a, depth);
    for (unsigned i = 1; i < n.getNumChildren(); ++i)
        t = RateNode(op, {t, Read(*n.getChild(i), a, depth)});
    return t;
}

TRateTreePtr TReader::Call(const std::string& name, const ASTNode& n,
                           const std::map<std::string, TRateTreePtr>* a, int depth) {
    const unsigned count = n.getNumChildren();
    if (name == "MAX" || name == "MIN") {
        if (count == 0) Refuse(name + " of nothing");
        TRateTreePtr t = Read(*n.getChild(0), a, depth);
        for (unsigned i = 1; i < count; ++i)
            t = RateCall(name, {t, Read(*n.getChild(i), a, depth)});
        return t;
    }
    if (count != 1) Refuse(NameOf(n) + " with " + std::to_string(count) + " arguments");
    return RateCall(name, {Read(*n.getChild(0), a, depth)});
}

TRateTreePtr TReader::Piecewise(const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                                int depth) {
    // Only the shapes HEAV, SIGN and ZERO are written in: the language has no
    // choice between expressions.
    const auto isNumber = [](const ASTNode* c, double v) {
        return c && c->isNumber() && c->getValue() == v;
    };
    const auto condition = [&](const ASTNode* c, ASTNodeType_t type) -> TRateTreePtr {
        if (!c || c->getType() != type || c->getNumChildren() != 2 || !isNumber(c->getChild(1), 0))
            return nullptr;
        return Read(*c->getChild(0), a, depth);
    };
    const unsigned count = n.getNumChildren();
    if (count == 3 && isNumber(n.getChild(0), 1) && isNumber(n.getChild(2), 0))
        if (auto x = condition(n.getChild(1), AST_RELATIONAL_GEQ)) return RateCall("HEAV", {x});
    if (count == 3 && isNumber(n.getChild(0), 0) && isNumber(n.getChild(2), 1))
        if (auto x = condition(n.getChild(1), AST_RELATIONAL_EQ)) return RateCall("ZERO", {x});
    if (count == 5 && isNumber(n.getChild(0), -1) && isNumber(n.getChild(2), 1) &&
        isNumber(n.getChild(4), 0)) {
        auto below = condition(n.getChild(1), AST_RELATIONAL_LT);
        auto above = condition(n.getChild(3), AST_RELATIONAL_GT);
        if (below && above && SameRateTree(*below, *above)) return RateCall("SIGN", {below});
    }
    Refuse("piecewise");
}

TRateTreePtr TReader::UserFunction(const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                                   int depth) {
    const std::string name = NameOf(n);
    const FunctionDefinition* f =
        source_.model ? source_.model->getFunctionDefinition(name) : nullptr;
    if (!f || !f->getBody())
        throw ESbmlError(source_.element + " calls '" + name + "', which no function defines");
    if (depth >= kMaxCallDepth)
        throw ESbmlError(source_.element + " calls functions nested too deep ('" + name + "')");
    if (f->getNumArguments() != n.getNumChildren())
        throw ESbmlError(source_.element + " calls '" + name + "' with " +
                         std::to_string(n.getNumChildren()) + " arguments; it takes " +
                         std::to_string(f->getNumArguments()));
    // The body sees its own arguments only, all replaced at once.
    std::map<std::string, TRateTreePtr> arguments;
    for (unsigned i = 0; i < f->getNumArguments(); ++i) {
        const ASTNode* parameter = f->getArgument(i);
        if (!parameter || !parameter->getName())
            throw ESbmlError("The function '" + name + "' has an argument without a name");
        arguments[parameter->getName()] = Read(*n.getChild(i), a, depth);
    }
    return Read(*f->getBody(), &arguments, depth + 1);
}

TRateTreePtr TReader::Read(const ASTNode& n, const std::map<std::string, TRateTreePtr>* a,
                           int depth) {
    switch (n.getType()) {
    case AST_INTEGER:
    case AST_REAL:
    case AST_REAL_E:
    case AST_RATIONAL:
    case AST_NAME_AVOGADRO: {
        const double v = n.getValue();
        if (!std::isfinite(v)) Refuse("a number that is not finite");
        return RateNumber(v);
    }
    case AST_CONSTANT_PI:
        return RateNumber(std::numbers::pi);
    case AST_CONSTANT_E:
        return RateNumber(std::numbers::e);
    case AST_NAME: {
        const std::string name = NameOf(n);
        if (a) {
            const auto found = a->find(name);
            if (found == a->end())
                throw ESbmlError(source_.element + " uses '" + name +
                                 "' in a function that has no such argument");
            return found->second;
        }
        return source_.resolve(name);
    }
    case AST_NAME_TIME:
        Refuse("time");
    case AST_PLUS:
        return Chain(TOp::Sum, n, a, depth, 0);
    case AST_TIMES:
        return Chain(TOp::Product, n, a, depth, 1);
    case AST_MINUS:
        if (n.getNumChildren() == 1) return RateNode(TOp::Negate, {Read(*n.getChild(0), a, depth)});
        if (n.getNumChildren() != 2)
            Refuse("minus with " + std::to_string(n.getNumChildren()) + " operands");
        return Chain(TOp::Difference, n, a, depth, 0);
    case AST_DIVIDE:
    case AST_POWER:
    case AST_FUNCTION_POWER:
        if (n.getNumChildren() != 2) Refuse(NameOf(n) + " without two operands");
        return Chain(n.getType() == AST_DIVIDE ? TOp::Quotient : TOp::Power, n, a, depth, 0);
    case AST_FUNCTION_ROOT: {
        // A square root only: x^(1/n) would be another computation.
        const unsigned count = n.getNumChildren();
        if (count == 1) return RateCall("SQRT", {Read(*n.getChild(0), a, depth)});
        if (count == 2 && n.getChild(0)->isNumber() && n.getChild(0)->getValue() == 2)
            return RateCall("SQRT", {Read(*n.getChild(1), a, depth)});
        Refuse("a root other than the square root");
    }
    case AST_FUNCTION_PIECEWISE:
        return Piecewise(n, a, depth);
    case AST_FUNCTION:
        return UserFunction(n, a, depth);
    case AST_FUNCTION_DELAY:
        Refuse("delay");
    default:
        for (const auto& [name, type] : kFunctions)
            if (n.getType() == type) return Call(name, n, a, depth);
        Refuse(NameOf(n));
    }
}

} // namespace

double FiledValue(double value) {
    char text[32];
    const auto end =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 15).ptr;
    double filed = 0;
    std::from_chars(text, end, filed);
    return filed;
}

std::unique_ptr<ASTNode> MathOfRateTree(const TRateTree& tree, const std::string& rate) {
    switch (tree.op) {
    case TOp::Number:
        return Number(tree.value);
    case TOp::Name: {
        auto n = Node(AST_NAME);
        n->setName(tree.name.c_str());
        return n;
    }
    case TOp::Negate:
        return Apply(AST_MINUS, MathOfRateTree(*tree.args[0], rate));
    case TOp::Call: {
        if (tree.name == "SQRT")
            return Apply(AST_FUNCTION_ROOT, MathOfRateTree(*tree.args[0], rate));
        if (auto step = StepMath(tree.name, *tree.args[0], rate)) return step;
        for (const auto& [name, type] : kFunctions) {
            if (tree.name != name) continue;
            std::vector<std::unique_ptr<ASTNode>> args;
            for (const auto& arg : tree.args)
                args.push_back(MathOfRateTree(*arg, rate));
            return Apply(type, std::move(args));
        }
        throw ESbmlError(rate + " calls " + tree.name +
                         ", which MathML has no exact counterpart for");
    }
    case TOp::IntQuotient:
    case TOp::Remainder:
        throw ESbmlError(rate + " uses " + (tree.op == TOp::IntQuotient ? "DIV" : "MOD") +
                         ", which MathML has no exact counterpart for");
    default: {
        ASTNodeType_t type = AST_PLUS;
        switch (tree.op) {
        case TOp::Difference:
            type = AST_MINUS;
            break;
        case TOp::Product:
            type = AST_TIMES;
            break;
        case TOp::Quotient:
            type = AST_DIVIDE;
            break;
        case TOp::Power:
            type = AST_POWER;
            break;
        default:
            break;
        }
        const TRateTree& left = *tree.args[0];
        const TRateTree& right = *tree.args[1];
        if ((type == AST_PLUS || type == AST_TIMES) && right.op == tree.op) {
            // libSBML writes a sum of sums as one sum, which reads back
            // grouped from the left, while the language groups a+b+c from
            // the right. The operands change places, which is exact; where
            // both are sums the right one is wrapped in a one-operand product
            // (a product in a one-operand sum), which computes nothing.
            if (left.op != tree.op)
                return Apply(type, MathOfRateTree(right, rate), MathOfRateTree(left, rate));
            return Apply(
                type, MathOfRateTree(left, rate),
                Apply(type == AST_PLUS ? AST_TIMES : AST_PLUS, MathOfRateTree(right, rate)));
        }
        return Apply(type, MathOfRateTree(left, rate), MathOfRateTree(right, rate));
    }
    }
}

std::string MathText(const TRateTree& tree) {
    const auto math = MathOfRateTree(tree, "");
    char* text = writeMathMLToString(math.get());
    const std::string result = text ? text : "";
    free(text);
    return result;
}

TRateTreePtr RateTreeOfMath(const ASTNode& math, const TMathSource& source) {
    return TReader(source).Read(math, nullptr, 0);
}
