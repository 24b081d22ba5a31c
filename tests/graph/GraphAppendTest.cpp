// Points appended one by one while PreventFlicker is on must leave on screen
// exactly the picture a full redraw of the same data gives, whatever the
// series looks like; and the window's kind of series must get there without
// full redraws.
#include "Appearance.h"
#include "Axis.h"
#include "DrawSeriesStatistics.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "QtColor.h"
#include "Series.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>

namespace {

struct AppendCase {
    std::string name;
    std::function<void(TPlotGraph&, TSeries&)> setup;
    bool drawsOnlyTheTail; // every append without a full redraw
};

void Symbols(TSeries& s, int shape, bool filled) {
    s.SetShowPoints(true);
    s.SetPointShape(shape);
    s.SetFillPoints(filled);
    s.SetPointSize(6);
}

std::vector<AppendCase> Cases() {
    std::vector<AppendCase> cases;
    for (int style = 0; style <= 4; ++style)
        cases.push_back({"pen style " + std::to_string(style),
                         [style](TPlotGraph&, TSeries& s) { s.SetLineStyle(style); }, style == 0});
    for (int shape = sh_Square; shape <= sh_Bar; ++shape)
        for (bool filled : {true, false})
            cases.push_back({"shape " + std::to_string(shape) + (filled ? " filled" : " hollow"),
                             [shape, filled](TPlotGraph&, TSeries& s) {
                                 Symbols(s, shape, filled);
                                 s.SetBarWidth(0.03);
                             },
                             shape <= sh_Cross});
    cases.push_back({"two colours",
                     [](TPlotGraph&, TSeries& s) {
                         Symbols(s, sh_Circle, true);
                         s.SetPointColor(clBlue);
                     },
                     true});
    cases.push_back({"symbols alone",
                     [](TPlotGraph&, TSeries& s) {
                         Symbols(s, sh_Diamond, false);
                         s.SetShowLine(false);
                     },
                     true});
    for (int kind = 1; kind <= 7; ++kind)
        cases.push_back({"regression " + std::to_string(kind),
                         [kind](TPlotGraph&, TSeries& s) {
                             s.SetRegressionType(kind);
                             s.SetRegressionLineColor(clBlack);
                         },
                         false});
    for (int mode = bm_Fixed; mode <= bm_All; ++mode)
        cases.push_back({"bound lines " + std::to_string(mode),
                         [mode](TPlotGraph&, TSeries& s) {
                             s.SetBoundsMode(mode);
                             s.SetUpperBound(8);
                             s.SetLowerBound(2);
                             s.SetBoundLineMode(0);
                         },
                         false});
    for (bool after : {false, true})
        cases.push_back({after ? "mark after" : "mark before",
                         [after](TPlotGraph& g, TSeries&) {
                             g.Appearance().SetShowMarks(true);
                             g.AddMark({.ID = 1,
                                        .X1Value = 1,
                                        .Y1Value = 5,
                                        .X2Value = 9,
                                        .Y2Value = 6,
                                        .Color = clBlack,
                                        .Caption = QStringLiteral("Threshold"),
                                        .TypeOfMark = 3,
                                        .WhenDrawn = after});
                         },
                         !after});
    cases.push_back({"auto-sized axes",
                     [](TPlotGraph& g, TSeries&) {
                         for (TAxis* a : {&g.XAxis(), &g.YAxis()}) {
                             a->SetAutoSizing(true);
                             a->SetAutoStepping(true);
                         }
                     },
                     false});
    cases.push_back({"legend over the data",
                     [](TPlotGraph& g, TSeries& s) {
                         s.SetShowInLegend(le_NameLineSymbol);
                         g.Legend().setLeft(120);
                         g.Legend().setTop(60);
                         g.Legend().setVisible(true);
                     },
                     true});
    // The series drawn after the appended one, in every look it may have.
    const struct {
        const char* name;
        std::function<void(TSeries&)> look;
        bool drawsOnlyTheTail;
    } later[] = {{"dashed", [](TSeries& t) { t.SetLineStyle(1); }, true},
                 {"steps", [](TSeries& t) { Symbols(t, sh_Step, true); }, true},
                 {"bars",
                  [](TSeries& t) {
                      Symbols(t, sh_Bar, false);
                      t.SetBarWidth(0.1);
                  },
                  true},
                 {"fixed bound lines",
                  [](TSeries& t) {
                      t.SetBoundsMode(bm_Fixed);
                      t.SetUpperBound(7);
                      t.SetLowerBound(3);
                  },
                  true},
                 {"a regression", [](TSeries& t) { t.SetRegressionType(1); }, false}};
    for (const auto& l : later)
        cases.push_back({std::string("later series: ") + l.name,
                         [look = l.look](TPlotGraph& g, TSeries&) { look(g.GetSeries(2)); },
                         l.drawsOnlyTheTail});
    cases.push_back({"off the plot",
                     [](TPlotGraph& g, TSeries& s) {
                         Symbols(s, sh_Square, false);
                         g.Appearance().SetPlotOffGraph(true);
                         g.YAxis().SetMax(8);
                     },
                     true});
    return cases;
}

// The full redraw of what the graph holds now, beside the screen.
QImage FullRedraw(TPlotGraph& g) {
    QImage img(g.size(), QImage::Format_RGB32);
    g.DrawToBitmap(img);
    return img;
}

TEST(GraphAppend, EveryAppendedPointLeavesTheFullRedrawPicture) {
    for (const AppendCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        TPlotGraph g;
        g.resize(300, 200);
        g.StatisticsPainter = DrawSeriesStatistics;
        g.Appearance().SetPreventFlicker(true);
        g.Appearance().SetBackgroundColor(clWhite);
        for (TAxis* a : {&g.XAxis(), &g.YAxis()}) {
            a->SetMin(0);
            a->SetMax(10);
        }
        // A second series drawn after the first, crossing it: its line and
        // hollow circles must stay on top where they cross.
        TSeries& after = g.GetSeries(2);
        after.SetLineStyle(0);
        after.SetLineColor(clRed);
        Symbols(after, sh_Circle, false);
        after.SetPointColor(clRed);
        after.SetHold(true);
        for (int i = 0; i <= 60; ++i)
            after.AddPoint(i * 10.0 / 60, 5 + 4 * std::sin(i * 0.3));
        after.SetHold(false);
        TSeries& s = g.GetSeries(1);
        s.SetShowPoints(false);
        s.SetLineColor(clGreen);
        s.SetPointColor(clGreen);
        s.SetLineStyle(0);
        c.setup(g, s);
        s.AddPoint(0.3, 5);
        g.RequestRepaint(TPlotGraph::TRepaintKind::Full);

        std::mt19937 rng(7);
        std::uniform_real_distribution<double> step(-1.2, 1.2);
        double y = 5;
        const int fullBefore = g.FullRepaintCount();
        for (int i = 1; i <= 200; ++i) {
            y = std::clamp(y + step(rng), 0.5, 9.5);
            s.AddPoint(0.3 + i * 0.045, y);
            if (i % 25 == 0 || i == 200) {
                const QImage screen = g.BackBuffer().convertToFormat(QImage::Format_RGB32);
                if (screen != FullRedraw(g)) {
                    ADD_FAILURE() << "differs from a full redraw after point " << i;
                    break;
                }
            }
        }
        if (c.drawsOnlyTheTail) {
            EXPECT_EQ(g.FullRepaintCount(), fullBefore);
        }
    }
}

} // namespace
