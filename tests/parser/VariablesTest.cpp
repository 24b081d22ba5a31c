#include "ParserErrors.h"
#include "ParserTestUtil.h"

#include <gtest/gtest.h>

TEST(Variables, CellIsStableAndSharedByName) {
    TMathParser p;
    double* n1 = p.DefineVariable("n1", 40);
    p.SetExpression("N1*2");
    EXPECT_EQ(p.Value(), 80.0);
    *n1 = 10;
    EXPECT_EQ(p.Value(), 20.0); // no recompile needed
    EXPECT_EQ(p.DefineVariable("N1", 5), n1);
    EXPECT_EQ(p.Value(), 10.0);
    EXPECT_EQ(p.VariableValue("n1"), 5.0);
    EXPECT_EQ(p.VariableValue("nope"), 0.0);
    // Many later definitions do not move the cell.
    for (int i = 0; i < 1000; ++i)
        p.DefineVariable("V" + std::to_string(i), i);
    EXPECT_EQ(p.DefineVariable("N1", 6), n1);
    EXPECT_EQ(p.Value(), 12.0);
}

TEST(Variables, BadNames) {
    TMathParser p;
    for (const char* name : {"2x", "", "a-b", "x y", "\xc3\xa9"}) {
        try {
            p.DefineVariable(name, 1);
            ADD_FAILURE() << name;
        } catch (const EBadName& e) {
            std::string upper = name;
            for (char& c : upper)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
            EXPECT_EQ(e.Message(), upper);
        }
    }
    EXPECT_NO_THROW(p.DefineVariable("_a1", 1));
}

TEST(Variables, OneLetterNamesAreTheParsersFields) {
    TMathParser p;
    p.SetX(3);
    p.SetExpression("X*X");
    EXPECT_EQ(p.Value(), 9.0);
    p.DefineVariable("x", 4);
    EXPECT_EQ(p.X(), 4.0);

    p.RemoveVariables();
    EXPECT_EQ(p.Expression(), "");
    EXPECT_THROW(p.SetExpression("X+1"), ESyntaxError);
    double* x = p.DefineVariable("X", 5);
    EXPECT_EQ(x, p.DefineVariable("X", 5));
    p.SetX(7);
    EXPECT_EQ(*x, 7.0);
    p.SetExpression("X+1");
    EXPECT_EQ(p.Value(), 8.0);
}

TEST(Variables, NamedPiWinsOverTheConstant) {
    TMathParser p;
    EXPECT_DOUBLE_EQ((p.SetExpression("PI"), p.Value()), 3.141592653589793);
    p.DefineVariable("PI", 3);
    p.SetExpression("PI");
    EXPECT_EQ(p.Value(), 3.0);
}

TEST(Variables, NamesHoldingDivAndMod) {
    TMathParser p;
    p.DefineVariable("MODEL", 10);
    p.DefineVariable("ADIVB", 5);
    p.DefineVariable("A", 7);
    p.DefineVariable("B", 2);
    p.SetExpression("MODEL-ADIVB");
    EXPECT_EQ(p.Value(), 5.0);
    p.SetExpression("ADIVB*2");
    EXPECT_EQ(p.Value(), 10.0);
    p.SetExpression("ADIVA");
    EXPECT_EQ(p.Value(), 1.0);
}
