#pragma once

#include "Exception.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Expressions between the rate-law language and XPPAUT's. Both are read into
// one tree that keeps the grouping each language gives its text, and the tree
// is written with brackets wherever the other language would group otherwise,
// so that a translated rate evaluates the same operations on the same operands.

// A construct the other language has no exact equivalent for; the message
// names it.
class EOdeUnsupported : public Exception {
    using Exception::Exception;
};

struct TExprNode {
    enum class Kind { Number, Name, Negate, Binary, Call };
    Kind kind = Kind::Number;
    double number = 0;
    // Name: the name; Binary: the operator ("+", "-", "*", "/", "^", "<", "<=",
    // ">", ">=", "==", "!="); Call: the function, upper case.
    std::string text;
    std::vector<std::shared_ptr<const TExprNode>> args;
};
using TExprPtr = std::shared_ptr<const TExprNode>;

TExprPtr MakeNumber(double value);
TExprPtr MakeName(std::string name);
TExprPtr MakeNegate(TExprPtr operand);
TExprPtr MakeBinary(std::string op, TExprPtr left, TExprPtr right);
TExprPtr MakeCall(std::string function, std::vector<TExprPtr> args);

// What an XPPAUT name in an expression stands for: a tree to put in its place
// (a variable, a parameter, a number or a user function's body), or null for
// an unknown name. Names come in lower case.
struct TOdeScope {
    std::function<TExprPtr(const std::string& name)> name;
    // A user function by lower-case name: its arguments' names and its body,
    // in which an argument stands as the name "@" + argument (null: none).
    std::function<const std::pair<std::vector<std::string>, TExprPtr>*(const std::string&)>
        function;
};

// Reads an XPPAUT expression. Unknown names and functions, and constructs
// without an exact rate-law equivalent, throw EOdeUnsupported naming them; a
// malformed text throws Exception.
TExprPtr ParseOdeExpression(const std::string& text, const TOdeScope& scope);

// The tree as a rate-law text. Comparisons and if-then-else, which the
// rate-law language lacks, become exact 0/1 forms of HEAV and ZERO.
std::string ToRateText(const TExprPtr& tree);

// A rate-law text as the tree the rate-law compiler makes of it, with
// `variables` (N1, N2, parameters) bound; a text that does not compile throws
// its error.
TExprPtr ParseRateText(const std::string& text, const std::vector<std::string>& variables);

// The tree as an XPPAUT expression, names replaced through `rename` (upper-
// or lower-case keys as bound). Functions XPPAUT lacks throw EOdeUnsupported.
std::string ToOdeText(const TExprPtr& tree, const std::map<std::string, std::string>& rename);

// Letter case aside.
std::string Lower(std::string text);
std::string Upper(std::string text);
