#include "GraphFile.h"

#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "FloatText.h"
#include "GraphStream.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QBuffer>

#include <cmath>

namespace graphfile {

namespace {

constexpr const char* kHeader = "plgr03.01";

// Reads entries until key 0. apply(key) reads the value of a known key and
// returns true; anything else is skipped by its type letter.
template <typename Apply> void ReadSection(TGraphReader& r, Apply&& apply) {
    for (;;) {
        int key = 0;
        char letter = 0;
        r.ReadTag(key, letter);
        if (key == 0) {
            r.SkipValue();
            return;
        }
        if (!apply(key)) r.SkipValue();
    }
}

int ReadEnum(TGraphReader& r, int last) {
    const int v = r.ReadAsInteger();
    if (v < 0 || v > last) throw EGraphStreamError("Invalid property value");
    return v;
}

} // namespace

void WriteAppearance(TGraphWriter& w, const TAppearance& a) {
    w.WriteSectionStart(QStringLiteral("Appearance"));
    w.WriteEntry(1, a.AllowDuplicates());
    w.WriteEntry(2, a.AxesColor());
    w.WriteEntry(3, a.BackgroundColor());
    w.WriteEntry(4, a.MarginColor());
    w.WriteEntry(5, a.PrintBkgndColor());
    w.WriteEntry(7, a.GridColor());
    w.WriteEntry(8, a.GridStyle());
    w.WriteEntry(9, a.ShowGraphLabels());
    w.WriteEntry(10, a.PlotOffGraph());
    w.WriteEntry(11, a.ShowMarks());
    w.WriteEntry(12, a.ShowTicks());
    w.WriteEntry(13, a.GraphTitle());
    w.WriteEntry(14, a.MinSteps());
    w.WriteEntry(15, a.MaxSteps());
    w.WriteEntry(16, a.TitleFont());
    w.WriteEntry(17, a.CaptionFont());
    w.WriteEntry(18, a.LabelFont());
    w.WriteEntry(19, a.CrossAtZero());
    w.WriteEntry(20, a.CrossColor());
    w.WriteEntry(21, a.Crosslength());
    w.WriteEntry(22, a.PrintLineStyle());
    w.WriteEntry(23, a.PreventFlicker());
    w.WriteSectionEnd();
}

void ReadAppearance(TGraphReader& r, TAppearance& a) {
    // MinSteps is checked against MaxSteps, which the stream gives after it: a
    // stored pair must survive whatever the current MaxSteps is.
    int refusedMinSteps = 0; // 0: none refused (0 itself is never accepted)
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            a.SetAllowDuplicates(r.ReadAsBoolean());
            return true;
        case 2:
            a.SetAxesColor(r.ReadAsInteger());
            return true;
        case 3:
            a.SetBackgroundColor(r.ReadAsInteger());
            return true;
        case 4:
            a.SetMarginColor(r.ReadAsInteger());
            return true;
        case 5:
            a.SetPrintBkgndColor(r.ReadAsBoolean());
            return true;
        case 6:
            a.SetErrorCaption(r.ReadAsText());
            return true;
        case 7:
            a.SetGridColor(r.ReadAsInteger());
            return true;
        case 8:
            a.SetGridStyle(r.ReadAsInteger());
            return true;
        case 9:
            a.SetShowGraphLabels(r.ReadAsBoolean());
            return true;
        case 10:
            a.SetPlotOffGraph(r.ReadAsBoolean());
            return true;
        case 11:
            a.SetShowMarks(r.ReadAsBoolean());
            return true;
        case 12:
            a.SetShowTicks(r.ReadAsBoolean());
            return true;
        case 13:
            a.SetGraphTitle(r.ReadAsText());
            return true;
        case 14: {
            const int v = r.ReadAsInteger();
            a.SetMinSteps(v);
            refusedMinSteps = a.MinSteps() != v ? v : 0;
            return true;
        }
        case 15:
            a.SetMaxSteps(r.ReadAsInteger());
            if (refusedMinSteps != 0) a.SetMinSteps(refusedMinSteps);
            refusedMinSteps = 0;
            return true;
        case 16:
            a.SetTitleFont(r.ReadAsFont());
            return true;
        case 17:
            a.SetCaptionFont(r.ReadAsFont());
            return true;
        case 18:
            a.SetLabelFont(r.ReadAsFont());
            return true;
        case 19:
            a.SetCrossAtZero(r.ReadAsBoolean());
            return true;
        case 20:
            a.SetCrossColor(r.ReadAsInteger());
            return true;
        case 21:
            a.SetCrosslength(r.ReadAsInteger());
            return true;
        case 22:
            a.SetPrintLineStyle(r.ReadAsBoolean());
            return true;
        case 23:
            a.SetPreventFlicker(r.ReadAsBoolean());
            return true;
        default:
            return false;
        }
    });
}

void WriteDimensions(TGraphWriter& w, const TDimensions& d) {
    w.WriteSectionStart(QStringLiteral("Dimensions"));
    const int values[] = {d.BottomMargin(),     d.LeftMargin(),       d.RightMargin(),
                          d.TopMargin(),        d.TickLength(),       d.XAxisTitleOffset(),
                          d.XAxisLabelOffset(), d.YAxisTitleOffset(), d.YAxisLabelOffset(),
                          d.GraphTitleOffset(), d.PrintXOffsetPct(),  d.PrintYOffsetPct(),
                          d.PrintScalePct()};
    for (int i = 0; i < 13; ++i)
        w.WriteEntry(i + 1, static_cast<std::int32_t>(values[i]));
    w.WriteSectionEnd();
}

void ReadDimensions(TGraphReader& r, TDimensions& d) {
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            d.SetBottomMargin(r.ReadAsInteger());
            return true;
        case 2:
            d.SetLeftMargin(r.ReadAsInteger());
            return true;
        case 3:
            d.SetRightMargin(r.ReadAsInteger());
            return true;
        case 4:
            d.SetTopMargin(r.ReadAsInteger());
            return true;
        case 5:
            d.SetTickLength(r.ReadAsInteger());
            return true;
        case 6:
            d.SetXAxisTitleOffset(r.ReadAsInteger());
            return true;
        case 7:
            d.SetXAxisLabelOffset(r.ReadAsInteger());
            return true;
        case 8:
            d.SetYAxisTitleOffset(r.ReadAsInteger());
            return true;
        case 9:
            d.SetYAxisLabelOffset(r.ReadAsInteger());
            return true;
        case 10:
            d.SetGraphTitleOffset(r.ReadAsInteger());
            return true;
        case 11:
            d.SetPrintXOffsetPct(r.ReadAsInteger());
            return true;
        case 12:
            d.SetPrintYOffsetPct(r.ReadAsInteger());
            return true;
        case 13:
            d.SetPrintScalePct(r.ReadAsInteger());
            return true;
        default:
            return false;
        }
    });
}

void WriteAxis(TGraphWriter& w, const TAxis& a) {
    w.WriteSectionStart(QStringLiteral("Axis"));
    w.WriteEntry(1, a.Title());
    w.WriteEntry(2, a.LabelDecimals());
    w.WriteEntry(3, a.AutoLabelDecimals());
    w.WriteEntry(4, a.LogCycleDivisions());
    w.WriteEntry(5, a.LogScale());
    w.WriteEntry(6, a.Max());
    w.WriteEntry(7, a.Min());
    w.WriteEntry(8, a.StepSize());
    w.WriteEntry(9, a.MinScaleLength());
    w.WriteEntry(10, a.ShowAsTime());
    w.WriteEntry(11, a.DateTimeFormat());
    w.WriteEntry(12, static_cast<std::int32_t>(a.DateTickType()));
    w.WriteEntry(13, a.ShowAxis());
    w.WriteEntry(14, a.Reversed());
    w.WriteEntry(15, static_cast<std::int32_t>(a.OffsetType()));
    w.WriteEntry(16, a.Offset());
    w.WriteEntry(17, a.Gridlines());
    w.WriteEntry(18, a.AutoSizing());
    w.WriteEntry(19, a.AutoStepping());
    w.WriteSectionEnd();
}

void ReadAxis(TGraphReader& r, TAxis& a) {
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            a.SetTitle(r.ReadAsText());
            return true;
        case 2:
            a.SetLabelDecimals(r.ReadAsInteger());
            return true;
        case 3:
            a.SetAutoLabelDecimals(r.ReadAsBoolean());
            return true;
        case 4:
            a.SetLogCycleDivisions(r.ReadAsInteger());
            return true;
        case 5:
            a.SetLogScale(r.ReadAsBoolean());
            return true;
        case 6:
            a.SetMax(r.ReadAsFloat());
            return true;
        case 7:
            a.SetMin(r.ReadAsFloat());
            return true;
        case 8:
            a.SetStepSize(r.ReadAsFloat());
            return true;
        case 9:
            a.SetMinScaleLength(r.ReadAsFloat());
            return true;
        case 10:
            a.SetShowAsTime(r.ReadAsBoolean());
            return true;
        case 11:
            a.SetDateTimeFormat(r.ReadAsText());
            return true;
        case 12:
            a.SetDateTickType(static_cast<TAxis::Dateticks>(ReadEnum(r, TAxis::dt_custom)));
            return true;
        case 13:
            a.SetShowAxis(r.ReadAsBoolean());
            return true;
        case 14:
            a.SetReversed(r.ReadAsBoolean());
            return true;
        case 15:
            a.SetOffsetType(static_cast<TAxis::TAxisOffsetType>(ReadEnum(r, TAxis::ao_absolute)));
            return true;
        case 16:
            a.SetOffset(r.ReadAsFloat());
            return true;
        case 17:
            a.SetGridlines(r.ReadAsBoolean());
            return true;
        case 18:
            a.SetAutoSizing(r.ReadAsBoolean());
            return true;
        case 19:
            a.SetAutoStepping(r.ReadAsBoolean());
            return true;
        default:
            return false;
        }
    });
}

void WriteLegend(TGraphWriter& w, const TLegend& l) {
    w.WriteSectionStart(QStringLiteral("Legend"));
    w.WriteEntry(1, l.visible());
    w.WriteEntry(2, l.color());
    w.WriteEntry(3, l.borderStyle());
    w.WriteEntry(4, static_cast<std::int32_t>(l.Layout()));
    w.WriteEntry(5, l.top());
    w.WriteEntry(6, l.left());
    w.WriteEntry(7, l.width());
    w.WriteEntry(8, l.height());
    w.WriteEntry(9, l.font());
    w.WriteEntry(10, l.SymbolSpace());
    w.WriteEntry(11, l.XMargin());
    w.WriteEntry(12, l.YMargin());
    w.WriteSectionEnd();
}

void ReadLegend(TGraphReader& r, TLegend& l) {
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            l.setVisible(r.ReadAsBoolean());
            return true;
        case 2:
            l.setColor(r.ReadAsInteger());
            return true;
        case 3:
            l.setBorderStyle(r.ReadAsInteger());
            return true;
        case 4:
            l.SetLayout(static_cast<TLegend::TLegendStyle>(ReadEnum(r, TLegend::lsDown)));
            return true;
        case 5:
            l.setTop(r.ReadAsInteger());
            return true;
        case 6:
            l.setLeft(r.ReadAsInteger());
            return true;
        case 7:
            l.setWidth(r.ReadAsInteger());
            return true;
        case 8:
            l.setHeight(r.ReadAsInteger());
            return true;
        case 9:
            l.setFont(r.ReadAsFont());
            return true;
        case 10:
            l.SetSymbolSpace(r.ReadAsInteger());
            return true;
        case 11:
            l.SetXMargin(r.ReadAsInteger());
            return true;
        case 12:
            l.SetYMargin(r.ReadAsInteger());
            return true;
        default:
            return false;
        }
    });
}

void WriteSeries(TGraphWriter& w, const TSeries& s, bool withPoints) {
    w.WriteSectionStart(QStringLiteral("Series"));
    w.WriteEntry(1, s.Visible());
    w.WriteEntry(2, s.ShowLine());
    w.WriteEntry(3, s.ShowPoints());
    w.WriteEntry(4, s.FillPoints());
    w.WriteEntry(5, s.LineColor());
    w.WriteEntry(6, s.PointColor());
    w.WriteEntry(7, s.BoundsColor());
    w.WriteEntry(8, s.PointShape());
    w.WriteEntry(9, s.LineStyle());
    w.WriteEntry(10, s.PointSize());
    w.WriteEntry(11, s.FirstAxis());
    w.WriteEntry(12, s.UpperBound());
    w.WriteEntry(13, s.LowerBound());
    w.WriteEntry(14, s.BoundsMode());
    w.WriteEntry(15, s.BoundLineMode());
    w.WriteEntry(16, s.RegressionLineColor());
    w.WriteEntry(17, s.RegressionLineStyle());
    w.WriteEntry(18, s.ShowInLegend());
    w.WriteEntry(19, s.BarWidth());
    w.WriteEntry(20, s.BarOffset());
    w.WriteSectionEnd();

    const TDataSourceSettings& src = s.Source;
    w.WriteEntry(1, s.SeriesName());
    w.WriteEntry(2, s.NumericalTolerance());
    w.WriteEntry(3, s.DuplicatesAllowed());
    w.WriteEntry(4, s.AutoZero());
    w.WriteEntry(5, s.ZeroValue());
    w.WriteEntry(6, s.RegressionType());
    w.WriteEntry(7, s.RegressionControlValue1());
    w.WriteEntry(8, s.RegressionFraction());
    w.WriteEntry(9, src.DataSource);
    w.WriteEntry(10, src.DatasourceInfo);
    w.WriteEntry(12, src.DivideTextByWidth);
    w.WriteEntry(13, src.FileHasHeaders);
    w.WriteEntry(14, src.TextSeparators);
    w.WriteEntry(15, src.TextMarkers);
    w.WriteEntry(16, src.XDataColumn);
    w.WriteEntry(17, src.YDataColumn);
    w.WriteEntry(18, src.RowSamplingFrequency);
    w.WriteEntry(19, src.ColumnWidth);
    w.WriteEntry(20, src.RowChoiceMode);
    w.WriteEntry(21, src.RowChoiceValue1);
    w.WriteEntry(22, src.RowChoiceValue2);
    w.WriteEntry(23, src.XFormat);
    w.WriteEntry(24, src.YFormat);
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

namespace {

void ReadDataSection(TGraphReader& r, TSeries& s) {
    TDataSourceSettings& src = s.Source;
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            s.SetSeriesName(r.ReadAsText());
            return true;
        case 2:
            s.SetNumericalTolerance(r.ReadAsFloat());
            return true;
        case 3:
            s.SetDuplicatesAllowed(r.ReadAsBoolean());
            return true;
        case 4:
            s.SetAutoZero(r.ReadAsBoolean());
            return true;
        case 5: {
            // The zero setter switches AutoZero off; a stored AutoZero stays on.
            const double v = r.ReadAsFloat();
            if (s.AutoZero())
                s.RestoreZeroValue(v);
            else
                s.SetZeroValue(v);
            return true;
        }
        case 6:
            s.SetRegressionType(r.ReadAsInteger());
            return true;
        case 7:
            s.SetRegressionControlValue1(r.ReadAsInteger());
            return true;
        case 8:
            s.SetRegressionFraction(r.ReadAsFloat());
            return true;
        case 9:
            src.DataSource = r.ReadAsInteger();
            return true;
        case 10:
            src.DatasourceInfo = r.ReadAsText();
            return true;
        case 12:
            src.DivideTextByWidth = r.ReadAsBoolean();
            return true;
        case 13:
            src.FileHasHeaders = r.ReadAsInteger();
            return true;
        case 14:
            src.TextSeparators = r.ReadAsText();
            return true;
        case 15:
            src.TextMarkers = r.ReadAsText();
            return true;
        case 16:
            src.XDataColumn = r.ReadAsText();
            return true;
        case 17:
            src.YDataColumn = r.ReadAsText();
            return true;
        case 18:
            src.RowSamplingFrequency = r.ReadAsInteger();
            return true;
        case 19:
            src.ColumnWidth = r.ReadAsInteger();
            return true;
        case 20:
            src.RowChoiceMode = r.ReadAsInteger();
            return true;
        case 21:
            src.RowChoiceValue1 = r.ReadAsFloat();
            return true;
        case 22:
            src.RowChoiceValue2 = r.ReadAsFloat();
            return true;
        case 23:
            src.XFormat = r.ReadAsInteger();
            return true;
        case 24:
            src.YFormat = r.ReadAsInteger();
            return true;
        default:
            return false;
        }
    });
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

void ReadSeries(TGraphReader& r, TSeries& s) {
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            s.SetVisible(r.ReadAsBoolean());
            return true;
        case 2:
            s.SetShowLine(r.ReadAsBoolean());
            return true;
        case 3:
            s.SetShowPoints(r.ReadAsBoolean());
            return true;
        case 4:
            s.SetFillPoints(r.ReadAsBoolean());
            return true;
        case 5:
            s.SetLineColor(r.ReadAsInteger());
            return true;
        case 6:
            s.SetPointColor(r.ReadAsInteger());
            return true;
        case 7:
            s.SetBoundsColor(r.ReadAsInteger());
            return true;
        case 8:
            s.SetPointShape(r.ReadAsInteger());
            return true;
        case 9:
            s.SetLineStyle(r.ReadAsInteger());
            return true;
        case 10:
            s.SetPointSize(r.ReadAsInteger());
            return true;
        case 11:
            s.SetFirstAxis(r.ReadAsBoolean());
            return true;
        case 12:
            s.SetUpperBound(r.ReadAsFloat());
            return true;
        case 13:
            s.SetLowerBound(r.ReadAsFloat());
            return true;
        case 14:
            s.SetBoundsMode(r.ReadAsInteger());
            return true;
        case 15:
            s.SetBoundLineMode(r.ReadAsInteger());
            return true;
        case 16:
            s.SetRegressionLineColor(r.ReadAsInteger());
            return true;
        case 17:
            s.SetRegressionLineStyle(r.ReadAsInteger());
            return true;
        case 18:
            s.SetShowInLegend(r.ReadAsInteger());
            return true;
        case 19:
            s.SetBarWidth(r.ReadAsFloat());
            return true;
        case 20:
            s.SetBarOffset(r.ReadAsFloat());
            return true;
        default:
            return false;
        }
    });
    ReadDataSection(r, s);
    ReadPoints(r, s);
}

void WriteMark(TGraphWriter& w, const TMark& m) {
    w.WriteSectionStart(QStringLiteral("Mark"));
    w.WriteEntry(1, m.ID);
    w.WriteEntry(2, m.X1Value);
    w.WriteEntry(3, m.Y1Value);
    w.WriteEntry(4, m.X2Value);
    w.WriteEntry(5, m.Y2Value);
    w.WriteEntry(6, m.Color);
    w.WriteEntry(7, m.Caption);
    w.WriteEntry(8, static_cast<std::int32_t>(m.TypeOfMark));
    w.WriteEntry(9, m.WhenDrawn);
    w.WriteEntry(10, static_cast<std::int32_t>(m.MarkPosition));
    w.WriteSectionEnd();
}

void ReadMark(TGraphReader& r, TMark& m) {
    ReadSection(r, [&](int key) {
        switch (key) {
        case 1:
            m.ID = r.ReadAsInteger();
            return true;
        case 2:
            m.X1Value = r.ReadAsFloat();
            return true;
        case 3:
            m.Y1Value = r.ReadAsFloat();
            return true;
        case 4:
            m.X2Value = r.ReadAsFloat();
            return true;
        case 5:
            m.Y2Value = r.ReadAsFloat();
            return true;
        case 6:
            m.Color = r.ReadAsInteger();
            return true;
        case 7:
            m.Caption = r.ReadAsText();
            return true;
        case 8:
            m.TypeOfMark = static_cast<std::uint8_t>(r.ReadAsInteger());
            return true;
        case 9:
            m.WhenDrawn = r.ReadAsBoolean();
            return true;
        case 10:
            m.MarkPosition = static_cast<std::uint8_t>(r.ReadAsInteger());
            return true;
        default:
            return false;
        }
    });
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
