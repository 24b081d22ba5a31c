// The date-time side of TAxis: tick lengths, fitting the range to whole tick
// units and stepping from one date tick to the next.
#include "Axis.h"

#include "DateSerial.h"

namespace {

struct TUnitBoundary {
    double Floor;    // the boundary on or before the value
    double Next;     // the boundary after Floor
    bool OnBoundary; // the value is itself a boundary
};

struct TFields {
    int Year, Month, Day, Hour, Minute, Second, Msec;
    double Date; // midnight of the value's day
    bool Midnight() const { return Hour == 0 && Minute == 0 && Second == 0 && Msec == 0; }
};

TFields Decode(double v) {
    TFields f{};
    DecodeDate(v, f.Year, f.Month, f.Day);
    DecodeTime(v, f.Hour, f.Minute, f.Second, f.Msec);
    f.Date = EncodeDate(f.Year, f.Month, f.Day);
    return f;
}

TUnitBoundary MinutesBoundary(const TFields& f, int unit) {
    const int ofDay = f.Hour * 60 + f.Minute;
    const int floor = ofDay - ofDay % unit;
    return {f.Date + floor / kMinutesPerDay, f.Date + (floor + unit) / kMinutesPerDay,
            ofDay % unit == 0 && f.Second == 0 && f.Msec == 0};
}

double FirstOfMonth(int year, int month) {
    while (month > 12) {
        month -= 12;
        ++year;
    }
    return EncodeDate(year, month, 1);
}

TUnitBoundary MonthsBoundary(const TFields& f, int unit) {
    const int month = f.Month - (f.Month - 1) % unit;
    return {EncodeDate(f.Year, month, 1), FirstOfMonth(f.Year, month + unit),
            month == f.Month && f.Day == 1 && f.Midnight()};
}

TUnitBoundary YearsBoundary(const TFields& f, int unit) {
    const int year = f.Year - f.Year % unit;
    return {EncodeDate(year, 1, 1), EncodeDate(year + unit, 1, 1),
            year == f.Year && f.Month == 1 && f.Day == 1 && f.Midnight()};
}

TUnitBoundary Boundary(TAxis::Dateticks type, double v) {
    const TFields f = Decode(v);
    switch (type) {
    case TAxis::dt_minute:
        return MinutesBoundary(f, 1);
    case TAxis::dt_5minute:
        return MinutesBoundary(f, 5);
    case TAxis::dt_halfhourly:
        return MinutesBoundary(f, 30);
    case TAxis::dt_hourly:
        return MinutesBoundary(f, 60);
    case TAxis::dt_daily:
        return {f.Date, f.Date + 1, f.Midnight()};
    case TAxis::dt_weekly: {
        // Weekly ticks fall on Sundays.
        const double sunday = f.Date - (DayOfWeek(f.Date) - 1);
        return {sunday, sunday + 7, sunday == f.Date && f.Midnight()};
    }
    case TAxis::dt_monthly:
        return MonthsBoundary(f, 1);
    case TAxis::dt_2monthly:
        return MonthsBoundary(f, 2);
    case TAxis::dt_quarterly:
        return MonthsBoundary(f, 3);
    case TAxis::dt_annually:
        return YearsBoundary(f, 1);
    case TAxis::dt_decade:
        return YearsBoundary(f, 10);
    case TAxis::dt_century:
        return YearsBoundary(f, 100);
    case TAxis::dt_custom:
        break;
    }
    return {v, v, true};
}

double CeilToBoundary(TAxis::Dateticks type, double v) {
    const TUnitBoundary b = Boundary(type, v);
    return b.OnBoundary ? b.Floor : b.Next;
}

} // namespace

double TAxis::DateTickLength(Dateticks type, int minSteps, double low, double high) {
    switch (type) {
    case dt_minute:
        return 1 / kMinutesPerDay;
    case dt_5minute:
        return 1 / 288.0;
    case dt_halfhourly:
        return 1 / 48.0;
    case dt_hourly:
        return 1 / kHoursPerDay;
    case dt_daily:
        return 1;
    case dt_weekly:
        return 7;
    case dt_monthly:
        return 30;
    case dt_2monthly:
        return 61;
    case dt_quarterly:
        return 91;
    case dt_annually:
        return 365;
    case dt_decade:
        return 3654;
    case dt_century:
        return 36540;
    case dt_custom:
        break;
    }
    return GetStep(minSteps, low, high);
}

void TAxis::DateAutoScale() {
    if (!(oMax_ - oMin_ > 0 && oMin_ >= 1) || dateTickType_ == dt_custom) return;
    min_ = Boundary(dateTickType_, oMin_).Floor;
    max_ = CeilToBoundary(dateTickType_, oMax_);
}

double TAxis::FirstDateTick() const {
    if (dateTickType_ == dt_custom) return min_;
    return CeilToBoundary(dateTickType_, min_);
}

double TAxis::NextDateTick(Dateticks type, double step, double t) const {
    switch (type) {
    case dt_minute:
    case dt_5minute:
    case dt_halfhourly:
    case dt_hourly:
    case dt_daily:
    case dt_weekly:
        return t + DateTickLength(type, 0, 0, 0);
    case dt_monthly:
    case dt_2monthly:
    case dt_quarterly: {
        const TFields f = Decode(t);
        const int months = type == dt_monthly ? 1 : type == dt_2monthly ? 2 : 3;
        return FirstOfMonth(f.Year, f.Month + months);
    }
    case dt_annually:
    case dt_decade:
    case dt_century: {
        const TFields f = Decode(t);
        const int years = type == dt_annually ? 1 : type == dt_decade ? 10 : 100;
        return EncodeDate(f.Year + years, 1, 1);
    }
    case dt_custom:
        break;
    }
    return t + step;
}

void TAxis::FitDateTicks(int maxSteps, int availablePixels) {
    while (dateTickType_ < dt_century &&
           (max_ - min_) / DateTickLength(dateTickType_, MinSteps(), min_, max_) > maxSteps) {
        dateTickType_ = static_cast<Dateticks>(dateTickType_ + 1);
        DateAutoScale();
        if (min_ < max_) CalcMetrics(availablePixels);
    }
}
