#include "DateSerial.h"

#include "Exception.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <ctime>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
// Serial number of 1 January 1970, the epoch of std::chrono's civil days.
constexpr int kUnixEpochSerial = 25569;
// Serial numbers of 1 January 0001 and 31 December 9999.
constexpr double kFirstSerial = -693593.0;
constexpr double kLastSerial = 2958466.0;

const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                    "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

[[noreturn]] void BadDate() {
    throw EConvertError("Invalid argument to date encode");
}

void CheckDecodable(TDateTime value) {
    if (!std::isfinite(value) || value <= kFirstSerial - 1.0 || value >= kLastSerial)
        throw EConvertError("Invalid date value");
}

// Whole day and milliseconds into that day, rounding the time to the nearest
// millisecond without carrying into a different day for negative serials.
void SplitSerial(TDateTime value, std::int64_t& day, std::int64_t& msOfDay) {
    CheckDecodable(value);
    if (value >= 0) {
        const auto total = static_cast<std::int64_t>(std::llround(value * kMsPerDay));
        day = total / kMsPerDay;
        msOfDay = total % kMsPerDay;
    } else {
        day = static_cast<std::int64_t>(std::trunc(value));
        msOfDay = std::llround((static_cast<double>(day) - value) * kMsPerDay);
        if (msOfDay >= kMsPerDay) msOfDay = kMsPerDay - 1;
    }
}

std::string Padded(int value, int width) {
    std::string s = std::to_string(value);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

bool StartsWithNoCase(const std::string& s, std::size_t pos, const char* prefix) {
    for (std::size_t i = 0; prefix[i] != 0; ++i) {
        if (pos + i >= s.size()) return false;
        if (std::tolower(static_cast<unsigned char>(s[pos + i])) != prefix[i]) return false;
    }
    return true;
}

} // namespace

TDateTime EncodeDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) BadDate();
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) BadDate();
    return static_cast<double>(std::chrono::sys_days{ymd}.time_since_epoch().count() +
                               kUnixEpochSerial);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        throw EConvertError("Invalid argument to time encode");
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / kMsPerDay;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    std::int64_t whole = 0, ms = 0;
    SplitSerial(value, whole, ms);
    const std::chrono::sys_days days{std::chrono::days{whole - kUnixEpochSerial}};
    const std::chrono::year_month_day ymd{days};
    year = static_cast<int>(ymd.year());
    month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    day = static_cast<int>(static_cast<unsigned>(ymd.day()));
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
    std::int64_t whole = 0, ms = 0;
    SplitSerial(value, whole, ms);
    msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    second = static_cast<int>(ms % 60);
    ms /= 60;
    minute = static_cast<int>(ms % 60);
    hour = static_cast<int>(ms / 60);
}

int DayOfWeek(TDateTime value) {
    std::int64_t whole = 0, ms = 0;
    SplitSerial(value, whole, ms);
    // Day 0 (30 December 1899) was a Saturday.
    const std::int64_t w = ((whole + 6) % 7 + 7) % 7; // 0 = Sunday
    return static_cast<int>(w) + 1;
}

TDateTime Now() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const auto sinceSecond = std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count() %
                             1000;
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                      static_cast<int>(sinceSecond));
}

std::string FormatDateTime(const std::string& format, TDateTime value) {
    int year, month, day, hour, minute, second, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
    const int weekday = DayOfWeek(value) - 1;
    bool hasAmPm = false;
    for (std::size_t k = 0; k < format.size() && !hasAmPm; ++k)
        hasAmPm = StartsWithNoCase(format, k, "am/pm");
    std::string out;
    bool afterHour = false; // an "m" right after an hour code means minutes
    std::size_t i = 0;
    auto runOf = [&](char c) {
        std::size_t n = 0;
        while (i + n < format.size() &&
               std::tolower(static_cast<unsigned char>(format[i + n])) == c)
            ++n;
        return n;
    };
    while (i < format.size()) {
        const char c = format[i];
        const char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (c == '\'' || c == '"') {
            const std::size_t end = format.find(c, i + 1);
            const std::size_t stop = end == std::string::npos ? format.size() : end;
            out.append(format, i + 1, stop - i - 1);
            i = stop == format.size() ? stop : stop + 1;
            continue;
        }
        if (StartsWithNoCase(format, i, "am/pm")) {
            out += hour < 12 ? "am" : "pm";
            i += 5;
            continue;
        }
        const std::size_t n = runOf(lc);
        switch (lc) {
        case 'd':
            if (n == 1)
                out += std::to_string(day);
            else if (n == 2)
                out += Padded(day, 2);
            else if (n == 3)
                out += kShortDays[weekday];
            else
                out += kLongDays[weekday];
            afterHour = false;
            break;
        case 'm':
            if (afterHour && n <= 2) {
                out += n == 1 ? std::to_string(minute) : Padded(minute, 2);
            } else if (n == 1) {
                out += std::to_string(month);
            } else if (n == 2) {
                out += Padded(month, 2);
            } else if (n == 3) {
                out += kShortMonths[month - 1];
            } else {
                out += kLongMonths[month - 1];
            }
            afterHour = false;
            break;
        case 'y':
            out += n <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
            afterHour = false;
            break;
        case 'h': {
            int h = hour;
            if (hasAmPm) h = h % 12 == 0 ? 12 : h % 12;
            out += n == 1 ? std::to_string(h) : Padded(h, 2);
            afterHour = true;
            break;
        }
        case 'n':
            out += n == 1 ? std::to_string(minute) : Padded(minute, 2);
            afterHour = false;
            break;
        case 's':
            out += n == 1 ? std::to_string(second) : Padded(second, 2);
            afterHour = false;
            break;
        case 'z':
            out += n < 3 ? std::to_string(msec) : Padded(msec, 3);
            afterHour = false;
            break;
        default:
            out.append(n == 0 ? 1 : n, c);
            i += n == 0 ? 1 : n;
            continue;
        }
        i += n;
    }
    return out;
}
