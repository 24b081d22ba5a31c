// A variable named E against the numeral rule that lets a numeral lack digits
// before its exponent ("E5" reads as 0). Where E is bound (it is in the
// variable table: a parameter named e or E, or the parser's own one-letter
// cell from construction until RemoveVariables), "E" followed by a sign is the
// variable and an operator, in every position; where it is not bound, "E-1"
// and the like stay numerals that read as 0. Names that merely begin with E
// (E5) are other names and keep the numeral rule either way.
#include "ParserErrors.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

// What a text gives: a value, a compile error, or a fault when evaluated.
struct Outcome {
    enum Kind { Value, Refused, Fault } kind = Value;
    double value = 0;
};
Outcome V(double v) {
    return {Outcome::Value, v};
}
const Outcome kRefused{Outcome::Refused, 0};
const Outcome kFault{Outcome::Fault, 0};

constexpr double kE = 2.5;
constexpr double kN1 = 3;

// A parser with N1 bound and E either bound to kE or not bound at all.
Outcome Run(const std::string& text, bool eBound) {
    TMathParser p;
    p.RemoveVariables(); // the one-letter cells too
    p.DefineVariable("N1", kN1);
    if (eBound) p.DefineVariable("e", kE);
    try {
        p.SetExpression(text);
    } catch (const EMathParserError&) {
        return kRefused;
    }
    try {
        return V(p.Value());
    } catch (const Exception&) {
        return kFault;
    }
}

std::string Show(const Outcome& o) {
    if (o.kind == Outcome::Refused) return "refused";
    if (o.kind == Outcome::Fault) return "fault";
    return std::to_string(o.value);
}

void ExpectOutcome(const std::string& text, bool eBound, const Outcome& want) {
    const Outcome got = Run(text, eBound);
    const std::string where = text + (eBound ? " with E bound" : " with E not bound");
    ASSERT_EQ(got.kind, want.kind) << where << ": got " << Show(got);
    if (want.kind == Outcome::Value) {
        EXPECT_DOUBLE_EQ(got.value, want.value) << where;
    }
}

struct Case {
    const char* text;
    Outcome bound;   // E = 2.5, N1 = 3
    Outcome unbound; // N1 = 3, no E
};

// Values worked out by hand; "E±digits" reads as 0 where E is not bound.
const Case kCases[] = {
    // E and a sign, alone and in every position an operand can take
    {"e-1", V(2.5 - 1), V(0)},
    {"E-1", V(2.5 - 1), V(0)},
    {"e+1", V(2.5 + 1), V(0)},
    {"e-12", V(2.5 - 12), V(0)},
    {"(e-1)", V(2.5 - 1), V(0)},
    {"((e-1))*2", V((2.5 - 1) * 2), V(0)},
    {"N1*(e-1)", V(3 * (2.5 - 1)), V(0)},
    {"4*e-1", V(4 * 2.5 - 1), V(0)}, // unbound: 4*(E-1), 4*0
    {"N1*e-1", V(3 * 2.5 - 1), V(0)},
    {"e+1*N1", V(2.5 + 3), V(0)},  // unbound: (E+1)*N1
    {"e-1^2", V(2.5 - 1), V(0)},   // unbound: (E-1)^2
    {"e-1/2", V(2.5 - 0.5), V(0)}, // unbound: (E-1)/2
    {"-e+1", V(-2.5 + 1), V(0)},   // unbound: the numeral -E+1
    {"-e-1", V(-2.5 - 1), V(0)},
    {"-e+1*2", V(-2.5 + 2), V(0)}, // unbound: (-E+1)*2
    {"e-1-N1", V(2.5 - 1 - 3), V(0 - 3)},
    {"N1-e-1", V(3 - 2.5 - 1), V(3 - 0)},
    {"N1^e-1", V(15.588457268119896 - 1), V(1)}, // 3^2.5 = 9*sqrt(3); unbound: 3^0
    {"(e+1)^2", V(3.5 * 3.5), V(0)},
    {"e+-1", V(2.5 - 1), kRefused},
    {"e--1", V(2.5 + 1), kRefused},
    {"e+1e1", V(2.5 + 10), kRefused},
    {"e-1e1", V(2.5 - 10), kRefused},
    {"1E-1+e", V(0.1 + 2.5), kRefused},
    {"exp(e-1)", V(4.4816890703380645), V(1)}, // e^1.5
    {"sin(e-1)", V(0.99749498660405445), V(0)},
    {"max(e-1,-2)", V(1.5), V(0)},
    {"min(-2,e+1)", V(-2), V(-2)},
    {"7dive-1", V(3 - 1), kFault},  // unbound: 7 DIV (E-1), a division by 0
    {"n1mode-1", V(1 - 1), kFault}, // (3 MOD 2) - 1; unbound 3 MOD 0
    // after an operator a "-" is only a numeral's sign: -E is no operand there
    {"N1*-e-1", kRefused, V(0)},
    {"N1^-e+1", kRefused, V(1)},
    // the variable itself
    {"e", V(2.5), kRefused},
    {"-e", V(-2.5), kRefused},
    {"e*e-e", V(6.25 - 2.5), kRefused},
    {"e^2-1", V(6.25 - 1), kRefused},
    {"e-N1", V(2.5 - 3), kRefused},
    // not the name E: the numeral rule holds either way
    {"e5", V(0), V(0)},
    {"-e5", V(0), V(0)},
    {"e5-1", V(-1), V(-1)},
    {"2e-1", V(0.2), V(0.2)},
    {"N1*2E-1", V(3 * 0.2), V(3 * 0.2)},
    {"1e+1-e5", V(10), V(10)},
    {"N1-1E-1", V(2.9), V(2.9)},
};

} // namespace

TEST(NameE, BoundVariableEWinsOverTheNumeralInEveryPosition) {
    for (const Case& c : kCases)
        ExpectOutcome(c.text, true, c.bound);
}

TEST(NameE, WithoutAVariableETheNumeralRuleStays) {
    for (const Case& c : kCases)
        ExpectOutcome(c.text, false, c.unbound);
}

TEST(NameE, TheParsersOwnCellIsBoundUntilRemoveVariables) {
    TMathParser p; // defines A, B, C, D, E, X, Y, T on its own cells
    p.SetE(2);
    p.SetExpression("E-1");
    EXPECT_EQ(p.Value(), 1.0);
    p.SetE(5);
    EXPECT_EQ(p.Value(), 4.0); // the cell, read at each evaluation

    p.RemoveVariables(); // no name is defined now, E included
    p.SetExpression("E-1");
    EXPECT_EQ(p.Value(), 0.0); // the numeral E-1

    p.DefineVariable("e", 0.5);
    p.SetExpression("E-1");
    EXPECT_EQ(p.Value(), -0.5);
}

TEST(NameE, CompilesToTheSameTermsAsAnyOtherName) {
    // Evaluation is the plain difference term, as for a variable of another
    // name: nothing is decided while evaluating.
    const auto kinds = [](const std::string& text, const char* name) {
        TMathParser p;
        p.DefineVariable(name, 2.5);
        p.DefineVariable("N1", 3);
        p.SetExpression(text);
        std::vector<TTermKind> k;
        for (const TTerm& t : p.Terms())
            k.push_back(t.kind);
        return k;
    };
    EXPECT_EQ(kinds("e-1", "E"), kinds("q-1", "Q"));
    EXPECT_EQ(kinds("N1*(e-1)", "E"), kinds("N1*(q-1)", "Q"));
    EXPECT_EQ(kinds("-e+1", "E"), kinds("-q+1", "Q"));
    EXPECT_EQ(kinds("e-1^2", "E"), kinds("q-1^2", "Q"));
}
