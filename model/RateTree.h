#pragma once

#include "MathParser.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// A rate law as a tree, the form in which it passes between the rate-law
// language and other notations. Each node is one operation of the language,
// so that a tree taken from a compiled rate and written back as text compiles
// to the same operations in the same order: the same numbers to the last
// digit.
struct TRateTree {
    enum class TOp {
        Number,
        Name,
        Negate,
        Sum,
        Difference,
        Product,
        Quotient,
        IntQuotient, // DIV
        Remainder,   // MOD
        Power,
        Call,
    };

    TOp op = TOp::Number;
    double value = 0; // a number's
    std::string name; // a variable's, or the function a call makes (upper case)
    std::vector<std::shared_ptr<const TRateTree>> args;
};
using TRateTreePtr = std::shared_ptr<const TRateTree>;

TRateTreePtr RateNumber(double value);
TRateTreePtr RateName(const std::string& name);
TRateTreePtr RateNode(TRateTree::TOp op, std::vector<TRateTreePtr> args);
TRateTreePtr RateCall(const std::string& function, std::vector<TRateTreePtr> args);

// The tree of the rate law `parser` holds compiled. `names` gives the name
// of each variable cell the law reads; a cell it does not name throws
// Exception.
TRateTreePtr RateTreeOf(const TMathParser& parser,
                        const std::map<const double*, std::string>& names);

// The rate text of a tree, bracketed where the language's grouping would
// otherwise read another tree: compiled, it gives the tree back.
std::string RateText(const TRateTree& tree);

// The number of operations and operands of a tree written out (a subtree
// used twice counts twice), counted up to `limit`: a rate text is at least
// this long.
std::size_t RateTreeSize(const TRateTree& tree, std::size_t limit);

// Whether two trees are the same operations on the same names and numbers.
bool SameRateTree(const TRateTree& a, const TRateTree& b);

// The shortest numeral that reads back as exactly `value`, in the language's
// classic syntax ("0.1", "1E-20", "-2.5").
std::string ExactNumeral(double value);
