// The compiler remembers and narrows its form tests; this reference runs them
// plainly, as written, on short texts, and both must agree on what compiles
// and on the value it gives.
#include "NumberSyntax.h"
#include "ParserErrors.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>

namespace {

struct Ref {
    std::set<std::string> vars{"A", "B", "C", "D", "E", "X", "Y", "T"};
    std::set<std::string> f1{"SIN", "ABS"};
    std::set<std::string> f2{"MAX", "MIN"};
    std::map<std::string, double> values{{"A", 1.5}, {"B", -2.25}, {"C", 3},  {"D", 0.5},
                                         {"E", 7},   {"X", 2},     {"Y", -1}, {"T", 0.125}};

    enum F { Var, Num, Br, Neg, Sum, Diff, Prod, IDiv, Mod, Quot, Pow, C1, C2 };
    using Forms = std::vector<F>;
    const Forms P{Var, Num, Br};

    static bool Balanced(const std::string& s) {
        return std::count(s.begin(), s.end(), '(') == std::count(s.begin(), s.end(), ')');
    }
    bool IsNum(const std::string& s, double* v = nullptr) const {
        double x;
        if (s.empty() || !ReadNumber(s, true, x, vars.count("E") > 0)) return false;
        if (v) *v = x;
        return true;
    }
    bool Passes(const Forms& forms, std::string& s) {
        for (F f : forms)
            if (Test(f, s)) return true;
        return false;
    }
    Forms Cat(Forms a, const Forms& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
    bool Valid(std::string& s) {
        return !s.empty() &&
               Passes({Num, Var, Neg, Sum, Diff, Prod, IDiv, Mod, Quot, Pow, C2, C1, Br}, s);
    }
    bool Test(F f, std::string& s) {
        std::string l, r;
        return Test(f, s, l, r);
    }
    // The form tests; `s` becomes its inside when it passes as bracketed.
    bool Test(F f, std::string& s, std::string& l, std::string& r) {
        switch (f) {
        case Var:
            return vars.count(s) > 0;
        case Num:
            return IsNum(s);
        case Br: {
            if (s.size() < 2 || s.front() != '(' || s.back() != ')') return false;
            std::string in = s.substr(1, s.size() - 2);
            if (!Valid(in)) return false;
            while (in.size() >= 2 && Test(Br, in)) {
            }
            s = in;
            return true;
        }
        case Neg:
            if (s.empty() || s[0] != '-') return false;
            l = s.substr(1);
            return Passes({Br, Var, Pow, C1, C2}, l);
        case Sum:
            return Cut(s, "+", false, Cat(P, {Neg, Diff, Prod, IDiv, Mod, Quot, Pow, C1, C2}),
                       Cat(P, {Sum, Diff, Prod, IDiv, Mod, Quot, Pow, C1, C2}), l, r);
        case Diff:
            return Cut(s, "-", false, Cat(P, {Neg, Diff, Prod, IDiv, Mod, Quot, Pow, C1, C2}),
                       Cat(P, {Prod, IDiv, Mod, Quot, Pow, C1, C2}), l, r);
        case Prod:
            return Cut(s, "*", false, Cat(P, {Neg, IDiv, Mod, Quot, Pow, C1, C2}),
                       Cat(P, {Prod, IDiv, Mod, Quot, Pow, C1, C2}), l, r);
        case IDiv:
        case Mod:
        case Quot:
            return Cut(s,
                       f == IDiv  ? "DIV"
                       : f == Mod ? "MOD"
                                  : "/",
                       f != Quot, Cat(P, {Neg, IDiv, Mod, Quot, Pow, C1, C2}),
                       Cat(P, {Pow, C1, C2}), l, r);
        case Pow:
            return Cut(s, "^", false, {Var, Num, Br, C1, C2}, {Num, Var, Br, C1, C2}, l, r);
        case C1: {
            const size_t p = s.find('(');
            if (p == std::string::npos || p == 0 || !f1.count(s.substr(0, p))) return false;
            l = s.substr(p);
            return Test(Br, l);
        }
        case C2: {
            const size_t p = s.find('(');
            if (p == std::string::npos || p == 0 || s.back() != ')' || !f2.count(s.substr(0, p)))
                return false;
            const std::string in = s.substr(p + 1, s.size() - p - 2);
            for (size_t c = 0; c < in.size(); ++c) {
                if (in[c] != ',') continue;
                if (c == 0 || c == in.size() - 1) return false;
                l = in.substr(0, c);
                r = in.substr(c + 1);
                if (Valid(l) && Valid(r)) return true;
            }
            return false;
        }
        }
        return false;
    }
    bool Cut(const std::string& s, const std::string& op, bool word, const Forms& lf,
             const Forms& rf, std::string& l, std::string& r) {
        for (size_t p = s.find(op); p != std::string::npos; p = s.find(op, p + 1)) {
            if (!word && p == s.size() - 1) return false;
            if (p == 0) {
                if (word || op == "-") continue;
                return false;
            }
            l = s.substr(0, p);
            r = s.substr(p + op.size());
            if (Balanced(l) && Balanced(r) && Passes(lf, l) && Passes(rf, r)) return true;
        }
        return false;
    }

    // Builds and evaluates the tree the way nodes are classified.
    std::optional<double> Eval(std::string s) {
        double v;
        if (vars.count(s)) return values[s];
        if (IsNum(s, &v)) return v;
        std::string l, r;
        if (Test(Neg, s, l, r)) return Apply(Neg, l, r);
        for (F f : {Sum, Diff, Prod, IDiv, Mod, Quot, Pow, C1, C2})
            if (Test(f, s, l, r)) return Apply(f, l, r, s);
        return std::nullopt;
    }
    std::optional<double> Apply(F f, const std::string& l, const std::string& r,
                                const std::string& whole = "") {
        const auto a = Eval(l);
        if (!a) return std::nullopt;
        if (f == Neg) return -*a;
        if (f == C1) {
            if (whole.rfind("SIN", 0) != 0) return std::fabs(*a);
            return std::fabs(*a) >= 9223372036854775808.0 ? 0.0 : std::sin(*a); // 0 from 2^63
        }
        const auto b = Eval(r);
        if (!b) return std::nullopt;
        switch (f) {
        case Sum:
            return *a + *b;
        case Diff:
            return *a - *b;
        case Prod:
            return *a * *b;
        case Quot:
            return *a / *b;
        case IDiv:
        case Mod: {
            // (also a NaN left by a faulting operand: no integer to divide)
            if (!(std::fabs(*a) <= 1e9) || !(std::fabs(*b) <= 1e9) || std::trunc(*b) == 0)
                return NAN;
            const long long x = static_cast<long long>(*a), y = static_cast<long long>(*b);
            return static_cast<double>(f == IDiv ? x / y : x % y);
        }
        case Pow:
            return std::pow(*a, *b);
        case C2:
            return whole.rfind("MAX", 0) == 0 ? (*a >= *b ? *a : *b) : (*a < *b ? *a : *b);
        default:
            return std::nullopt;
        }
    }
};

std::string RandomText(std::mt19937& rng) {
    static const std::vector<std::string> tokens{
        "A",   "B",    "E",    "X",    "1",    "2",  "0.5",  "E2", "1E-1", "PI", "+",
        "-",   "-",    "*",    "/",    "^",    "(",  ")",    "(",  ")",    ",",  "DIV",
        "MOD", "SIN(", "MAX(", "MIN(", "ABS(", "2E", "DIVA", "E-", "E+"};
    std::uniform_int_distribution<size_t> pick(0, tokens.size() - 1), len(1, 9);
    std::string s;
    for (size_t i = len(rng); i > 0; --i)
        s += tokens[pick(rng)];
    return s;
}

// With E bound, "E-1" is the variable E minus 1; without it, the numeral 0.
void AgreeOnRandomTexts(bool eBound, unsigned seed) {
    std::mt19937 rng(seed);
    Ref ref;
    if (!eBound) ref.vars.erase("E");
    int compiled = 0;
    for (int i = 0; i < 40000; ++i) {
        const std::string text = RandomText(rng);
        TMathParser p;
        p.RemoveVariables();
        for (const std::string& name : ref.vars)
            p.DefineVariable(name, ref.values[name]);
        bool ok = true;
        try {
            p.SetExpression(text);
        } catch (const EMathParserError&) {
            ok = false;
        }
        std::string stripped = text;
        if (Ref::Balanced(text))
            while (stripped.size() >= 2 && ref.Test(Ref::Br, stripped)) {
            }
        const bool refOk = Ref::Balanced(text) && !stripped.empty() && ref.Valid(stripped);
        ASSERT_EQ(ok, refOk) << text;
        if (!ok) continue;
        ++compiled;
        const auto expected = ref.Eval(stripped);
        ASSERT_TRUE(expected.has_value()) << text;
        double got = 0;
        try {
            got = p.Value();
        } catch (const Exception&) {
            continue; // faults are covered elsewhere
        }
        if (std::isnan(*expected) || std::isnan(got)) continue;
        if (text.find('^') != std::string::npos)
            EXPECT_NEAR(got, *expected, 1e-9 * std::fabs(*expected) + 1e-12) << text;
        else
            EXPECT_EQ(got, *expected) << text;
    }
    EXPECT_GT(compiled, 1000);
}

} // namespace

TEST(ReferenceGrammar, AgreesOnRandomTexts) {
    AgreeOnRandomTexts(true, 12345);
}

TEST(ReferenceGrammar, AgreesOnRandomTextsWithoutAVariableE) {
    AgreeOnRandomTexts(false, 54321);
}
