#include "FloatText.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct DecimalSeparatorScope {
    explicit DecimalSeparatorScope(char c) : saved(DecimalSeparator()) { SetDecimalSeparator(c); }
    ~DecimalSeparatorScope() { SetDecimalSeparator(saved); }
    char saved;
};

TEST(FloatToText, WritesTheShortestGeneralForm) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.5, "0.5"},
        {1000, "1000"},
        {1E-5, "1E-5"},
        {1.5E-7, "1.5E-7"},
        {1E15, "1E15"},
        {1.23456789012346E17, "1.23456789012346E17"},
        {0, "0"},
        {-2.5, "-2.5"},
        {0.0001, "0.0001"},
        {0.00012345, "0.00012345"},
        {999999999999999, "999999999999999"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {-1E-20, "-1E-20"},
        {1.7976931348623157E308, "1.79769313486232E308"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToText(c.value), c.text) << c.value;
}

TEST(FloatToText, RoundingCanCarryIntoTheNextDecade) {
    EXPECT_EQ(FloatToText(999999999999999.9), "1E15");
    EXPECT_EQ(FloatToText(9.99999999999999999E-5), "0.0001");
    EXPECT_EQ(FloatToText(99999.96, 6), "100000");
}

TEST(FloatToText, HonoursThePrecisionGiven) {
    EXPECT_EQ(FloatToText(1.23456789, 6), "1.23457");
    EXPECT_EQ(FloatToText(1234567.8, 6), "1.23457E6");
    EXPECT_EQ(FloatToText(123456, 6), "123456");
    EXPECT_EQ(FloatToText(2.0 / 3.0, 1), "0.7");
}

TEST(FloatToText, NamesTheSpecialValues) {
    EXPECT_EQ(FloatToText(std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(FloatToText(std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FloatToText(-std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FloatText, UsesTheProcessWideDecimalSeparator) {
    DecimalSeparatorScope comma(',');
    EXPECT_EQ(FloatToText(2.5), "2,5");
    EXPECT_EQ(FloatToText(1.5E-7), "1,5E-7");
    EXPECT_DOUBLE_EQ(TextToFloat("2,5"), 2.5);
    double v = 0;
    EXPECT_FALSE(TryTextToFloat("2.5", v));
}

TEST(TextToFloat, ReadsDecimalNumerals) {
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"0.5", 0.5},   {"  12 ", 12},     {"-3", -3},       {"+4.25", 4.25},
        {"1E-5", 1E-5}, {"1.5e+7", 1.5E7}, {".5", 0.5},      {"7.", 7},
        {"1e-400", 0},  {"0.1", 0.1},      {"1E308", 1E308},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextToFloat(c.text), c.value) << c.text;
}

TEST(TextToFloat, RoundTripsEveryGeneralText) {
    const double values[] = {0.1, 1.0 / 3.0, 2.718281828459045, 6.02214076E23, 1E-300, -42.125};
    for (double v : values) {
        const double back = TextToFloat(FloatToText(v));
        EXPECT_NEAR(back, v, std::abs(v) * 1E-14) << v;
        EXPECT_EQ(FloatToText(back), FloatToText(v));
    }
}

TEST(TextToFloat, RefusesWhatIsNoNumber) {
    const char* bad[] = {"",     " ",   "abc", "1..2", "1e",  "1e+",   "--1", "1 2",
                         "0x10", "1,5", "e5",  "NAN",  "INF", "1E309", "."};
    for (const char* text : bad) {
        try {
            TextToFloat(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      std::string("'") + text + "' is not a valid floating point value");
        }
    }
}

TEST(FormatMessage, FillsEachPlaceholderInTurn) {
    EXPECT_EQ(FormatMessage("a %s b %s", {"1", "2"}), "a 1 b 2");
    EXPECT_EQ(FormatMessage("%s%%s", {"x"}), "x%s");
    EXPECT_EQ(FormatMessage("none", {"x"}), "none");
}

} // namespace
