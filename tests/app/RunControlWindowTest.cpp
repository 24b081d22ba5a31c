// Run > Stop at..., the clock in the status bar, and Graph > Keep this run.
#include "WindowDriver.h"

#include "FloatEdit.h"
#include "KeptRuns.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "QtColor.h"
#include "Series.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QStatusBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class RunControlWindow : public TWindowDriver {
protected:
    QString Message() { return form.statusBar()->currentMessage(); }
    QString Clock() { return form.Clock1->text(); }
    // Steps until the run pauses by itself (at most `limit` steps).
    void RunToStop(int limit = 100) {
        form.ButtonStartPauseClick();
        for (int i = 0; i < limit && form.Running(); ++i)
            form.Timer1Timer();
    }
};

// N1' = N1 from 1 with steps of 0.3 and the stop at 1: the fixed-step
// methods keep their steps and pause at 1.2, the adaptive ones end the last
// step at 1 exactly, at e there. Continued, each runs on a step from there.
TEST_F(RunControlWindow, ARunPausesAtItsStopTimeAsItsMethodAllows) {
    const struct {
        int method;
        double stop;   // where the run pauses
        double next;   // the step after a Continue
        double within; // of e^stop
        const char* message;
    } cases[] = {
        {0, 1.2, 1.5, 0.3, "Paused at t = 1.2, the first step at or after the stop time 1"},
        {1, 1.2, 1.5, 1E-4, "Paused at t = 1.2, the first step at or after the stop time 1"},
        {2, 1, 1.2, 1E-4, "Paused at the stop time, t = 1"},
        {3, 1, 1.2, 1E-3, "Paused at the stop time, t = 1"},
    };
    SetRates("N1", "0");
    SetStep("0.3");
    gDialogs.textAnswer = QStringLiteral("1");
    form.StopAt1->trigger();
    EXPECT_EQ(form.ScreenModel().stop, 1.0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        form.MethodBox->setCurrentIndex(c.method);
        form.N1Edit->setText("1");
        form.N1EditExit();
        form.ButtonClearClick();
        RunToStop();
        EXPECT_FALSE(form.Running());
        EXPECT_DOUBLE_EQ(form.Sim.t, c.stop);
        EXPECT_NEAR(form.Sim.N1, std::exp(c.stop), c.within * std::exp(c.stop));
        EXPECT_EQ(Message(), c.message);
        EXPECT_EQ(Clock(), QStringLiteral("t = %1").arg(c.stop));
        // Continued from the stop, the run goes on without asking, onto its
        // output times.
        form.ButtonStartPauseClick();
        form.Timer1Timer();
        EXPECT_TRUE(form.Running());
        EXPECT_DOUBLE_EQ(form.Sim.t, c.next);
        form.ButtonStartPauseClick();
    }
    // No stop: the run goes on until paused.
    gDialogs.textAnswer = QString();
    form.StopAt1->trigger();
    EXPECT_EQ(form.ScreenModel().stop, std::nullopt);
    form.ButtonClearClick();
    form.ButtonStartPauseClick();
    for (int i = 0; i < 10; ++i)
        form.Timer1Timer();
    EXPECT_TRUE(form.Running());
    form.ButtonStartPauseClick();
    EXPECT_TRUE(gDialogs.errors.empty());
}

// A kept run stays, lighter, through a Reset and a new run with another step,
// and is exported beside it: each kept column holds the kept curve's points
// at their own times, with empty cells at times only the other run has.
TEST_F(RunControlWindow, AKeptRunIsDrawnUnderTheNextAndExportedBesideIt) {
    // A rotation: N1 turns back, so the trajectory is not in N1 order.
    SetRates("-N2", "N1");
    SetStep("0.2");
    form.ButtonStartPauseClick();
    for (int i = 0; i < 5; ++i)
        form.Timer1Timer();
    form.ButtonStartPauseClick();
    std::vector<std::pair<double, double>> path;
    for (const TDataPoint& p : form.PlotGraph2->Trajectory().Points())
        path.emplace_back(p.X, p.Y);
    form.KeepRun1->trigger();
    const std::vector<TCurveRow> kept = form.CurvesOnShow();
    form.ButtonClearClick();
    SetStep("0.3");
    form.ButtonStartPauseClick();
    for (int i = 0; i < 3; ++i)
        form.Timer1Timer();
    form.ButtonStartPauseClick();

    for (int species : {1, 2}) {
        const TSeries* series = form.PlotGraph1->FindSeries(TKeptRuns::TimeSeries(0, species));
        ASSERT_NE(series, nullptr);
        EXPECT_EQ(series->Points().size(), kept.size());
        const QColor own = ToQColor(S(species).LineColor());
        const QColor shade = ToQColor(series->LineColor());
        EXPECT_GT(shade.lightness(), own.lightness());
        EXPECT_EQ(series->ShowInLegend(), le_None);
    }
    const TSeries* piece = form.PlotGraph2->FindSeries(TKeptRuns::PlaneSeries(0, 0));
    ASSERT_NE(piece, nullptr);
    std::vector<std::pair<double, double>> keptPath;
    for (const TDataPoint& p : piece->Points())
        keptPath.emplace_back(p.X, p.Y);
    EXPECT_EQ(keptPath, path);
    EXPECT_EQ(path.size(), 6u);
    EXPECT_EQ(form.PlotGraph2->Trajectory().Points().size(), 4u); // the new run's own

    QTemporaryDir dir;
    gDialogs.chosenFile = dir.filePath("runs.csv");
    form.ExportData1->trigger();
    QFile file(gDialogs.chosenFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(lines[0], "t,N1,N2,N1 (kept 1),N2 (kept 1)");
    const std::vector<TCurveRow> now = form.CurvesOnShow();
    // Times 0, 0.2, 0.3, 0.4, 0.6 (both), 0.8, 0.9, 1.
    ASSERT_EQ(lines.size(), 9);
    // Written with 15 significant digits.
    const auto same = [](const QString& cell, double value) {
        EXPECT_NEAR(cell.toDouble(), value, 1E-14 * std::abs(value)) << value;
    };
    std::size_t k = 0, n = 0;
    for (int i = 1; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].toStdString());
        const QStringList cells = lines[i].split(',');
        ASSERT_EQ(cells.size(), 5);
        const double t = cells[0].toDouble();
        const bool inNow = n < now.size() && std::abs(now[n].t - t) < 1E-12;
        const bool inKept = k < kept.size() && std::abs(kept[k].t - t) < 1E-12;
        ASSERT_TRUE(inNow || inKept);
        EXPECT_EQ(cells[1].isEmpty(), !inNow);
        EXPECT_EQ(cells[3].isEmpty(), !inKept);
        if (inNow) {
            same(cells[1], now[n].N1);
            same(cells[2], now[n++].N2);
        }
        if (inKept) {
            same(cells[3], kept[k].N1);
            same(cells[4], kept[k++].N2);
        }
    }
    EXPECT_EQ(k, kept.size());
    EXPECT_EQ(n, now.size());

    form.ClearKept1->trigger();
    EXPECT_EQ(form.PlotGraph1->FindSeries(TKeptRuns::TimeSeries(0, 1)), nullptr);
    EXPECT_EQ(form.PlotGraph2->FindSeries(TKeptRuns::PlaneSeries(0, 0)), nullptr);
    form.ExportData1->trigger();
    QFile again(gDialogs.chosenFile);
    ASSERT_TRUE(again.open(QIODevice::ReadOnly));
    EXPECT_TRUE(again.readLine().startsWith("t,N1,N2\n"));
    EXPECT_TRUE(gDialogs.errors.empty());
}

} // namespace
