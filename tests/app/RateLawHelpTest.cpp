#include "RateLawHelp.h"
#include "MathParser.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

// Every name the rate parser knows is explained in the help and in the rate
// field's tip, so a function added to the parser cannot go unmentioned.
TEST(RateLawHelp, NamesEveryFunctionOperatorAndConstantOfTheParser) {
    const TMathParser parser;
    QStringList names = {"DIV", "MOD", "PI", "N1", "N2"};
    for (const auto* table : {&parser.FunctionsOneParam(), &parser.FunctionsTwoParam()})
        for (const auto& entry : *table)
            names << QString::fromStdString(entry.first);
    ASSERT_GT(names.size(), 15);
    for (const QString& text : {RateLawHelpText(), RateLawTip()})
        for (const QString& name : names)
            EXPECT_TRUE(text.contains(QRegularExpression("\\b" + name + "\\b")))
                << name.toStdString() << " is missing from:\n"
                << text.toStdString();
}

} // namespace
