#include "GraphFile.h"
#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "GraphStream.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QBuffer>
#include <QImage>

#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

QByteArray Saved(const TPlotGraph& g, bool withPoints) {
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    g.SaveToStream(b, withPoints);
    return b.data();
}

std::string Load(TPlotGraph& g, const QByteArray& bytes) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    try {
        g.LoadFromStream(b);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// A graph with something other than the default in every section.
void Decorate(TPlotGraph& g) {
    g.Appearance().SetGraphTitle("Populations");
    g.Appearance().SetGridColor(0x112233);
    g.Appearance().SetPreventFlicker(true);
    g.Appearance().SetMaxSteps(90);
    g.Appearance().SetMinSteps(30);
    g.Appearance().SetLabelFont({"Courier", 11, clBlue, true, true, false, true});
    g.Dimensions().SetLeftMargin(55);
    g.Dimensions().SetPrintScalePct(70);
    g.XAxis().SetTitle("Time");
    g.XAxis().SetMax(10);
    g.XAxis().SetMin(-2.5);
    g.XAxis().SetStepSize(0.25);
    g.XAxis().SetAutoSizing(true);
    g.XAxis().SetAutoStepping(true);
    g.YAxis().SetLogScale(true);
    g.YAxis().SetMin(0.5);
    g.YAxis().SetLogCycleDivisions(7);
    g.YAxis_Second().SetDateTickType(TAxis::dt_quarterly);
    g.YAxis_Second().SetOffsetType(TAxis::ao_percentage);
    g.Legend().setVisible(true);
    g.Legend().SetLayout(TLegend::lsDown);
    g.Legend().setTop(33);
    TSeries& s1 = g.GetSeries(1);
    s1.SetSeriesName("N1");
    s1.SetPointShape(sh_Diamond);
    s1.SetPointSize(8);
    s1.SetFirstAxis(false);
    s1.SetBoundsMode(bm_Fixed);
    s1.SetUpperBound(4.5);
    s1.SetAutoZero(true);
    s1.Source.XDataColumn = "time";
    s1.Source.RowChoiceValue2 = 0.125;
    for (int i = 0; i < 50; ++i)
        s1.AddPoint(i * 0.1, std::sin(i * 0.1) + 2);
    TSeries& s4 = g.GetSeries(4);
    s4.SetSeriesName(QString(300, 'n')); // a long string
    s4.SetNumericalTolerance(0.01);
    s4.SetRegressionType(3);
    s4.AddPoint(1, 1);
    g.AddMark({.ID = 3, .X1Value = 1.5, .Color = clRed, .Caption = "peak", .TypeOfMark = 2});
    g.AddMark({.ID = 1, .Y2Value = -7, .Caption = "start", .WhenDrawn = true});
}

TEST(GraphFile, RoundTripRestoresEverySection) {
    TPlotGraph a;
    Decorate(a);
    const QByteArray bytes = Saved(a, true);
    TPlotGraph b;
    b.GetSeries(9); // replaced by what the stream holds
    ASSERT_EQ(Load(b, bytes), "");
    EXPECT_EQ(Saved(b, true), bytes); // everything written was read back
    EXPECT_EQ(b.Appearance().MinSteps(), 30);
    EXPECT_EQ(b.YAxis().LogCycleDivisions(), 7);
    EXPECT_TRUE(b.XAxis().AutoSizing());
    // Series are renumbered 1..n in list order.
    ASSERT_EQ(b.SeriesList().size(), 2u);
    const TSeries& s1 = *b.SeriesList()[0];
    const TSeries& s2 = *b.SeriesList()[1];
    EXPECT_EQ(s2.Number(), 2);
    EXPECT_EQ(s2.SeriesName(), QString(300, 'n'));
    EXPECT_EQ(s1.Count(), 50);
    EXPECT_TRUE(s1.AutoZero()); // the stored zero value does not switch it off
    EXPECT_EQ(s1.Points()[7].Y, a.GetSeries(1).Points()[7].Y);
    EXPECT_EQ(b.Marks().size(), 2u);
    EXPECT_TRUE(b.Plotting());
}

TEST(GraphFile, WithoutPointsWritesCountZero) {
    TPlotGraph a;
    Decorate(a);
    TPlotGraph b;
    ASSERT_EQ(Load(b, Saved(a, false)), "");
    EXPECT_EQ(b.SeriesList()[0]->Count(), 0);
    EXPECT_EQ(b.SeriesList()[0]->SeriesName(), "N1");
}

TEST(GraphFile, AssignCopiesThroughMemory) {
    TPlotGraph a;
    Decorate(a);
    TPlotGraph b;
    b.Assign(a);
    EXPECT_EQ(Saved(b, true), Saved(a, true));
}

TEST(GraphFile, HeaderIsChecked) {
    const struct {
        const char* header;
        const char* message;
    } cases[] = {
        {"plgr13.01", "Wrong Graph version"},
        {"PLGR03.01", "Not a valid graph file"},
        {"plg", "Not a valid graph file"},
        {"plgr", "Wrong Graph version"},
    };
    for (const auto& c : cases) {
        TPlotGraph g;
        EXPECT_EQ(Load(g, Written([&](auto& w) { w.WriteString(c.header); })), c.message);
    }
    TPlotGraph g;
    EXPECT_EQ(Load(g, Written([](auto& w) { w.WriteInteger(5); })), "Invalid property value");
}

// A stream with the given appearance entries and defaults elsewhere.
QByteArray WithAppearance(const std::function<void(TGraphWriter&)>& entries) {
    TPlotGraph plain;
    const QByteArray full = Saved(plain, false);
    const QByteArray appearance = Written([](auto& w) { w.WriteSectionStart("Appearance"); });
    const int start = full.indexOf(appearance);
    const QByteArray end = Written([](auto& w) { w.WriteSectionEnd(); });
    const int stop = full.indexOf(end, start) + end.size();
    return full.left(start) + appearance + Written(entries) + end + full.mid(stop);
}

TEST(GraphFile, UnknownKeysAreSkippedWhateverTheirLetter) {
    TPlotGraph g;
    const QByteArray bytes = WithAppearance([](TGraphWriter& w) {
        w.WriteEntry(50, TGraphFont{});
        w.WriteEntry(51, 3.5);
        w.WriteEntry(52, QString(400, 'z'));
        w.WriteEntry(53, std::int32_t{100000});
        w.WriteTag(54, 'Q');
        w.WriteFloat(2);
        w.WriteEntry(13, QString("kept"));
    });
    ASSERT_EQ(Load(g, bytes), "");
    EXPECT_EQ(g.Appearance().GraphTitle(), "kept");
}

TEST(GraphFile, EntriesAreConvertedToTheKindTheyNeed) {
    TPlotGraph g;
    ASSERT_EQ(Load(g, WithAppearance([](TGraphWriter& w) {
                       w.WriteEntry(12, QString("True")); // ShowTicks: only "true" is true
                       w.WriteEntry(2, QString("255"));   // AxesColor from text
                       w.WriteEntry(13, 2.5);             // GraphTitle from a float
                       w.WriteEntry(6, QString("oops"));  // ErrorCaption: read, never written
                   })),
              "");
    EXPECT_FALSE(g.Appearance().ShowTicks());
    EXPECT_EQ(g.Appearance().AxesColor(), 255);
    EXPECT_EQ(g.Appearance().GraphTitle(), "2.5");
    EXPECT_EQ(g.Appearance().ErrorCaption(), "oops");
    EXPECT_EQ(Load(g, WithAppearance([](TGraphWriter& w) { w.WriteEntry(2, TGraphFont{}); })),
              "conversion error");
}

TEST(GraphFile, FailureKeepsWhatWasReadAndRestoresPlotting) {
    TPlotGraph a;
    a.Appearance().SetGraphTitle("first");
    a.Dimensions().SetLeftMargin(77);
    QByteArray bytes = Saved(a, false);
    bytes.truncate(bytes.size() / 2);
    TPlotGraph g;
    g.GetSeries(1).AddPoint(1, 1);
    EXPECT_EQ(Load(g, bytes), "Stream read Error");
    EXPECT_EQ(g.Appearance().GraphTitle(), "first");
    EXPECT_EQ(g.Dimensions().LeftMargin(), 77);
    EXPECT_TRUE(g.SeriesList().empty());
    EXPECT_TRUE(g.Plotting());
    g.SetPlotting(false);
    EXPECT_EQ(Load(g, bytes), "Stream read Error");
    EXPECT_FALSE(g.Plotting());
}

TEST(GraphFile, EmptyOrTruncatedStreamFailsAndTheScreenShowsWhatWasRead) {
    TPlotGraph a;
    Decorate(a);
    const QByteArray bytes = Saved(a, true);
    for (const QByteArray& cut : {QByteArray(), bytes.left(1), bytes.left(bytes.size() / 3),
                                  bytes.left(bytes.size() - 5)}) {
        SCOPED_TRACE(cut.size());
        TPlotGraph g;
        g.resize(300, 200);
        TSeries& s = g.GetSeries(1);
        s.SetLineColor(clRed);
        for (int i = 0; i < 20; ++i)
            s.AddPoint(i, i % 3);
        EXPECT_EQ(Load(g, cut), "Stream read Error");
        QImage full(g.size(), QImage::Format_RGB32);
        g.DrawToBitmap(full);
        EXPECT_EQ(g.BackBuffer().convertToFormat(QImage::Format_RGB32), full);
    }
}

TEST(GraphFile, EveryTruncationFailsCleanly) {
    TPlotGraph a;
    Decorate(a);
    const QByteArray bytes = Saved(a, true);
    TPlotGraph g;
    for (int n = 0; n < bytes.size() - 4; n += 7)
        EXPECT_FALSE(Load(g, bytes.left(n)).empty()) << n;
    // The trailing count of extra bytes is skipped however large it claims to be.
    QByteArray extra = bytes;
    extra.chop(4);
    extra += QByteArray("\x10\x00\x00\x00", 4) + QByteArray(16, 'e');
    EXPECT_EQ(Load(g, extra), "");
    extra.chop(16);
    extra.chop(4);
    extra += QByteArray("\xFF\xFF\xFF\x7F", 4);
    EXPECT_EQ(Load(g, extra), "");
}

// Series count 1 followed by this series data.
QByteArray WithSeries(const std::function<void(TGraphWriter&)>& series, bool complete = true) {
    TPlotGraph plain;
    QByteArray bytes = Saved(plain, false);
    bytes.chop(4 + 5 + 5); // extra count, and the two counts "I" 0
    return bytes + Written([&](TGraphWriter& w) {
               graphfile::WriteCount(w, 1);
               graphfile::WriteCount(w, 0, true);
               series(w);
               if (complete) w.WriteRawInt32(0);
           });
}

void EmptySections(TGraphWriter& w) {
    w.WriteSectionStart("Series");
    w.WriteSectionEnd();
    w.WriteSectionEnd(); // data section
}

TEST(GraphFile, PointsBlockIsChecked) {
    TPlotGraph g;
    EXPECT_EQ(Load(g, WithSeries([](TGraphWriter& w) {
                       EmptySections(w);
                       w.WriteEntry(2, std::int32_t{1});
                   })),
              "Stream read Error");
    EXPECT_EQ(Load(g, WithSeries([](TGraphWriter& w) {
                       EmptySections(w);
                       w.WriteEntry(1, std::int32_t{1});
                       w.WriteEntry(3, std::int32_t{2});
                   })),
              "Stream Read Error");
    // Points given as text, with a third value per point that is skipped.
    ASSERT_EQ(Load(g, WithSeries([](TGraphWriter& w) {
                       EmptySections(w);
                       w.WriteEntry(1, std::int32_t{2});
                       w.WriteEntry(2, std::int32_t{3});
                       w.WriteString("S");
                       for (const char* v : {"2", "20", "x", "1.5", "15", "y"})
                           w.WriteString(v);
                   })),
              "");
    const TSeries& s = *g.SeriesList()[0];
    ASSERT_EQ(s.Count(), 2);
    EXPECT_EQ(s.Points()[0].X, 1.5);
    EXPECT_EQ(s.Points()[1].Y, 20);
    // A point count far beyond the data fails at the end of the stream.
    EXPECT_EQ(Load(g, WithSeries(
                          [](TGraphWriter& w) {
                              EmptySections(w);
                              w.WriteEntry(1, std::int32_t{2000000000});
                              w.WriteEntry(2, std::int32_t{2});
                              w.WriteString("D");
                              w.WriteFloat(1);
                          },
                          false)),
              "Stream read Error");
}

TEST(GraphFile, OutOfRangeEnumerationsAreRefused) {
    TPlotGraph plain;
    QByteArray bytes = Saved(plain, false);
    const QByteArray tag = Written([](auto& w) { w.WriteEntry(12, std::int32_t{0}); });
    const int at = bytes.indexOf(tag);
    ASSERT_GT(at, 0);
    bytes[at + tag.size() - 1] = 40; // DateTickType 40
    TPlotGraph g;
    EXPECT_EQ(Load(g, bytes), "Invalid property value");
}

TEST(GraphFile, MarkValuesCarryOverBetweenSections) {
    TPlotGraph plain;
    QByteArray bytes = Saved(plain, false);
    bytes.chop(4 + 5 + 5);
    bytes += Written([](TGraphWriter& w) {
        graphfile::WriteCount(w, 0);
        graphfile::WriteCount(w, 2);
        w.WriteSectionStart("Mark");
        w.WriteEntry(1, std::int32_t{5});
        w.WriteEntry(7, QString("first"));
        w.WriteSectionEnd();
        w.WriteSectionStart("Mark");
        w.WriteEntry(1, std::int32_t{2});
        w.WriteSectionEnd();
        w.WriteRawInt32(0);
    });
    TPlotGraph g;
    ASSERT_EQ(Load(g, bytes), "");
    ASSERT_EQ(g.Marks().size(), 2u);
    EXPECT_EQ(g.Marks()[0].ID, 2);
    EXPECT_EQ(g.Marks()[0].Caption, "first");
}

// A tagged entry of a section: where it lies in the stream, and its section.
struct TEntryAt {
    qint64 at, end;
    QString section;
    int key;
};

// Every entry of every section of a stream, found by walking its layout.
std::vector<TEntryAt> SectionEntries(const QByteArray& bytes) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    TGraphReader r(b);
    std::vector<TEntryAt> entries;
    const auto section = [&](QString name) {
        for (;;) {
            const qint64 at = b.pos();
            int key = 0;
            char letter = 0;
            r.ReadTag(key, letter);
            if (key == 99) {
                name = r.ReadAsText();
                continue;
            }
            r.SkipValue();
            if (key == 0) return;
            entries.push_back({at, b.pos(), name, key});
        }
    };
    r.ReadString();
    for (int i = 0; i < 6; ++i)
        section("");
    const int series = graphfile::ReadCount(r);
    const int marks = graphfile::ReadCount(r);
    for (int i = 0; i < series; ++i) {
        section("");
        section("data");
        int key = 0;
        char letter = 0;
        for (int tag = 0; tag < 2; ++tag) { // points block without points
            r.ReadTag(key, letter);
            r.ReadAsInteger();
        }
        r.ReadString();
    }
    for (int i = 0; i < marks; ++i)
        section("");
    return entries;
}

// The entry rewritten with values other than its own, of the same letter.
std::vector<QByteArray> OtherValues(const QByteArray& entry) {
    QBuffer b;
    b.setData(entry);
    b.open(QIODevice::ReadOnly);
    TGraphReader r(b);
    int key = 0;
    char letter = 0;
    r.ReadTag(key, letter);
    const auto as = [key](auto v) {
        return Written([&](TGraphWriter& w) { w.WriteEntry(key, v); });
    };
    switch (letter) {
    case 'B':
        return {as(!r.ReadAsBoolean())};
    case 'I': {
        const std::int32_t v = r.ReadAsInteger();
        return {as(v + 1), as(v - 1), as(v + 2), as(v - 2)}; // point sizes are even
    }
    case 'D': {
        const double v = r.ReadAsFloat();
        return {as(v + 0.5), as(v - 0.5)};
    }
    case 'S':
        return {as(r.ReadAsText() + "x")};
    default: {
        TGraphFont f = r.ReadAsFont();
        ++f.Size;
        return {as(f)};
    }
    }
}

// Each written key is read back: the stream with any one entry changed loads
// and saves again as that stream. With every entry gone, the defaults load.
TEST(GraphFile, EveryWrittenKeyIsReadBack) {
    TPlotGraph plain;
    plain.GetSeries(1);
    plain.AddMark({});
    TPlotGraph a;
    a.Assign(plain);
    for (TAxis* axis : {&a.XAxis(), &a.YAxis(), &a.YAxis_Second()})
        axis->SetAutoLabelDecimals(false); // else the decimals follow the range
    const QByteArray bytes = Saved(a, false);
    const std::vector<TEntryAt> entries = SectionEntries(bytes);
    // Appearance (its key 6 is only read), dimensions, three axes, legend,
    // series, data, mark.
    ASSERT_EQ(entries.size(), 22u + 13 + 3 * 19 + 12 + 20 + 23 + 10);
    for (const TEntryAt& e : entries) {
        bool kept = false;
        for (const QByteArray& other : OtherValues(bytes.mid(e.at, e.end - e.at))) {
            const QByteArray changed = bytes.left(e.at) + other + bytes.mid(e.end);
            TPlotGraph g;
            kept = kept || (Load(g, changed).empty() && Saved(g, false) == changed);
        }
        EXPECT_TRUE(kept) << e.section.toStdString() << " key " << e.key;
    }

    const QByteArray defaults = Saved(plain, false);
    QByteArray bare = defaults;
    const std::vector<TEntryAt> present = SectionEntries(defaults);
    for (auto e = present.rbegin(); e != present.rend(); ++e)
        bare.remove(e->at, e->end - e->at);
    TPlotGraph g;
    Decorate(g);
    ASSERT_EQ(Load(g, bare), "");
    EXPECT_EQ(Saved(g, false), defaults);
}

TEST(GraphFiling, MainWindowSeriesDecode) {
    TPlotGraph design;
    TSeries& n1 = design.GetSeries(1);
    n1.SetSeriesName("N1");
    TSeries& n2 = design.GetSeries(2);
    n2.SetSeriesName("N2");
    const QByteArray stored = graphfile::SaveFiledSeries(design);

    TPlotGraph window;
    graphfile::LoadFiledSeries(window, stored);
    ASSERT_EQ(window.SeriesList().size(), 2u);
    const TSeries& a = *window.SeriesList()[0];
    const TSeries& b = *window.SeriesList()[1];
    EXPECT_EQ(a.LineColor(), 32768);
    EXPECT_EQ(a.PointColor(), 32768);
    EXPECT_EQ(b.LineColor(), 16711680);
    EXPECT_EQ(a.SeriesName(), "N1");
    EXPECT_EQ(b.SeriesName(), "N2");
    EXPECT_EQ(a.RegressionControlValue1(), 100);
    EXPECT_EQ(a.RegressionFraction(), 0.05);
    EXPECT_EQ(a.Source.TextSeparators, "\t");
    EXPECT_EQ(a.Source.TextMarkers, "'\"");
    EXPECT_EQ(a.Source.XDataColumn, "(col 0)");
    EXPECT_EQ(a.Source.YDataColumn, "(col 1)");
    EXPECT_EQ(a.Source.RowSamplingFrequency, 1);
    EXPECT_EQ(a.Source.ColumnWidth, 10);
    EXPECT_EQ(a.Count(), 0);
}

TEST(GraphFiling, CountsInBothFormsAndTheInternalErrors) {
    QBuffer b;
    b.open(QIODevice::ReadWrite);
    TGraphWriter w(b);
    graphfile::WriteCount(w, 300);
    graphfile::WriteCount(w, -4, true);
    b.seek(0);
    TGraphReader r(b);
    EXPECT_EQ(graphfile::ReadCount(r), 300);
    EXPECT_EQ(graphfile::ReadCount(r), -4);

    TPlotGraph g;
    EXPECT_EQ(ErrorOf([&] { graphfile::WriteSeriesInfo(w, g); }),
              "internal filing error: TPlotGraph");
    EXPECT_EQ(ErrorOf([&] { graphfile::ReadSeriesInfo(r, g, 0); }),
              "internal filing error: TPlotGraph");
    EXPECT_EQ(ErrorOf([&] { graphfile::WriteMarksInfo(w, g); }),
              "internal filing error2: TPlotGraph");
    EXPECT_EQ(ErrorOf([&] { graphfile::ReadMarksInfo(r, g, 0); }),
              "internal filing error2: TPlotGraph");
}

TEST(GraphFiling, MarksInfoRoundTrip) {
    TPlotGraph a;
    a.AddMark({.ID = 4, .X1Value = 2, .Caption = "four", .MarkPosition = 3});
    a.AddMark({.ID = -1, .Caption = "minus"});
    TPlotGraph b;
    graphfile::LoadFiledSeries(b, graphfile::SaveFiledSeries(a));
    EXPECT_EQ(b.Marks(), a.Marks());
    EXPECT_TRUE(b.SeriesList().empty());
}

} // namespace
