#include "DateSerial.h"
#include "Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(DateSerial, EncodesKnownDatesAsDaysSinceTheOrigin) {
    const struct {
        int y, m, d;
        double serial;
    } cases[] = {
        {1899, 12, 30, 0},    {1899, 12, 31, 1},   {1900, 1, 1, 2},    {1970, 1, 1, 25569},
        {2000, 2, 29, 36585}, {2024, 3, 5, 45356}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
        int y, m, d;
        DecodeDate(c.serial + (c.serial >= 0 ? 0.75 : -0.75), y, m, d); // 18:00
        EXPECT_EQ(y, c.y);
        EXPECT_EQ(m, c.m);
        EXPECT_EQ(d, c.d);
    }
}

TEST(DateSerial, RefusesImpossibleDatesAndValues) {
    EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
    EXPECT_THROW(EncodeDate(2023, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
    EXPECT_THROW(EncodeDate(10000, 1, 1), EConvertError);
    EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
    int y, m, d;
    EXPECT_THROW(DecodeDate(std::numeric_limits<double>::quiet_NaN(), y, m, d), EConvertError);
    EXPECT_THROW(DecodeDate(1e300, y, m, d), EConvertError);
    EXPECT_THROW(DecodeDate(3e6, y, m, d), EConvertError);
}

TEST(DateSerial, TimeIsTheFractionRoundedToTheMillisecond) {
    const double t = EncodeTime(13, 45, 30, 250);
    EXPECT_DOUBLE_EQ(t, (13 * 3600 + 45 * 60 + 30.25) / 86400.0);
    int h, n, s, ms;
    DecodeTime(45356 + t, h, n, s, ms);
    EXPECT_EQ(h, 13);
    EXPECT_EQ(n, 45);
    EXPECT_EQ(s, 30);
    EXPECT_EQ(ms, 250);
    // Just below midnight rounds into the next day, not to 24:00.
    DecodeTime(45356.9999999999, h, n, s, ms);
    EXPECT_EQ(h, 0);
    int y, m, d;
    DecodeDate(45356.9999999999, y, m, d);
    EXPECT_EQ(d, 6);
    // A negative serial keeps its fraction as the time after midnight.
    DecodeTime(-1.25, h, n, s, ms);
    EXPECT_EQ(h, 6);
    DecodeDate(-1.25, y, m, d);
    EXPECT_EQ(d, 29);
}

TEST(DateSerial, DayOfWeekCountsFromSunday) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 3)), 1); // Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 9) + 0.5), 7);
    EXPECT_EQ(DayOfWeek(0), 7);  // 30 Dec 1899 was a Saturday
    EXPECT_EQ(DayOfWeek(-1), 6); // the Friday before
}

TEST(DateSerial, NowIsTodayInSerialForm) {
    const double now = Now();
    EXPECT_GT(now, EncodeDate(2020, 1, 1));
    EXPECT_LT(now, EncodeDate(2200, 1, 1));
}

TEST(FormatDateTime, ProducesTheConventionalCodes) {
    const double v = EncodeDate(2024, 3, 5) + EncodeTime(7, 4, 9, 30);
    const struct {
        const char* format;
        const char* text;
    } cases[] = {
        {"dd-mmm", "05-Mar"},
        {"d/m/yy", "5/3/24"},
        {"dddd d mmmm yyyy", "Tuesday 5 March 2024"},
        {"ddd", "Tue"},
        {"hh:mm:ss", "07:04:09"},
        {"h:nn", "7:04"},
        {"hh:nn:ss.zzz", "07:04:09.030"},
        {"h am/pm", "7 am"},
        {"'day' d", "day 5"},
        {"\"mm\" mm", "mm 03"},
        {"DD-MMM", "05-Mar"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTime(c.format, v), c.text) << c.format;
    EXPECT_EQ(FormatDateTime("h am/pm", EncodeDate(2024, 3, 5) + EncodeTime(15, 0, 0, 0)), "3 pm");
    EXPECT_EQ(FormatDateTime("h am/pm", EncodeDate(2024, 3, 5)), "12 am");
}

TEST(FormatDateTime, UnterminatedQuoteCopiesTheRest) {
    EXPECT_EQ(FormatDateTime("d 'rest", EncodeDate(2024, 3, 5)), "5 rest");
}

} // namespace
