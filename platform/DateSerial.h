#pragma once

#include <string>

// Date serial numbers: whole days since 30 December 1899 (day 0), the time of
// day as the fraction. For negative values the fraction still counts forward
// from midnight, so -1.25 is 29 December 1899, 06:00.
using TDateTime = double;

constexpr double kHoursPerDay = 24.0;
constexpr double kMinutesPerDay = 1440.0;
constexpr double kSecondsPerDay = 86400.0;

// Calendar fields of a serial number; years run 1 to 9999. Encoding an
// impossible date or time, or decoding a value outside that calendar (or not a
// number), throws EConvertError.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// The local date and time.
TDateTime Now();

// Formats with the conventional codes: d dd ddd dddd (day, day name), m mm mmm
// mmmm (month; minutes right after an hour code), yy yyyy, h hh, n nn
// (minutes), s ss, z zzz (milliseconds), am/pm, '/' and ':' separators, and
// literal text in single or double quotes. Other characters are copied.
// "dd-mmm" gives "05-Mar".
std::string FormatDateTime(const std::string& format, TDateTime value);
