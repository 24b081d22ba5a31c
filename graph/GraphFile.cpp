#include "GraphFile.h"

#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "FloatText.h"
#include "GraphFileKey.h"
#include "GraphStream.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QBuffer>

#include <cmath>

namespace graphfile {

namespace {

constexpr const char* kHeader = "plgr03.01";

// MinSteps is checked against MaxSteps, which the stream gives after it: a
// stored pair must survive whatever the current MaxSteps is, so a refused
// MinSteps is held and set again after MaxSteps.
void ReadMinSteps(TAppearance& a, int v, int& held) {
    a.SetMinSteps(v);
    held = a.MinSteps() != v ? v : 0; // 0 itself is never accepted
}

void ReadMaxSteps(TAppearance& a, int v, int& held) {
    a.SetMaxSteps(v);
    if (held != 0) a.SetMinSteps(held);
    held = 0;
}

const TGraphFileKeys<TAppearance>& AppearanceKeys() {
    using A = TAppearance;
    static const TGraphFileKeys<A> keys = {
        Key<A>(1, &A::AllowDuplicates, &A::SetAllowDuplicates),
        Key<A>(2, &A::AxesColor, &A::SetAxesColor),
        Key<A>(3, &A::BackgroundColor, &A::SetBackgroundColor),
        Key<A>(4, &A::MarginColor, &A::SetMarginColor),
        Key<A>(5, &A::PrintBkgndColor, &A::SetPrintBkgndColor),
        ReadOnly(Key<A>(6, &A::ErrorCaption, &A::SetErrorCaption)),
        Key<A>(7, &A::GridColor, &A::SetGridColor),
        Key<A>(8, &A::GridStyle, &A::SetGridStyle),
        Key<A>(9, &A::ShowGraphLabels, &A::SetShowGraphLabels),
        Key<A>(10, &A::PlotOffGraph, &A::SetPlotOffGraph),
        Key<A>(11, &A::ShowMarks, &A::SetShowMarks),
        Key<A>(12, &A::ShowTicks, &A::SetShowTicks),
        Key<A>(13, &A::GraphTitle, &A::SetGraphTitle),
        Key<A>(14, &A::MinSteps, ReadMinSteps),
        Key<A>(15, &A::MaxSteps, ReadMaxSteps),
        Key<A>(16, &A::TitleFont, &A::SetTitleFont),
        Key<A>(17, &A::CaptionFont, &A::SetCaptionFont),
        Key<A>(18, &A::LabelFont, &A::SetLabelFont),
        Key<A>(19, &A::CrossAtZero, &A::SetCrossAtZero),
        Key<A>(20, &A::CrossColor, &A::SetCrossColor),
        Key<A>(21, &A::Crosslength, &A::SetCrosslength),
        Key<A>(22, &A::PrintLineStyle, &A::SetPrintLineStyle),
        Key<A>(23, &A::PreventFlicker, &A::SetPreventFlicker),
    };
    return keys;
}

const TGraphFileKeys<TDimensions>& DimensionsKeys() {
    using D = TDimensions;
    static const TGraphFileKeys<D> keys = {
        Key<D>(1, &D::BottomMargin, &D::SetBottomMargin),
        Key<D>(2, &D::LeftMargin, &D::SetLeftMargin),
        Key<D>(3, &D::RightMargin, &D::SetRightMargin),
        Key<D>(4, &D::TopMargin, &D::SetTopMargin),
        Key<D>(5, &D::TickLength, &D::SetTickLength),
        Key<D>(6, &D::XAxisTitleOffset, &D::SetXAxisTitleOffset),
        Key<D>(7, &D::XAxisLabelOffset, &D::SetXAxisLabelOffset),
        Key<D>(8, &D::YAxisTitleOffset, &D::SetYAxisTitleOffset),
        Key<D>(9, &D::YAxisLabelOffset, &D::SetYAxisLabelOffset),
        Key<D>(10, &D::GraphTitleOffset, &D::SetGraphTitleOffset),
        Key<D>(11, &D::PrintXOffsetPct, &D::SetPrintXOffsetPct),
        Key<D>(12, &D::PrintYOffsetPct, &D::SetPrintYOffsetPct),
        Key<D>(13, &D::PrintScalePct, &D::SetPrintScalePct),
    };
    return keys;
}

const TGraphFileKeys<TAxis>& AxisKeys() {
    using X = TAxis;
    static const TGraphFileKeys<X> keys = {
        Key<X>(1, &X::Title, &X::SetTitle),
        Key<X>(2, &X::LabelDecimals, &X::SetLabelDecimals),
        Key<X>(3, &X::AutoLabelDecimals, &X::SetAutoLabelDecimals),
        Key<X>(4, &X::LogCycleDivisions, &X::SetLogCycleDivisions),
        Key<X>(5, &X::LogScale, &X::SetLogScale),
        Key<X>(6, &X::Max, &X::SetMax),
        Key<X>(7, &X::Min, &X::SetMin),
        Key<X>(8, &X::StepSize, &X::SetStepSize),
        Key<X>(9, &X::MinScaleLength, &X::SetMinScaleLength),
        Key<X>(10, &X::ShowAsTime, &X::SetShowAsTime),
        Key<X>(11, &X::DateTimeFormat, &X::SetDateTimeFormat),
        Enum<X>(12, &X::DateTickType, &X::SetDateTickType, X::dt_custom),
        Key<X>(13, &X::ShowAxis, &X::SetShowAxis),
        Key<X>(14, &X::Reversed, &X::SetReversed),
        Enum<X>(15, &X::OffsetType, &X::SetOffsetType, X::ao_absolute),
        Key<X>(16, &X::Offset, &X::SetOffset),
        Key<X>(17, &X::Gridlines, &X::SetGridlines),
        Key<X>(18, &X::AutoSizing, &X::SetAutoSizing),
        Key<X>(19, &X::AutoStepping, &X::SetAutoStepping),
    };
    return keys;
}

const TGraphFileKeys<TLegend>& LegendKeys() {
    using L = TLegend;
    static const TGraphFileKeys<L> keys = {
        Key<L>(1, &L::visible, &L::setVisible),
        Key<L>(2, &L::color, &L::setColor),
        Key<L>(3, &L::borderStyle, &L::setBorderStyle),
        Enum<L>(4, &L::Layout, &L::SetLayout, L::lsDown),
        Key<L>(5, &L::top, &L::setTop),
        Key<L>(6, &L::left, &L::setLeft),
        Key<L>(7, &L::width, &L::setWidth),
        Key<L>(8, &L::height, &L::setHeight),
        Key<L>(9, &L::font, &L::setFont),
        Key<L>(10, &L::SymbolSpace, &L::SetSymbolSpace),
        Key<L>(11, &L::XMargin, &L::SetXMargin),
        Key<L>(12, &L::YMargin, &L::SetYMargin),
    };
    return keys;
}

const TGraphFileKeys<TSeries>& SeriesKeys() {
    using S = TSeries;
    static const TGraphFileKeys<S> keys = {
        Key<S>(1, &S::Visible, &S::SetVisible),
        Key<S>(2, &S::ShowLine, &S::SetShowLine),
        Key<S>(3, &S::ShowPoints, &S::SetShowPoints),
        Key<S>(4, &S::FillPoints, &S::SetFillPoints),
        Key<S>(5, &S::LineColor, &S::SetLineColor),
        Key<S>(6, &S::PointColor, &S::SetPointColor),
        Key<S>(7, &S::BoundsColor, &S::SetBoundsColor),
        Key<S>(8, &S::PointShape, &S::SetPointShape),
        Key<S>(9, &S::LineStyle, &S::SetLineStyle),
        Key<S>(10, &S::PointSize, &S::SetPointSize),
        Key<S>(11, &S::FirstAxis, &S::SetFirstAxis),
        Key<S>(12, &S::UpperBound, &S::SetUpperBound),
        Key<S>(13, &S::LowerBound, &S::SetLowerBound),
        Key<S>(14, &S::BoundsMode, &S::SetBoundsMode),
        Key<S>(15, &S::BoundLineMode, &S::SetBoundLineMode),
        Key<S>(16, &S::RegressionLineColor, &S::SetRegressionLineColor),
        Key<S>(17, &S::RegressionLineStyle, &S::SetRegressionLineStyle),
        Key<S>(18, &S::ShowInLegend, &S::SetShowInLegend),
        Key<S>(19, &S::BarWidth, &S::SetBarWidth),
        Key<S>(20, &S::BarOffset, &S::SetBarOffset),
    };
    return keys;
}

// The zero setter switches AutoZero off; a stored AutoZero stays on.
void ReadZeroValue(TSeries& s, double v) {
    if (s.AutoZero())
        s.RestoreZeroValue(v);
    else
        s.SetZeroValue(v);
}

// A data-source setting of a series, a plain member of its Source.
template <typename V> TGraphFileKey<TSeries> Source(int key, V TDataSourceSettings::*field) {
    return Key<TSeries>(
        key, [field](const TSeries& s) -> const V& { return s.Source.*field; },
        [field](TSeries& s, const V& v) { s.Source.*field = v; });
}

const TGraphFileKeys<TSeries>& DataKeys() {
    using S = TSeries;
    using F = TDataSourceSettings;
    static const TGraphFileKeys<S> keys = {
        Key<S>(1, &S::SeriesName, &S::SetSeriesName),
        Key<S>(2, &S::NumericalTolerance, &S::SetNumericalTolerance),
        Key<S>(3, &S::DuplicatesAllowed, &S::SetDuplicatesAllowed),
        Key<S>(4, &S::AutoZero, &S::SetAutoZero),
        Key<S>(5, &S::ZeroValue, ReadZeroValue),
        Key<S>(6, &S::RegressionType, &S::SetRegressionType),
        Key<S>(7, &S::RegressionControlValue1, &S::SetRegressionControlValue1),
        Key<S>(8, &S::RegressionFraction, &S::SetRegressionFraction),
        Source(9, &F::DataSource),
        Source(10, &F::DatasourceInfo),
        Source(12, &F::DivideTextByWidth),
        Source(13, &F::FileHasHeaders),
        Source(14, &F::TextSeparators),
        Source(15, &F::TextMarkers),
        Source(16, &F::XDataColumn),
        Source(17, &F::YDataColumn),
        Source(18, &F::RowSamplingFrequency),
        Source(19, &F::ColumnWidth),
        Source(20, &F::RowChoiceMode),
        Source(21, &F::RowChoiceValue1),
        Source(22, &F::RowChoiceValue2),
        Source(23, &F::XFormat),
        Source(24, &F::YFormat),
    };
    return keys;
}

const TGraphFileKeys<TMark>& MarkKeys() {
    using M = TMark;
    static const TGraphFileKeys<M> keys = {
        Field<M>(1, &M::ID),        Field<M>(2, &M::X1Value),
        Field<M>(3, &M::Y1Value),   Field<M>(4, &M::X2Value),
        Field<M>(5, &M::Y2Value),   Field<M>(6, &M::Color),
        Field<M>(7, &M::Caption),   Field<M>(8, &M::TypeOfMark),
        Field<M>(9, &M::WhenDrawn), Field<M>(10, &M::MarkPosition),
    };
    return keys;
}

double ReadPointValue(TGraphReader& r, bool asFloat) {
    if (asFloat) return r.ReadFloat();
    const double v = TextToFloat(r.ReadString().toStdString());
    if (!std::isfinite(v)) throw EGraphStreamError("conversion error");
    return v;
}

void ReadPoints(TGraphReader& r, TSeries& s) {
    int key = 0;
    char letter = 0;
    r.ReadTag(key, letter);
    if (key != 1) throw EGraphStreamError("Stream read Error");
    const int count = r.ReadAsInteger();
    r.ReadTag(key, letter);
    if (key != 2) throw EGraphStreamError("Stream Read Error");
    const int perPoint = r.ReadAsInteger();
    const bool asFloat = r.ReadString() == QStringLiteral("D");
    for (int i = 0; i < count; ++i) {
        const double x = ReadPointValue(r, asFloat);
        const double y = ReadPointValue(r, asFloat);
        for (int extra = 2; extra < perPoint; ++extra)
            r.ReadString();
        s.AddPoint(x, y);
    }
}

} // namespace

void WriteAppearance(TGraphWriter& w, const TAppearance& a) {
    w.WriteSectionStart(QStringLiteral("Appearance"));
    WriteKeys(w, a, AppearanceKeys());
    w.WriteSectionEnd();
}

void ReadAppearance(TGraphReader& r, TAppearance& a) {
    ReadKeys(r, a, AppearanceKeys());
}

void WriteDimensions(TGraphWriter& w, const TDimensions& d) {
    w.WriteSectionStart(QStringLiteral("Dimensions"));
    WriteKeys(w, d, DimensionsKeys());
    w.WriteSectionEnd();
}

void ReadDimensions(TGraphReader& r, TDimensions& d) {
    ReadKeys(r, d, DimensionsKeys());
}

void WriteAxis(TGraphWriter& w, const TAxis& a) {
    w.WriteSectionStart(QStringLiteral("Axis"));
    WriteKeys(w, a, AxisKeys());
    w.WriteSectionEnd();
}

void ReadAxis(TGraphReader& r, TAxis& a) {
    ReadKeys(r, a, AxisKeys());
}

void WriteLegend(TGraphWriter& w, const TLegend& l) {
    w.WriteSectionStart(QStringLiteral("Legend"));
    WriteKeys(w, l, LegendKeys());
    w.WriteSectionEnd();
}

void ReadLegend(TGraphReader& r, TLegend& l) {
    ReadKeys(r, l, LegendKeys());
}

void WriteSeries(TGraphWriter& w, const TSeries& s, bool withPoints) {
    w.WriteSectionStart(QStringLiteral("Series"));
    WriteKeys(w, s, SeriesKeys());
    w.WriteSectionEnd();

    WriteKeys(w, s, DataKeys()); // the data section has no header
    w.WriteSectionEnd();

    w.WriteEntry(1, withPoints ? s.Count() : 0);
    w.WriteEntry(2, 2);
    w.WriteString(QStringLiteral("D"));
    if (!withPoints) return;
    for (const TDataPoint& p : s.Points()) {
        w.WriteFloat(p.X);
        w.WriteFloat(p.Y);
    }
}

void ReadSeries(TGraphReader& r, TSeries& s) {
    ReadKeys(r, s, SeriesKeys());
    ReadKeys(r, s, DataKeys());
    ReadPoints(r, s);
}

void WriteMark(TGraphWriter& w, const TMark& m) {
    w.WriteSectionStart(QStringLiteral("Mark"));
    WriteKeys(w, m, MarkKeys());
    w.WriteSectionEnd();
}

void ReadMark(TGraphReader& r, TMark& m) {
    ReadKeys(r, m, MarkKeys());
}

void WriteCount(TGraphWriter& w, int count, bool asText) {
    if (asText) {
        w.WriteString(QStringLiteral("S"));
        w.WriteString(QString::number(count));
    } else {
        w.WriteString(QStringLiteral("I"));
        w.WriteInteger(count);
    }
}

int ReadCount(TGraphReader& r) {
    if (r.ReadString() == QStringLiteral("I")) return r.ReadInteger();
    return TextToInteger(r.ReadString());
}

void WriteSeriesInfo(TGraphWriter& w, const TPlotGraph& graph) {
    if (graph.SeriesList().empty()) throw Exception("internal filing error: TPlotGraph");
    for (const auto& s : graph.SeriesList())
        WriteSeries(w, *s, false);
}

void ReadSeriesInfo(TGraphReader& r, TPlotGraph& graph, int count) {
    if (count == 0) throw Exception("internal filing error: TPlotGraph");
    for (int n = 1; n <= count; ++n)
        ReadSeries(r, graph.GetSeries(n));
}

void WriteMarksInfo(TGraphWriter& w, const TPlotGraph& graph) {
    if (graph.Marks().empty()) throw Exception("internal filing error2: TPlotGraph");
    for (const TMark& m : graph.Marks())
        WriteMark(w, m);
}

void ReadMarksInfo(TGraphReader& r, TPlotGraph& graph, int count) {
    if (count == 0) throw Exception("internal filing error2: TPlotGraph");
    TMark values;
    for (int i = 0; i < count; ++i) {
        ReadMark(r, values);
        graph.AddMark(values);
    }
}

QByteArray SaveFiledSeries(const TPlotGraph& graph) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    TGraphWriter w(buffer);
    const int series = static_cast<int>(graph.SeriesList().size());
    const int marks = static_cast<int>(graph.Marks().size());
    WriteCount(w, series);
    WriteCount(w, marks);
    if (series != 0) WriteSeriesInfo(w, graph);
    if (marks != 0) WriteMarksInfo(w, graph);
    return buffer.data();
}

void LoadFiledSeries(TPlotGraph& graph, const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    TGraphReader r(buffer);
    const int series = ReadCount(r);
    const int marks = ReadCount(r);
    if (series > 0) ReadSeriesInfo(r, graph, series);
    if (marks > 0) ReadMarksInfo(r, graph, marks);
}

} // namespace graphfile

// --- the whole graph -----------------------------------------------------

void TPlotGraph::SaveToStream(QIODevice& device, bool withPoints) const {
    using namespace graphfile;
    TGraphWriter w(device);
    w.WriteString(QString::fromLatin1(kHeader));
    WriteAppearance(w, Appearance());
    WriteDimensions(w, Dimensions());
    WriteAxis(w, XAxis());
    WriteAxis(w, YAxis());
    WriteAxis(w, YAxis_Second());
    WriteLegend(w, Legend());
    WriteCount(w, static_cast<int>(SeriesList().size()));
    WriteCount(w, static_cast<int>(Marks().size()));
    for (const auto& s : SeriesList())
        WriteSeries(w, *s, withPoints);
    for (const TMark& m : Marks())
        WriteMark(w, m);
    w.WriteRawInt32(0);
}

void TPlotGraph::LoadFromStream(QIODevice& device) {
    using namespace graphfile;
    const bool saved = plotting_;
    plotting_ = false;
    try {
        ClearAllSeries();
        ClearMarks();
        SetDefaults();
        TGraphReader r(device);
        const QString header = r.ReadString();
        if (!header.startsWith(QStringLiteral("plgr")))
            throw EGraphStreamError("Not a valid graph file");
        if (header.size() < 5 || header[4] != QLatin1Char('0'))
            throw EGraphStreamError("Wrong Graph version");
        ReadAppearance(r, Appearance());
        ReadDimensions(r, Dimensions());
        ReadAxis(r, XAxis());
        ReadAxis(r, YAxis());
        ReadAxis(r, YAxis_Second());
        ReadLegend(r, Legend());
        const int seriesCount = ReadCount(r);
        const int markCount = ReadCount(r);
        for (int n = 1; n <= seriesCount; ++n)
            ReadSeries(r, GetSeries(n));
        TMark values;
        for (int i = 0; i < markCount; ++i) {
            ReadMark(r, values);
            AddMark(values);
        }
        r.Skip(r.ReadRawInt32());
    } catch (...) {
        // What was read stays, and the screen shows it: the series and marks
        // are gone, the settings read so far apply.
        plotting_ = saved;
        try {
            RequestRepaint(TRepaintKind::Full);
        } catch (...) {
            // the read error is the one to report
        }
        throw;
    }
    SetPlotting(saved);
}
