#pragma once

#include "TickPlan.h"

#include <QObject>
#include <QString>

#include <array>
#include <cstdint>

class TPlotGraph;

// The tick template of a logarithmic axis. A tick walk works on a copy, so
// that drawing never disturbs the axis' own table.
struct TLogTickState {
    std::array<double, 11> Table{}; // decade entries 0..n+1
    int N = 2;                      // normalised LogCycleDivisions
    int Index = 0;
    bool NarrowLog = false; // log axis spanning less than a factor of 4: ticked linearly
    bool LabelAll = true;
};

// One axis of a TPlotGraph: its published settings, the fit of its range to
// the data (linear, logarithmic, date-time), the tick step and the tick walk.
class TAxis : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
    Q_PROPERTY(int LabelDecimals READ LabelDecimals WRITE SetLabelDecimals)
    Q_PROPERTY(bool AutoLabelDecimals READ AutoLabelDecimals WRITE SetAutoLabelDecimals)
    Q_PROPERTY(int LogCycleDivisions READ LogCycleDivisions WRITE SetLogCycleDivisions)
    Q_PROPERTY(bool LogScale READ LogScale WRITE SetLogScale)
    Q_PROPERTY(double Max READ Max WRITE SetMax)
    Q_PROPERTY(double Min READ Min WRITE SetMin)
    Q_PROPERTY(double StepSize READ StepSize WRITE SetStepSize)
    Q_PROPERTY(double MinScaleLength READ MinScaleLength WRITE SetMinScaleLength)
    Q_PROPERTY(bool ShowAsTime READ ShowAsTime WRITE SetShowAsTime)
    Q_PROPERTY(QString DateTimeFormat READ DateTimeFormat WRITE SetDateTimeFormat)
    Q_PROPERTY(Dateticks DateTickType READ DateTickType WRITE SetDateTickType)
    Q_PROPERTY(bool ShowAxis READ ShowAxis WRITE SetShowAxis)
    Q_PROPERTY(bool Reversed READ Reversed WRITE SetReversed)
    Q_PROPERTY(TAxisOffsetType OffsetType READ OffsetType WRITE SetOffsetType)
    Q_PROPERTY(double Offset READ Offset WRITE SetOffset)
    Q_PROPERTY(bool Gridlines READ Gridlines WRITE SetGridlines)
    Q_PROPERTY(bool AutoSizing READ AutoSizing WRITE SetAutoSizing)
    Q_PROPERTY(bool AutoStepping READ AutoStepping WRITE SetAutoStepping)

public:
    enum Dateticks : int {
        dt_minute,
        dt_5minute,
        dt_halfhourly,
        dt_hourly,
        dt_daily,
        dt_weekly,
        dt_monthly,
        dt_2monthly,
        dt_quarterly,
        dt_annually,
        dt_decade,
        dt_century,
        dt_custom
    };
    Q_ENUM(Dateticks)
    enum TAxisOffsetType : int { ao_Minimum, ao_Maximum, ao_percentage, ao_absolute };
    Q_ENUM(TAxisOffsetType)
    enum class Kind { X, Y, Y2 };

    // graph may be null: the axis then works with MinSteps 5, MaxSteps 50, no
    // data and no repaints.
    TAxis(TPlotGraph* graph, Kind kind);

    // Back to the defaults of this kind of axis, without repainting.
    void ResetToDefaults();

    QString Title() const { return title_; }
    void SetTitle(const QString& v);
    int LabelDecimals() const { return labelDecimals_; }
    void SetLabelDecimals(int v);
    bool AutoLabelDecimals() const { return autoLabelDecimals_; }
    void SetAutoLabelDecimals(bool v) { autoLabelDecimals_ = v; }
    int LogCycleDivisions() const { return logState_.N; }
    void SetLogCycleDivisions(int v);
    bool LogScale() const { return logScale_; }
    void SetLogScale(bool v);
    double Max() const { return max_; }
    void SetMax(double v);
    double Min() const { return min_; }
    void SetMin(double v);
    double StepSize() const { return stepSize_; }
    void SetStepSize(double v);
    double MinScaleLength() const { return minScaleLength_; }
    void SetMinScaleLength(double v);
    bool ShowAsTime() const { return showAsTime_; }
    void SetShowAsTime(bool v);
    QString DateTimeFormat() const { return dateTimeFormat_; }
    void SetDateTimeFormat(const QString& v);
    Dateticks DateTickType() const { return dateTickType_; }
    void SetDateTickType(Dateticks v);
    bool ShowAxis() const { return showAxis_; }
    void SetShowAxis(bool v);
    bool Reversed() const { return reversed_; }
    void SetReversed(bool v);
    TAxisOffsetType OffsetType() const { return offsetType_; }
    void SetOffsetType(TAxisOffsetType v);
    double Offset() const { return offset_; }
    void SetOffset(double v);
    bool Gridlines() const { return gridlines_; }
    void SetGridlines(bool v);
    bool AutoSizing() const { return autoSizing_; }
    void SetAutoSizing(bool v);
    bool AutoStepping() const { return autoStepping_; }
    void SetAutoStepping(bool v);

    Kind AxisKind() const { return kind_; }
    bool IsSecondAxis() const { return kind_ == Kind::Y2; }
    bool RangeValid() const { return rangeValid_; }
    double PixelScale() const { return pixelScale_; }
    const TLogTickState& LogTickState() const { return logState_; }

    // The data range, written by the graph before automatic sizing.
    double DataMin() const { return oMin_; }
    double DataMax() const { return oMax_; }
    void SetDataRange(double oMin, double oMax) {
        oMin_ = oMin;
        oMax_ = oMax;
    }

    // Fits Min/Max (and the step) to the data range; true when the fitted
    // range differs from the data range.
    bool AutoScale();
    // Min < Max, Min > 0 on a log axis, Min >= 1 on a time axis.
    bool CheckRange();
    // The 1-2-5 step giving at least minSteps intervals over [low, high].
    static double GetStep(int minSteps, double low, double high);
    // Linear fit of Min, Max and StepSize to the data range.
    void SetMinMax();
    void AutoLogDivisions();
    void UpdateLabelAll();
    // The step itself, written without the setter so AutoStepping stays on.
    void AssignAutoStep();

    // The tick walk with StepSize: FirstTick once, then NextTick until the
    // tick passes Max + 0.001 * (Max - Min). Both may update LabelDecimals.
    double FirstTick(TLogTickState& state);
    double NextTick(TLogTickState& state, bool& labelled, double current);

    // Plans the ticks of a valid axis for the surface about to be drawn
    // (after CalcMetrics): the step of the walk (StepSize, or a coarser one
    // when it would give more than MaxSteps intervals; coarser date ticks on
    // a time axis, refitting the range), every tick, which carry labels and
    // their texts. Painting only reads the plan.
    void PlanTicks(const TLabelMetrics& metrics, int availablePixels);
    const TTickPlan& TickPlan() const { return tickPlan_; }
    void ClearTickPlan() { tickPlan_ = TTickPlan{}; }

    // What a full draw does to an axis before planning: fit the range to the
    // data when AutoSizing, check it, and take the automatic step or decade
    // table when AutoStepping. True when the fit changed the range.
    bool Fit();
    // Whether Fit with this data range would leave the scale exactly as it
    // is; the axis itself is left as it was.
    bool FitKeepsScale(double dataMin, double dataMax);

    static double DateTickLength(Dateticks type, int minSteps, double low, double high);
    void DateAutoScale();
    double FirstDateTick() const;
    double NextDateTick(Dateticks type, double step, double t) const;

    // Pixels per unit (per unit of ln on a log axis) over availablePixels.
    void CalcMetrics(int availablePixels);

    // Planning a time axis: coarser date ticks until at most maxSteps fit,
    // refitting the range to each kind (no repaint).
    void FitDateTicks(int maxSteps, int availablePixels);
    void AutoDecimals();
    static int StepDecimals(double v);

private:
    int MinSteps() const;
    int MaxSteps() const;
    bool GraphHasData() const;
    double FirstTickAt(TLogTickState& state, double step);
    void AutoDecimals(double step);
    double NextTickAt(TLogTickState& state, bool& labelled, double current, double step);
    void FitLinear(double lo, double hi);
    // The fit of equal minimum and maximum v; also the fit of a range too
    // narrow to be ticked on its own.
    void FitOneValue(double v);
    // A log axis spanning less than a factor of 4 is ticked linearly.
    void UpdateNarrowLog();
    void Repaint();
    void Rescale();
    void BuildDecadeTable(int given);
    void LogAutoScale();
    void LogDecimals(double v);
    bool NoDataRule();

    TPlotGraph* graph_;
    Kind kind_;

    QString title_;
    int labelDecimals_ = 1;
    bool autoLabelDecimals_ = true;
    bool logScale_ = false;
    double max_ = 1.0;
    double min_ = 0.0;
    double stepSize_ = 0.2;
    double minScaleLength_ = 0.0;
    bool showAsTime_ = false;
    QString dateTimeFormat_;
    Dateticks dateTickType_ = dt_minute;
    bool showAxis_ = true;
    bool reversed_ = false;
    TAxisOffsetType offsetType_ = ao_Minimum;
    double offset_ = 0.0;
    bool gridlines_ = true;
    bool autoSizing_ = false;
    bool autoStepping_ = false;

    bool rangeValid_ = false;
    double oMin_ = 0.0;
    double oMax_ = 0.0;
    double pixelScale_ = 0.0;
    TLogTickState logState_;
    TTickPlan tickPlan_;
};
