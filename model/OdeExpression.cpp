#include "OdeExpression.h"

#include "RateTree.h"

#include "MathParser.h"
#include "ParameterRow.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <set>
#include <unordered_map>

namespace {

using Kind = TExprNode::Kind;

// A tree deeper than any model needs (functions nested in functions) is
// refused before walking it exhausts the stack.
class TreeDepth {
public:
    TreeDepth() {
        if (++depth_ > kMaxTreeDepth) {
            --depth_;
            throw Exception("the expression is nested too deeply");
        }
    }
    ~TreeDepth() { --depth_; }
    TreeDepth(const TreeDepth&) = delete;
    TreeDepth& operator=(const TreeDepth&) = delete;

private:
    static constexpr int kMaxTreeDepth = 2000;
    static thread_local int depth_;
};
thread_local int TreeDepth::depth_ = 0;

// --- XPPAUT text ------------------------------------------------------------

struct Token {
    enum Type { End, Number, Name, Op } type = End;
    std::string text;
    double number = 0;
};

std::vector<Token> Tokenize(const std::string& text) {
    std::vector<Token> tokens;
    size_t i = 0;
    const auto at = [&](size_t k) { return k < text.size() ? text[k] : '\0'; };
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (std::isspace(c)) {
            ++i;
        } else if (std::isdigit(c) ||
                   (c == '.' && std::isdigit(static_cast<unsigned char>(at(i + 1))))) {
            size_t j = i;
            while (std::isdigit(static_cast<unsigned char>(at(j))) || at(j) == '.')
                ++j;
            if ((at(j) == 'e' || at(j) == 'E') &&
                (std::isdigit(static_cast<unsigned char>(at(j + 1))) ||
                 ((at(j + 1) == '+' || at(j + 1) == '-') &&
                  std::isdigit(static_cast<unsigned char>(at(j + 2)))))) {
                j += 2;
                while (std::isdigit(static_cast<unsigned char>(at(j))))
                    ++j;
            }
            const std::string numeral = text.substr(i, j - i);
            double value = 0;
            const auto [end, ec] =
                std::from_chars(numeral.data(), numeral.data() + numeral.size(), value);
            if (ec != std::errc() || end != numeral.data() + numeral.size() ||
                !std::isfinite(value))
                throw Exception("'" + numeral + "' is not a number");
            tokens.push_back({Token::Number, numeral, value});
            i = j;
        } else if (std::isalpha(c) || c == '_') {
            size_t j = i;
            while (std::isalnum(static_cast<unsigned char>(at(j))) || at(j) == '_')
                ++j;
            tokens.push_back({Token::Name, Lower(text.substr(i, j - i)), 0});
            i = j;
        } else {
            static const char* const kTwo[] = {"**", "<=", ">=", "==", "!="};
            std::string op(1, static_cast<char>(c));
            for (const char* two : kTwo)
                if (text.compare(i, 2, two) == 0) op = two;
            if (op == "**") op = "^";
            if (std::string("+-*/^(),<>").find(op[0]) == std::string::npos && op.size() == 1)
                throw EOdeUnsupported("'" + op + "' is not supported");
            tokens.push_back({Token::Op, op, 0});
            i += op == "^" && text[i] == '*' ? 2 : op.size();
        }
    }
    tokens.push_back({});
    return tokens;
}

// XPPAUT's functions and the rate-law function each one is.
const std::unordered_map<std::string, std::string>& OdeFunctions() {
    static const std::unordered_map<std::string, std::string> table = {
        {"sin", "SIN"},   {"cos", "COS"},     {"tan", "TAN"}, {"sinh", "SINH"},
        {"cosh", "COSH"}, {"atan", "ARCTAN"}, {"exp", "EXP"}, {"ln", "LN"},
        {"log", "LN"},    {"sqrt", "SQRT"},   {"abs", "ABS"}, {"heav", "HEAV"},
        {"sign", "SIGN"}, {"max", "MAX"},     {"min", "MIN"}, {"log10", "LOG10"},
    };
    return table;
}

int Arity(const std::string& function) {
    return function == "MAX" || function == "MIN" ? 2 : 1;
}

class OdeParser {
public:
    OdeParser(const std::string& text, const TOdeScope& scope)
        : tokens_(Tokenize(text)), scope_(scope) {}

    TExprPtr Whole() {
        TExprPtr tree = Comparison();
        if (Peek().type != Token::End) throw Exception("unexpected '" + Peek().text + "'");
        return tree;
    }

private:
    const Token& Peek() const { return tokens_[pos_]; }
    bool IsOp(const char* op) const { return Peek().type == Token::Op && Peek().text == op; }
    void Expect(const char* op) {
        if (!IsOp(op))
            throw Exception(
                std::string("'") + op + "' expected" +
                (Peek().type == Token::End ? " at the end" : " before '" + Peek().text + "'"));
        ++pos_;
    }

    // Nesting beyond any model's needs is refused before it exhausts the stack.
    struct Depth {
        explicit Depth(int& depth) : depth_(depth) {
            if (++depth_ > kMaxDepth) throw Exception("the expression is nested too deeply");
        }
        ~Depth() { --depth_; }
        int& depth_;
    };
    static constexpr int kMaxDepth = 200;

    TExprPtr Comparison() {
        const Depth deeper(depth_);
        TExprPtr left = Additive();
        for (const char* op : {"<", "<=", ">", ">=", "==", "!="})
            if (IsOp(op)) {
                ++pos_;
                return MakeBinary(op, left, Additive());
            }
        return left;
    }
    TExprPtr Additive() {
        TExprPtr left = Multiplicative();
        while (IsOp("+") || IsOp("-")) {
            const std::string op = tokens_[pos_++].text;
            left = MakeBinary(op, left, Multiplicative());
        }
        return left;
    }
    TExprPtr Multiplicative() {
        TExprPtr left = Unary();
        while (IsOp("*") || IsOp("/")) {
            const std::string op = tokens_[pos_++].text;
            left = MakeBinary(op, left, Unary());
        }
        return left;
    }
    // A sign binds looser than a power: -x^2 is -(x^2).
    TExprPtr Unary() {
        if (IsOp("-")) {
            ++pos_;
            const Depth deeper(depth_);
            return MakeNegate(Unary());
        }
        if (IsOp("+")) {
            ++pos_;
            return Unary();
        }
        return Power();
    }
    TExprPtr Power() {
        TExprPtr base = Primary();
        if (!IsOp("^")) return base;
        ++pos_;
        TExprPtr exponent = Primary();
        if (IsOp("^")) throw EOdeUnsupported("a chained power 'a^b^c' is not supported");
        return MakeBinary("^", base, exponent);
    }
    std::vector<TExprPtr> Arguments() {
        Expect("(");
        std::vector<TExprPtr> args{Comparison()};
        while (IsOp(",")) {
            ++pos_;
            args.push_back(Comparison());
        }
        Expect(")");
        return args;
    }
    TExprPtr Bracketed() {
        Expect("(");
        TExprPtr inner = Comparison();
        Expect(")");
        return inner;
    }
    TExprPtr Primary() {
        const Token token = Peek();
        if (token.type == Token::Number) {
            ++pos_;
            return MakeNumber(token.number);
        }
        if (IsOp("(")) return Bracketed();
        if (token.type != Token::Name)
            throw Exception(token.type == Token::End ? "the expression ends too soon"
                                                     : "unexpected '" + token.text + "'");
        ++pos_;
        const std::string& name = token.text;
        if (name == "if") {
            TExprPtr condition = Bracketed();
            if (Peek().text != "then") throw Exception("'then' expected after if(...)");
            ++pos_;
            TExprPtr yes = Bracketed();
            if (Peek().text != "else") throw Exception("'else' expected after then(...)");
            ++pos_;
            return MakeCall("IF", {condition, yes, Bracketed()});
        }
        if (IsOp("(")) return Call(name);
        if (name == "pi") return MakeNumber(3.141592653589793);
        if (TExprPtr bound = scope_.name ? scope_.name(name) : nullptr) return bound;
        if (name == "t") throw EOdeUnsupported("the time 't' is not supported");
        throw EOdeUnsupported("unknown name '" + name + "'");
    }
    TExprPtr Call(const std::string& name) {
        std::vector<TExprPtr> args = Arguments();
        if (const auto* user = scope_.function ? scope_.function(name) : nullptr) {
            if (args.size() != user->first.size())
                throw Exception("'" + name + "' takes " + std::to_string(user->first.size()) +
                                " argument(s)");
            std::map<std::string, TExprPtr> bound;
            for (size_t k = 0; k < args.size(); ++k)
                bound["@" + user->first[k]] = args[k];
            return Substitute(user->second, bound, substituted_);
        }
        // LN(x)/LN(10) misses log10's value in the last digit (log10(1000) is
        // not 3): no exact equivalent.
        if (name == "log10")
            throw EOdeUnsupported("'log10' is not supported: the rate law has no exact base-10 "
                                  "logarithm");
        const auto found = OdeFunctions().find(name);
        if (found == OdeFunctions().end())
            throw EOdeUnsupported("the function '" + name + "' is not supported");
        if (static_cast<int>(args.size()) != Arity(found->second))
            throw Exception("'" + name + "' takes " + std::to_string(Arity(found->second)) +
                            " argument(s)");
        return MakeCall(found->second, std::move(args));
    }
    // A user function's body with its arguments in place of their names.
    // Functions that call functions can grow a tree exponentially: the nodes
    // copied are counted and limited.
    static TExprPtr Substitute(const TExprPtr& body, const std::map<std::string, TExprPtr>& bound,
                               long& copied) {
        if (++copied > kMaxNodes) throw Exception("the functions expand too far");
        const TreeDepth deeper;
        if (body->kind == Kind::Name) {
            const auto it = bound.find(body->text);
            return it == bound.end() ? body : it->second;
        }
        if (body->args.empty()) return body;
        auto copy = std::make_shared<TExprNode>(*body);
        for (auto& arg : copy->args)
            arg = Substitute(arg, bound, copied);
        return copy;
    }

    static constexpr long kMaxNodes = 100000;

    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int depth_ = 0;
    long substituted_ = 0;
    const TOdeScope& scope_;
};

// --- rate-law text ----------------------------------------------------------

bool IsAtom(const TExprPtr& e) {
    return e->kind == Kind::Name || e->kind == Kind::Call ||
           (e->kind == Kind::Number && !std::signbit(e->number));
}

// The tree in the rate law's operations, which the rate-law printer brackets
// by the language's own grammar. Comparisons and if-then-else, which the
// language lacks, become exact 0/1 forms of HEAV and ZERO. A subtree used
// twice (an inlined argument) stays one, so that a large expansion is found
// too long by counting, before any text is made.
class TRateLowering {
public:
    TRateTreePtr Of(const TExprPtr& e) {
        if (const auto done = done_.find(e.get()); done != done_.end()) return done->second;
        const TreeDepth deeper;
        return done_[e.get()] = Lowered(*e);
    }

private:
    using TOp = TRateTree::TOp;

    static TRateTreePtr Binary(TOp op, TRateTreePtr a, TRateTreePtr b) {
        return RateNode(op, {std::move(a), std::move(b)});
    }
    static TRateTreePtr OneLess(TRateTreePtr x) {
        return Binary(TOp::Difference, RateNumber(1), std::move(x));
    }
    // The sign of a - b is exact, so HEAV and ZERO of it compare exactly.
    static TRateTreePtr Compared(const char* function, TRateTreePtr a, TRateTreePtr b) {
        return RateCall(function, {Binary(TOp::Difference, std::move(a), std::move(b))});
    }

    TRateTreePtr Lowered(const TExprNode& e) {
        switch (e.kind) {
        case Kind::Number:
            return RateNumber(e.number);
        case Kind::Name:
            return RateName(e.text);
        case Kind::Negate:
            return RateNode(TOp::Negate, {Of(e.args[0])});
        case Kind::Binary: {
            const TRateTreePtr a = Of(e.args[0]), b = Of(e.args[1]);
            const std::string& op = e.text;
            if (op == "+") return Binary(TOp::Sum, a, b);
            if (op == "-") return Binary(TOp::Difference, a, b);
            if (op == "*") return Binary(TOp::Product, a, b);
            if (op == "/") return Binary(TOp::Quotient, a, b);
            if (op == "^") return Binary(TOp::Power, a, b);
            if (op == "<") return OneLess(Compared("HEAV", a, b));
            if (op == ">") return OneLess(Compared("HEAV", b, a));
            if (op == ">=") return Compared("HEAV", a, b);
            if (op == "<=") return Compared("HEAV", b, a);
            if (op == "!=") return Compared("ZERO", a, b);
            if (op == "==") return OneLess(Compared("ZERO", a, b));
            throw Exception("An expression holds an unknown operator '" + op + "'");
        }
        case Kind::Call: {
            std::vector<TRateTreePtr> args;
            for (const TExprPtr& arg : e.args)
                args.push_back(Of(arg));
            if (e.text != "IF") return RateCall(e.text, std::move(args));
            // ZERO gives the condition as 0 or 1, and c*a + (1-c)*b is then
            // exactly one of them.
            const TRateTreePtr c = RateCall("ZERO", {args[0]});
            return Binary(TOp::Sum, Binary(TOp::Product, c, args[1]),
                          Binary(TOp::Product, OneLess(c), args[2]));
        }
        }
        throw Exception("An expression holds an unknown node");
    }

    std::map<const TExprNode*, TRateTreePtr> done_;
};

// --- XPPAUT output ----------------------------------------------------------

const std::map<std::string, std::string>& RateToOdeFunctions() {
    static const std::map<std::string, std::string> table = {
        {"SIN", "sin"},     {"COS", "cos"},   {"TAN", "tan"}, {"SINH", "sinh"}, {"COSH", "cosh"},
        {"ARCTAN", "atan"}, {"EXP", "exp"},   {"LN", "ln"},   {"SQRT", "sqrt"}, {"ABS", "abs"},
        {"HEAV", "heav"},   {"SIGN", "sign"}, {"MAX", "max"}, {"MIN", "min"},
    };
    return table;
}

std::string OdeText(const TExprPtr& e, const std::map<std::string, std::string>& rename);
std::string OdeOperand(const TExprPtr& e, const std::map<std::string, std::string>& rename);

int OdePrecedence(const std::string& op) {
    return op == "^" ? 3 : op == "*" || op == "/" ? 2 : 1;
}

// XPPAUT groups by precedence and from the left: an operand that binds
// tighter, or as tight on the left, needs no brackets (but both of a power do).
std::string OdeSide(const std::string& op, bool right, const TExprPtr& e,
                    const std::map<std::string, std::string>& rename) {
    if (e->kind == Kind::Binary && op != "^") {
        const int inner = OdePrecedence(e->text), outer = OdePrecedence(op);
        if (inner > outer || (inner == outer && !right)) return OdeText(e, rename);
    }
    return OdeOperand(e, rename);
}

std::string OdeOperand(const TExprPtr& e, const std::map<std::string, std::string>& rename) {
    return IsAtom(e) ? OdeText(e, rename) : "(" + OdeText(e, rename) + ")";
}

std::string OdeText(const TExprPtr& e, const std::map<std::string, std::string>& rename) {
    const TreeDepth deeper;
    switch (e->kind) {
    case Kind::Number:
        return ExactNumeral(e->number);
    case Kind::Name: {
        const auto it = rename.find(Upper(e->text));
        return it == rename.end() ? e->text : it->second;
    }
    case Kind::Negate:
        return "-" + OdeOperand(e->args[0], rename);
    case Kind::Binary:
        return OdeSide(e->text, false, e->args[0], rename) + e->text +
               OdeSide(e->text, true, e->args[1], rename);
    case Kind::Call: {
        if (e->text == "ZERO") return "(" + OdeOperand(e->args[0], rename) + "!=0)";
        const auto it = RateToOdeFunctions().find(e->text);
        if (it == RateToOdeFunctions().end())
            throw EOdeUnsupported("XPPAUT has no function '" + e->text + "'");
        std::string text = it->second + "(";
        for (size_t k = 0; k < e->args.size(); ++k)
            text += (k ? "," : "") + OdeText(e->args[k], rename);
        return text + ")";
    }
    }
    return "";
}

// The compiled rate's tree in the shape XPPAUT's side reads, refusing the
// operators XPPAUT lacks.
TExprPtr FromRateTree(const TRateTree& t) {
    using TOp = TRateTree::TOp;
    const auto arg = [&](std::size_t i) { return FromRateTree(*t.args[i]); };
    switch (t.op) {
    case TOp::Number:
        return MakeNumber(t.value);
    case TOp::Name:
        return MakeName(t.name);
    case TOp::Negate:
        return MakeNegate(arg(0));
    case TOp::Sum:
        return MakeBinary("+", arg(0), arg(1));
    case TOp::Difference:
        return MakeBinary("-", arg(0), arg(1));
    case TOp::Product:
        return MakeBinary("*", arg(0), arg(1));
    case TOp::Quotient:
        return MakeBinary("/", arg(0), arg(1));
    case TOp::Power:
        return MakeBinary("^", arg(0), arg(1));
    case TOp::IntQuotient:
    case TOp::Remainder:
        throw EOdeUnsupported(std::string("XPPAUT has no operator '") +
                              (t.op == TOp::Remainder ? "MOD" : "DIV") + "'");
    case TOp::Call: {
        std::vector<TExprPtr> args;
        for (std::size_t i = 0; i < t.args.size(); ++i)
            args.push_back(arg(i));
        return MakeCall(t.name, std::move(args));
    }
    }
    throw Exception("A rate tree holds an unknown operation");
}

} // namespace

TExprPtr MakeNumber(double value) {
    auto node = std::make_shared<TExprNode>();
    node->kind = Kind::Number;
    node->number = value;
    return node;
}
TExprPtr MakeName(std::string name) {
    auto node = std::make_shared<TExprNode>();
    node->kind = Kind::Name;
    node->text = std::move(name);
    return node;
}
TExprPtr MakeNegate(TExprPtr operand) {
    auto node = std::make_shared<TExprNode>();
    node->kind = Kind::Negate;
    node->args = {std::move(operand)};
    return node;
}
TExprPtr MakeBinary(std::string op, TExprPtr left, TExprPtr right) {
    auto node = std::make_shared<TExprNode>();
    node->kind = Kind::Binary;
    node->text = std::move(op);
    node->args = {std::move(left), std::move(right)};
    return node;
}
TExprPtr MakeCall(std::string function, std::vector<TExprPtr> args) {
    auto node = std::make_shared<TExprNode>();
    node->kind = Kind::Call;
    node->text = std::move(function);
    node->args = std::move(args);
    return node;
}

TExprPtr ParseOdeExpression(const std::string& text, const TOdeScope& scope) {
    return OdeParser(text, scope).Whole();
}

std::string ToRateText(const TExprPtr& tree) {
    // A rate text longer than the rate law takes is refused before it is made.
    const auto tooLong = [] {
        return Exception("the rate is longer than " + std::to_string(kMaxRateLength) +
                         " characters");
    };
    const TRateTreePtr rate = TRateLowering().Of(tree);
    if (RateTreeSize(*rate, kMaxRateLength) > kMaxRateLength) throw tooLong();
    std::string text = RateText(*rate);
    if (text.size() > kMaxRateLength) throw tooLong();
    return text;
}

TExprPtr ParseRateText(const std::string& text, const std::vector<std::string>& variables) {
    TMathParser parser;
    parser.RemoveVariables();
    std::map<const double*, std::string> names;
    for (const std::string& name : variables)
        names[parser.DefineVariable(name, 0)] = name;
    std::string compact = text;
    compact.erase(std::remove(compact.begin(), compact.end(), ' '), compact.end());
    parser.SetExpression(compact);
    if (parser.Terms().empty()) return MakeNumber(0);
    return FromRateTree(*RateTreeOf(parser, names));
}

std::string ToOdeText(const TExprPtr& tree, const std::map<std::string, std::string>& rename) {
    return OdeText(tree, rename);
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
