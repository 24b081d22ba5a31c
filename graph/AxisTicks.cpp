// The tick side of TAxis: label decimals, the walk from one tick to the next,
// and the tick plan that painting reads.
#include "Axis.h"

#include "AxisTransform.h"
#include "GraphMath.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

using graphmath::Log10;
using graphmath::Pow10;
using graphmath::Trunc;

namespace {

// A walk that stops making progress (a step lost in the magnitude of the
// value) must not hang the drawing.
constexpr int kMaxTicks = 10000;

// A tick of the walk before labels are chosen.
struct TWalkedTick {
    double Value;
    bool MayLabel;
    int Decimals;
};

} // namespace

int TAxis::StepDecimals(double v) {
    // (A span beyond the largest double over 1.01 is taken as the largest.)
    const double l = Log10(std::min(v * 1.01, std::numeric_limits<double>::max()));
    return l >= 0 ? -Trunc(l) : 1 - Trunc(l);
}

void TAxis::AutoDecimals() {
    AutoDecimals(stepSize_);
}

void TAxis::AutoDecimals(double step) {
    if (!autoLabelDecimals_) return;
    labelDecimals_ = std::max(0, StepDecimals(step * 1.01));
}

void TAxis::LogDecimals(double v) {
    labelDecimals_ = std::max(0, StepDecimals(v * 1.01) + (logState_.N >= 5 ? 1 : 0));
}

double TAxis::FirstTick(TLogTickState& state) {
    return FirstTickAt(state, stepSize_);
}

double TAxis::NextTick(TLogTickState& state, bool& labelled, double current) {
    return NextTickAt(state, labelled, current, stepSize_);
}

double TAxis::FirstTickAt(TLogTickState& state, double s) {
    if (!logScale_ || state.NarrowLog) {
        if (showAsTime_) return FirstDateTick();
        // A range set that narrow by hand has no step multiples of its own.
        if (!graphmath::TicksFit(std::max(std::fabs(min_), std::fabs(max_)), s)) {
            if (s > 0) AutoDecimals(s);
            return min_;
        }
        double t = Trunc((min_ + 0.01 * s) / s) * s;
        if (min_ < 0) t -= s;
        if (min_ > t + 0.01 * s) t += s;
        AutoDecimals(s);
        return t;
    }
    double l = Log10(min_);
    if (l < 0) l -= 1;
    double p = Pow10(Trunc(l * 1.001));
    if (p > min_) p *= 0.1;
    for (int i = 0; i <= state.N + 1; ++i)
        state.Table[i] *= p;
    state.Index = 0;
    // The first entry at or above Min; the entry after the last division is
    // the first of the next decade, from which the walk goes on.
    for (int guard = 0; state.Table[state.Index] < 0.999 * min_ && guard < 64; ++guard)
        ++state.Index;
    if (state.Index >= state.N + 1) {
        for (int i = 0; i <= state.N + 1; ++i)
            state.Table[i] *= 10;
        state.Index = 0;
    }
    LogDecimals(state.Table[state.Index]);
    return state.Table[state.Index];
}

double TAxis::NextTickAt(TLogTickState& state, bool& labelled, double current, double s) {
    if (!logScale_ || state.NarrowLog) {
        labelled = true;
        return showAsTime_ ? NextDateTick(dateTickType_, s, current) : current + s;
    }
    ++state.Index;
    if (state.Index >= state.N + 1) {
        for (int i = 0; i <= state.N + 1; ++i)
            state.Table[i] *= 10;
        state.Index = 0;
    }
    if (state.Index == 0) LogDecimals(state.Table[0]);
    labelled = state.LabelAll || state.Index == 0;
    return state.Table[state.Index];
}

void TAxis::PlanTicks(const TLabelMetrics& metrics, int availablePixels) {
    TTickPlan plan;
    if (showAsTime_) FitDateTicks(MaxSteps(), availablePixels);
    const double span = max_ - min_;
    // A linear walk with a step that would give too many intervals (or none)
    // takes a coarser one; StepSize itself stays as it is.
    double step = stepSize_;
    const bool linear = !logScale_ || logState_.NarrowLog;
    if (linear && !showAsTime_ && (!(step > 0) || span / step > MaxSteps()))
        step = GetStep(MinSteps(), min_, max_);

    const double limit = max_ + 0.001 * span;
    std::vector<TWalkedTick> walked;
    TLogTickState state = logState_;
    bool labelled = true;
    // A range too narrow for ticks (set by hand: a fitted one never is)
    // shows its ends alone, below.
    const bool walk = !linear || showAsTime_ ||
                      graphmath::TicksFit(std::max(std::fabs(min_), std::fabs(max_)), step);
    double t = walk ? FirstTickAt(state, step) : limit;
    for (int n = 0; t < limit && n < kMaxTicks; ++n) {
        walked.push_back({t, labelled || n == 0 || limit - t < step, labelDecimals_});
        const double next = NextTickAt(state, labelled, t, step);
        if (!(next > t)) break;
        t = next;
    }
    // An axis narrower than its step still shows its two ends, with the
    // digits that tell them apart.
    if (walked.size() < 2) {
        const int decimals = std::max(labelDecimals_, StepDecimals(span));
        walked = {{min_, true, decimals}, {max_, true, decimals}};
    }

    // The exponent form shows two significant digits, and more only where
    // two neighbouring labels would otherwise read the same (1.0E+4, 1.0E+4).
    int exponentDecimals = 0;
    for (const TWalkedTick& w : walked)
        if (w.MayLabel && NeedsExponentForm(*this, w.Value)) exponentDecimals = 1;
    std::vector<QString> labels(walked.size());
    const auto labelAll = [&] { // true when two neighbours read the same
        bool same = false;
        const QString* previous = nullptr;
        for (std::size_t i = 0; i < walked.size(); ++i) {
            if (!walked[i].MayLabel) continue;
            labels[i] = TickLabelText(*this, walked[i].Value, walked[i].Decimals, exponentDecimals);
            same = same || (previous && *previous == labels[i]);
            previous = &labels[i];
        }
        return same;
    };
    while (labelAll() && exponentDecimals > 0 && exponentDecimals < 15)
        ++exponentDecimals;

    const bool isX = kind_ == Kind::X;
    const TAxisTransform map = TAxisTransform::Of(*this, 0);
    std::vector<std::size_t> candidates;
    std::vector<std::pair<int, int>> extents;
    plan.Ticks.reserve(walked.size());
    for (std::size_t i = 0; i < walked.size(); ++i) {
        const TWalkedTick& w = walked[i];
        TTick tick;
        tick.Value = w.Value;
        // A first tick on the axis line itself gets no grid line.
        tick.Grid = !(i == 0 && w.Value < min_ + 0.01 * step);
        if (w.MayLabel) {
            tick.Label = std::move(labels[i]);
            tick.Width = metrics.Width(tick.Label);
            const int p = map(w.Value);
            const int size = isX ? tick.Width : metrics.Height;
            extents.push_back({p - size / 2, p - size / 2 + size});
            candidates.push_back(i);
        }
        plan.Ticks.push_back(std::move(tick));
    }
    plan.MinGap = metrics.CharWidth;
    plan.LabelEvery = LabelSpacing(extents, plan.MinGap);
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        TTick& tick = plan.Ticks[candidates[c]];
        if (c % plan.LabelEvery != 0) continue; // keeps its text, unshown
        tick.Labelled = true;
        plan.WidestLabel = std::max(plan.WidestLabel, tick.Width);
        plan.LabelHeight = metrics.Height;
    }
    tickPlan_ = std::move(plan);
}
