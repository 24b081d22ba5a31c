#include "ParserErrors.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

namespace {

// A chain of `operators` sums: A+A+...+A, nested one level per operator.
std::string SumChain(int operators) {
    std::string s = "A";
    for (int i = 0; i < operators; ++i)
        s += "+A";
    return s;
}

// An expression with exactly `count` sums whose operands lie at depth
// `depth` + 1, spread over a tree of products.
std::string Spread(int depth, int count) {
    if (depth == 0) return count == 1 ? "A+B" : "A";
    const int left = (count + 1) / 2;
    return "(" + Spread(depth - 1, left) + ")*(" + Spread(depth - 1, count - left) + ")";
}

} // namespace

TEST(Errors, MessagesOfCompileErrors) {
    EXPECT_EQ(CompileError("X +1"), "Expression has blanks");
    EXPECT_EQ(CompileError("(X"), "Missing brackets in expression");
    EXPECT_EQ(CompileError("(X))("), "Error parsing expression:\r(X))(");
    EXPECT_EQ(CompileError("   "), "Error parsing expression:\r");
    EXPECT_EQ(CompileError("SIN"), "Error parsing expression:\rSIN");
    // The last cut tried: the second "^" of a chain of powers.
    EXPECT_EQ(CompileError("A^B^C"), "Error parsing expression:\rA^B\rC");
    EXPECT_EQ(CompileError("A+-B"), "Error parsing expression:\rA+\rB");
    EXPECT_EQ(CompileError("  X+1  "), "");
}

TEST(Errors, FailedCompileKeepsTextAndDropsCompiledForm) {
    TMathParser p;
    p.SetExpression("X+1");
    EXPECT_THROW(p.SetExpression("X+"), ESyntaxError);
    EXPECT_EQ(p.Expression(), "X+");
    EXPECT_EQ(p.Value(), 0.0);
    EXPECT_TRUE(p.Terms().empty());
    p.SetExpression("");
    EXPECT_EQ(p.Value(), 0.0);
}

TEST(Errors, OnParserErrorTakesTheException) {
    TMathParser p;
    std::string seen;
    TCustomParser* sender = nullptr;
    p.OnParserError = [&](TCustomParser& s, const std::exception& e) {
        sender = &s;
        seen = e.what();
    };
    EXPECT_NO_THROW(p.SetExpression("A^B^C"));
    EXPECT_EQ(sender, &p);
    EXPECT_EQ(seen, "Error parsing expression:\rA^B\rC");
    EXPECT_EQ(p.Value(), 0.0);
    // A bad name still goes to the caller.
    EXPECT_THROW(p.DefineVariable("2X", 1), EBadName);
}

TEST(Limits, NestingDepth) {
    EXPECT_EQ(CompileError(SumChain(20)), "");
    EXPECT_EQ(Eval(SumChain(20)), 21.0);
    EXPECT_EQ(CompileError(SumChain(21)), "Expression contains too many nestings");
    // A left-grouped chain of differences nests the same way.
    std::string diff = "A";
    for (int i = 0; i < 21; ++i)
        diff += "-A";
    EXPECT_EQ(CompileError(diff), "Expression contains too many nestings");
}

TEST(Limits, OperationsPerDepth) {
    EXPECT_EQ(CompileError(Spread(6, 50)), "");
    EXPECT_EQ(CompileError(Spread(6, 51)), "Expression is too complex");
}

TEST(Limits, PathologicalTextsAreDecided) {
    // Long texts of every troublesome shape compile or fail with a parser
    // error, never anything else (speed is measured in the benchmark).
    const std::vector<std::string> units{"A+",     "A-",     "-",  "(",      "A*-", "ADIVBMOD",
                                         "1E+1E-", "MAX(A,", "A^", "(A-B)*", ","};
    for (const std::string& unit : units) {
        std::string text;
        while (text.size() < 4000)
            text += unit;
        text += "A";
        const std::string error = CompileError(text);
        EXPECT_NE(error, "") << unit;
    }
}
