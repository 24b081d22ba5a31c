#include "Axis.h"

#include "Appearance.h"
#include "DateSerial.h"
#include "GraphMath.h"
#include "PlotGraph.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

using graphmath::Log10;
using graphmath::Pow10;
using graphmath::Trunc;

TAxis::TAxis(TPlotGraph* graph, Kind kind) : QObject(graph), graph_(graph), kind_(kind) {
    ResetToDefaults();
}

void TAxis::ResetToDefaults() {
    const bool second = kind_ == Kind::Y2;
    title_ = kind_ == Kind::X   ? QStringLiteral("X axis")
             : kind_ == Kind::Y ? QStringLiteral("Y axis")
                                : QStringLiteral("Second Y axis");
    labelDecimals_ = 1;
    autoLabelDecimals_ = !second;
    logScale_ = false;
    max_ = 1.0;
    min_ = 0.0;
    stepSize_ = 0.2;
    minScaleLength_ = 0.0;
    showAsTime_ = false;
    dateTimeFormat_ = QStringLiteral("dd-mmm");
    dateTickType_ = dt_minute;
    showAxis_ = !second;
    reversed_ = second;
    offsetType_ = second ? ao_Maximum : ao_Minimum;
    offset_ = 0.0;
    gridlines_ = !second;
    autoSizing_ = false;
    autoStepping_ = false;
    rangeValid_ = false;
    oMin_ = oMax_ = 0.0;
    logState_ = TLogTickState{};
    BuildDecadeTable(2);
    tickPlan_ = TTickPlan{};
}

int TAxis::MinSteps() const {
    return graph_ ? graph_->Appearance().MinSteps() : 5;
}
int TAxis::MaxSteps() const {
    return graph_ ? graph_->Appearance().MaxSteps() : 50;
}
bool TAxis::GraphHasData() const {
    return graph_ && graph_->HasData(this);
}
void TAxis::Repaint() {
    if (graph_) graph_->RepaintIfPlotting();
}
void TAxis::Rescale() {
    if (graph_) graph_->RaiseRescale();
}

// --- setters -------------------------------------------------------------

void TAxis::SetTitle(const QString& v) {
    title_ = v;
    Repaint();
}
void TAxis::SetLabelDecimals(int v) {
    labelDecimals_ = v;
    Repaint();
}
void TAxis::SetLogCycleDivisions(int v) {
    BuildDecadeTable(static_cast<std::uint16_t>(v));
    Repaint();
}
void TAxis::SetLogScale(bool v) {
    logScale_ = v;
    UpdateNarrowLog();
    Repaint();
}

void TAxis::SetMax(double v) {
    autoSizing_ = false;
    if (v == max_) return;
    max_ = v;
    UpdateNarrowLog();
    if (showAsTime_ && !GraphHasData()) oMax_ = max_;
    Rescale();
    Repaint();
}

void TAxis::SetMin(double v) {
    autoSizing_ = false;
    if (v == min_) return;
    min_ = v;
    UpdateNarrowLog();
    if (showAsTime_ && !GraphHasData()) oMin_ = min_;
    Rescale();
    Repaint();
}

void TAxis::UpdateNarrowLog() {
    logState_.NarrowLog = logScale_ && min_ > 0 && max_ > min_ && max_ / min_ < 4;
}

void TAxis::SetStepSize(double v) {
    autoStepping_ = false;
    if (v == stepSize_) return;
    stepSize_ = v;
    Rescale();
    Repaint();
}

void TAxis::SetMinScaleLength(double v) {
    const double span = max_ - min_;
    const bool wasSpan = minScaleLength_ == span;
    minScaleLength_ = v;
    if (v > span || wasSpan) Repaint();
}

void TAxis::SetShowAsTime(bool v) {
    if (v == showAsTime_) return;
    showAsTime_ = v;
    if (v && !GraphHasData()) {
        oMin_ = min_;
        oMax_ = max_;
    }
    Repaint();
}

namespace {
template <typename T> bool Assign(T& field, const T& v) {
    if (field == v) return false;
    field = v;
    return true;
}
} // namespace

void TAxis::SetDateTimeFormat(const QString& v) {
    if (Assign(dateTimeFormat_, v)) Repaint();
}
void TAxis::SetDateTickType(Dateticks v) {
    if (Assign(dateTickType_, v)) Repaint();
}
void TAxis::SetShowAxis(bool v) {
    if (Assign(showAxis_, v)) Repaint();
}
void TAxis::SetReversed(bool v) {
    if (Assign(reversed_, v)) Repaint();
}
void TAxis::SetOffsetType(TAxisOffsetType v) {
    if (Assign(offsetType_, v)) Repaint();
}
void TAxis::SetOffset(double v) {
    if (Assign(offset_, v)) Repaint();
}
void TAxis::SetGridlines(bool v) {
    gridlines_ = v;
    Repaint();
}
void TAxis::SetAutoSizing(bool v) {
    autoSizing_ = v;
    Repaint();
}
void TAxis::SetAutoStepping(bool v) {
    autoStepping_ = v;
    Repaint();
}

// --- scaling -------------------------------------------------------------

bool TAxis::AutoScale() {
    if (oMax_ - oMin_ < minScaleLength_) oMax_ = oMin_ + minScaleLength_;
    if (!GraphHasData()) {
        const bool result = NoDataRule();
        if (logScale_) UpdateLabelAll();
        return result;
    }
    if (!autoSizing_) return false;
    if (logScale_) {
        if (oMin_ <= 0) return false;
        LogAutoScale();
        if (autoStepping_ && oMin_ < oMax_ && !logState_.NarrowLog) {
            AutoLogDivisions();
            LogAutoScale();
        }
    } else if (showAsTime_ && dateTickType_ != dt_custom) {
        DateAutoScale();
    } else {
        SetMinMax();
        if (autoStepping_ && oMin_ < oMax_) {
            stepSize_ = GetStep(MinSteps(), min_, max_);
            SetMinMax();
        }
    }
    return min_ != oMin_ || max_ != oMax_;
}

bool TAxis::NoDataRule() {
    bool result = false;
    if (logScale_) {
        if (min_ > max_) {
            std::swap(min_, max_);
            result = true;
        }
        if (max_ > 0 && min_ <= 0) min_ = 0.1 * max_;
        if (max_ <= 0) {
            min_ = 1;
            max_ = 10;
        }
        UpdateNarrowLog();
        return result;
    }
    if (showAsTime_) {
        max_ = Now();
        min_ = max_ - 5 * DateTickLength(dateTickType_, MinSteps(), min_, max_);
        return true;
    }
    if (min_ != max_) {
        if (min_ > max_) {
            std::swap(min_, max_);
            result = true;
        }
    } else {
        // A negative single value widens up to 0, not down from it: [0, v]
        // would be an empty range and fail the step computation.
        if (min_ > 0)
            min_ = 0;
        else if (min_ < 0)
            max_ = 0;
        else {
            min_ = -1;
            max_ = 1;
        }
        result = true;
    }
    stepSize_ = GetStep(MinSteps(), min_, max_);
    return result;
}

double TAxis::GetStep(int minSteps, double low, double high) {
    const double r = high - low;
    if (r <= 0) throw Exception("GetStep entered with bad range");
    double l = Log10(r);
    if (l < 0) l -= 1;
    const double h = Pow10(Trunc(l * 1.001));
    static constexpr double kFactors[] = {1, 2, 5, 10, 20, 50};
    static constexpr double kSteps[] = {1, 0.5, 0.2, 0.1, 0.05, 0.02};
    for (int i = 0; i < 6; ++i)
        if (kFactors[i] * r / h >= minSteps) return h * kSteps[i];
    return h * 0.01;
}

void TAxis::AssignAutoStep() {
    stepSize_ = GetStep(MinSteps(), min_, max_);
}

void TAxis::SetMinMax() {
    FitLinear(oMin_, oMax_);
}

void TAxis::FitLinear(double lo, double hi) {
    if (lo > hi) throw Exception("Impossible: oMin > oMax in SetMinMax!");
    if (lo == hi) {
        FitOneValue(lo);
        return;
    }
    min_ = lo;
    max_ = hi;
    if (autoStepping_ || stepSize_ <= 0 || 1.0 / MaxSteps() > stepSize_ / (max_ - min_))
        stepSize_ = GetStep(MinSteps(), min_, max_);
    const double s = stepSize_;
    if (!graphmath::TicksFit(std::max(std::fabs(lo), std::fabs(hi)), s)) {
        // Values that differ only in their last digits (a density that barely
        // moves) have no ticks of their own: the axis is laid out as for one
        // value, the one farthest from 0, which keeps the other inside too.
        // Only a range of a few denormals can straddle 0: the plot's 0.
        FitOneValue(lo > 0 ? hi : hi < 0 ? lo : 0);
        return;
    }
    min_ = Trunc(min_ / s) * s;
    if (lo < 0) min_ -= s;
    if (lo - 0.01 * s < min_) min_ -= s;
    max_ = Trunc(max_ / s) * s + s;
    if (hi < 0) max_ -= s;
    if (hi + 0.01 * s > max_) max_ += s;
    // A margin past the largest double stops at it.
    min_ = std::max(min_, -std::numeric_limits<double>::max());
    max_ = std::min(max_, std::numeric_limits<double>::max());
    if (lo > 0 && lo / (max_ - min_) < 0.25)
        min_ = 0;
    else if (hi < 0 && -hi / (max_ - min_) < 0.25)
        max_ = 0;
    if (min_ >= max_) throw Exception("SetMinMax failed");
}

void TAxis::FitOneValue(double v) {
    if (v != 0) {
        // From 0 to 1.2 v; beyond the largest double, to the largest double.
        double bound = 1.2 * v;
        if (!std::isfinite(bound)) bound = std::copysign(std::numeric_limits<double>::max(), v);
        const double lo = v < 0 ? bound : 0;
        const double hi = v < 0 ? 0 : bound;
        const double step = GetStep(MinSteps(), lo, hi);
        if (graphmath::TicksFit(std::fabs(bound), step)) {
            min_ = lo;
            max_ = Trunc(hi / step) * step;
            stepSize_ = step;
            // Cut back below v only where 1.2 v was no double.
            if (max_ < v) max_ = hi;
            return;
        }
        // A value too small for a step of its own (its power of ten
        // underflows) is 0 to the plot.
    }
    min_ = -1;
    max_ = 1;
    stepSize_ = GetStep(MinSteps(), -1, 1);
}

void TAxis::BuildDecadeTable(int given) {
    static const std::array<double, 11> k0 = {1, 10};
    static const std::array<double, 11> k1 = {1, 5, 10};
    static const std::array<double, 11> k2 = {1, 2, 5, 10};
    static const std::array<double, 11> k5 = {1, 1.5, 2, 3, 5, 7, 10};
    static const std::array<double, 11> k7 = {1, 1.5, 2, 3, 4, 5, 6, 8, 10};
    static const std::array<double, 11> k9 = {1, 1.2, 1.5, 2, 2.5, 3, 4, 5, 6, 8, 10};
    auto& s = logState_;
    if (given <= 0)
        s.N = 0, s.Table = k0;
    else if (given == 1)
        s.N = 1, s.Table = k1;
    else if (given <= 3)
        s.N = 2, s.Table = k2;
    else if (given <= 6)
        s.N = 5, s.Table = k5;
    else if (given <= 8)
        s.N = 7, s.Table = k7;
    else
        s.N = 9, s.Table = k9;
    s.LabelAll = true;
}

void TAxis::AutoLogDivisions() {
    const double x = MinSteps() / Log10(max_ / min_);
    int n = 0;
    if (x > 10)
        n = 9;
    else if (x > 8)
        n = 7;
    else if (x > 6)
        n = 5;
    else if (x > 3)
        n = 2;
    else if (x > 2)
        n = 1;
    BuildDecadeTable(n);
}

void TAxis::UpdateLabelAll() {
    logState_.LabelAll = logState_.NarrowLog ? true : Log10(max_ / min_) * logState_.N < 10;
}

void TAxis::LogAutoScale() {
    min_ = oMin_ == oMax_ ? 0.5 * oMax_ : oMin_;
    // Half the smallest denormal is 0, which has no logarithm: the value
    // itself then (and the linear fit below, as for any narrow log range).
    if (min_ <= 0) min_ = oMin_;
    max_ = oMax_;
    double l = Log10(min_);
    int a = Trunc(l);
    if (l < 0 && l != a) --a;
    const double lowerMantissa = Pow10(l - a);
    const double lowerPower = Pow10(a);
    l = Log10(max_);
    int b = Trunc(l);
    if ((l < 0 && l != b) || l == 0) --b;
    const double upperMantissa = Pow10(l - b);
    const double upperPower = Pow10(b);
    if (autoStepping_) AutoLogDivisions();
    const double q = max_ / min_;
    auto& s = logState_;
    if (q < 4) {
        s.NarrowLog = true;
        // Fitted linearly to the log fit's own range, which for constant data
        // lies around the value; a log axis keeps a positive Min.
        const double lo = min_;
        FitLinear(lo, max_);
        if (min_ <= 0) {
            const double below = std::floor(lo / stepSize_) * stepSize_;
            min_ = below > 0 ? below : lo;
        }
    } else {
        s.NarrowLog = false;
        if (q >= 30) {
            min_ = lowerPower;
            max_ = upperPower * 10;
        } else {
            double lo = s.Table[0];
            for (int i = 0; i <= s.N; ++i)
                if (s.Table[i] <= lowerMantissa) lo = s.Table[i];
            double hi = s.Table[s.N + 1];
            for (int i = s.N + 1; i >= 1; --i)
                if (s.Table[i] >= upperMantissa) hi = s.Table[i];
            min_ = lo * lowerPower;
            max_ = hi * upperPower;
        }
    }
    UpdateLabelAll();
}

bool TAxis::Fit() {
    const bool changed = autoSizing_ && AutoScale();
    if (CheckRange() && autoStepping_) {
        if (logScale_) {
            AutoLogDivisions();
            UpdateLabelAll();
        } else {
            AssignAutoStep();
        }
    }
    return changed;
}

bool TAxis::FitKeepsScale(double dataMin, double dataMax) {
    // Everything Fit may write, put back afterwards.
    const auto saved = std::tuple(min_, max_, stepSize_, oMin_, oMax_, logState_, rangeValid_,
                                  dateTickType_, labelDecimals_);
    SetDataRange(dataMin, dataMax);
    bool same = false;
    try {
        Fit();
        const TLogTickState& was = std::get<5>(saved);
        same = min_ == std::get<0>(saved) && max_ == std::get<1>(saved) &&
               stepSize_ == std::get<2>(saved) && rangeValid_ == std::get<6>(saved) &&
               logState_.N == was.N && logState_.NarrowLog == was.NarrowLog &&
               logState_.LabelAll == was.LabelAll && dateTickType_ == std::get<7>(saved);
    } catch (const Exception&) {
        same = false; // the full draw will meet the error itself
    }
    std::tie(min_, max_, stepSize_, oMin_, oMax_, logState_, rangeValid_, dateTickType_,
             labelDecimals_) = saved;
    return same;
}

bool TAxis::CheckRange() {
    rangeValid_ = min_ < max_ && (!logScale_ || min_ > 0) && (!showAsTime_ || min_ >= 1);
    return rangeValid_;
}

void TAxis::CalcMetrics(int availablePixels) {
    if (min_ >= max_) throw Exception(title_.toStdString() + "CalcMetrics: XMin>=XMax");
    const double span = logScale_ ? std::log(max_) - std::log(min_) : max_ - min_;
    pixelScale_ = availablePixels / span;
}
