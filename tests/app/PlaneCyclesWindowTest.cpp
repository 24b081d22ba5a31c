// The limit cycles on the window's phase plane: found off the window thread
// and drawn when they come, hidden by View > Limit cycles, never drawn for a
// model that has changed since they were asked for, listed by View > Limit
// cycles..., and named in the status bar when a run settles onto one.
#include "WindowDriver.h"

#include "Axis.h"
#include "CyclesCommand.h"
#include "FloatEdit.h"
#include "FloatText.h"
#include "GraphViews.h"
#include "LimitCycleText.h"
#include "LimitCyclesDialog.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "PlaneController.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <sstream>

namespace {

const QString kHollingTanner = TARNIVELL_EXAMPLES "/holling-tanner-cycle.ini";
const QString kEnrichment = TARNIVELL_EXAMPLES "/paradox-of-enrichment.ini";
const QString kLotkaVolterra = TARNIVELL_EXAMPLES "/lotka-volterra.ini";
const QString kCompetition = TARNIVELL_EXAMPLES "/competition-exclusion.ini";
constexpr int kPatience = 10000; // ms a search may take on a busy machine

class PlaneCyclesWindow : public TWindowDriver {
protected:
    // The model loaded, reset (the axes framing its equilibria and start) and its
    // plane shown alone.
    void ShowPlaneOf(const QString& file) {
        form.LoadModelSettings(file);
        form.ButtonClearClick();
        form.show();
        form.Views1->SetView(TGraphViews::vw_PhasePlane);
        QApplication::processEvents();
        ASSERT_TRUE(form.PlotGraph2->MetricsOK());
    }
    TPlaneController& Plane() { return *form.PlaneController1; }
    bool WaitForCycles() {
        return QTest::qWaitFor([&] { return Plane().Cycles() != nullptr; }, kPatience);
    }
    const std::vector<TPlaneCycle>& Drawn() const { return form.PlotGraph2->Figure().cycles; }
    // The rows --cycles prints for a model file.
    std::vector<std::vector<double>> CommandRows(const QString& file) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCycles({file.toStdString()}, out, err), 0) << err.str();
        std::istringstream lines(out.str());
        std::string line;
        std::getline(lines, line);
        std::vector<std::vector<double>> rows;
        while (std::getline(lines, line)) {
            std::istringstream cells(line);
            std::vector<double> row;
            for (std::string cell; std::getline(cells, cell, ',') && row.size() < 8;)
                row.push_back(TextToFloat(cell));
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(PlaneCyclesWindow, TheCycleIsDrawnWhenFoundAndTheStatusBarNamesItOnceARunIsOnIt) {
    ShowPlaneOf(kHollingTanner);
    ASSERT_TRUE(WaitForCycles());
    ASSERT_EQ(Drawn().size(), 1u);
    const TPlaneCycle& drawn = Drawn()[0];
    EXPECT_FALSE(drawn.dashed);
    const auto rows = CommandRows(kHollingTanner);
    ASSERT_EQ(rows.size(), 1u);
    const double period = rows[0][2];
    EXPECT_NEAR(Plane().Cycles()->cycles.at(0).period, period, 1e-6 * period);
    EXPECT_TRUE(drawn.tip.contains("stable")) << drawn.tip.toStdString();
    EXPECT_TRUE(drawn.tip.contains(QString::number(period, 'g', 6))) << drawn.tip.toStdString();
    // Before a run the range shown grows to the whole cycle.
    const TAxis &x = form.PlotGraph2->XAxis(), &y = form.PlotGraph2->YAxis();
    for (const QPointF& p : drawn.path)
        ASSERT_TRUE(x.Min() <= p.x() && p.x() <= x.Max() && y.Min() <= p.y() && p.y() <= y.Max())
            << p.x() << " " << p.y();
    // The tip of the line under the mouse.
    const QPointF on = drawn.path.at(0);
    const QPoint at(form.PlotGraph2->XToPixel(on.x()), form.PlotGraph2->YToPixel(on.y()));
    ASSERT_NE(form.PlotGraph2->CycleAt(at), nullptr);
    EXPECT_EQ(form.PlotGraph2->CycleAt(at)->tip, drawn.tip);

    // View > Limit cycles hides them and shows them again.
    ASSERT_TRUE(form.Cycles1->isChecked());
    form.Cycles1->trigger();
    EXPECT_FALSE(form.PlotGraph2->Look().showCycles);
    EXPECT_EQ(form.PlotGraph2->CycleAt(at), nullptr);
    form.Cycles1->trigger();
    EXPECT_TRUE(form.PlotGraph2->Look().showCycles);

    // A run started on the cycle is on it from the first refresh; one
    // started halfway between it and the unstable equilibrium inside it is
    // not, half a period on. The plane stays on the box it shows (as after a
    // zoom) rather than follow the runs.
    for (TAxis* axis : {&form.PlotGraph2->XAxis(), &form.PlotGraph2->YAxis()})
        axis->SetAutoSizing(false);
    struct Case {
        double n1, n2;
        bool settled;
    };
    const auto& equilibria = Plane().Analysis().Equilibria().points;
    const auto inside = std::find_if(equilibria.begin(), equilibria.end(),
                                     [](const TEquilibrium& e) { return e.n1 > 0 && e.n2 > 0; });
    ASSERT_NE(inside, equilibria.end());
    const Case cases[] = {{rows[0][0], rows[0][1], true},
                          {(rows[0][0] + inside->n1) / 2, (rows[0][1] + inside->n2) / 2, false}};
    for (const Case& c : cases) {
        form.N1Edit->SetValue(c.n1);
        form.N1Edit->setModified(true);
        form.N2Edit->SetValue(c.n2);
        form.N2Edit->setModified(true);
        form.ButtonStartPauseClick();
        ASSERT_TRUE(form.Running());
        ASSERT_TRUE(WaitForCycles()); // of the model the run has bound
        ASSERT_EQ(Plane().Cycles()->cycles.size(), 1u);
        for (int i = 0; i < 100; ++i)
            form.Timer1Timer();
        form.Timer2Timer();
        EXPECT_EQ(form.statusBar()->currentMessage().toStdString(),
                  (c.settled ? SettledNote(period) : QString()).toStdString());
        form.ButtonStartPauseClick();
    }
    form.close();
    EXPECT_TRUE(gDialogs.errors.empty());
}

// A stand-in finder that holds each search back until the test lets it go,
// and then ignores its cancel, as a search too far on to notice it would.
// The worker shares the gate, so that a search let go as the test ends finds
// it still there.
class THeldSearches {
public:
    explicit THeldSearches(TCycleWorker& worker) {
        worker.SetFinder([gate = gate_](TCompiledModel& model, const TPlaneRect& box,
                                        const TEquilibria& equilibria,
                                        const TCycleOptions& options) {
            {
                std::unique_lock lock(gate->mutex);
                const int me = ++gate->entered;
                gate->changed.notify_all();
                gate->changed.wait(lock, [&] { return gate->released >= me; });
            }
            TCycleOptions heedless = options;
            heedless.cancel = nullptr;
            return FindLimitCycles(model, box, equilibria, heedless);
        });
    }
    // Every search goes, so that the window can join its worker.
    ~THeldSearches() { Release(1 << 30); }
    int Entered() {
        std::lock_guard lock(gate_->mutex);
        return gate_->entered;
    }
    void Release(int upTo) {
        std::lock_guard lock(gate_->mutex);
        gate_->released = upTo;
        gate_->changed.notify_all();
    }

private:
    struct TGate {
        std::mutex mutex;
        std::condition_variable changed;
        int entered = 0;
        int released = 0;
    };
    std::shared_ptr<TGate> gate_ = std::make_shared<TGate>();
};

TEST_F(PlaneCyclesWindow, ASliderMoveWhileASearchRunsNeverShowsItsStaleCycle) {
    THeldSearches held(Plane().CycleWorker());
    // K = 200: a cycle.
    ShowPlaneOf(kEnrichment);
    // Framed on what matters (N2 to about 19), not on the box searched (to 1100).
    EXPECT_LT(form.PlotGraph2->YAxis().Max(), 50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.Entered() == 1; }, kPatience));
    // K to 100 (a stable focus, no cycle) while the search of K = 200 runs.
    const long long figures = Plane().Analysis().FiguresWorkedOut();
    ASSERT_NE(Slider(1), nullptr);
    Slider(1)->setValue(250);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Plane().Analysis().FiguresWorkedOut() > figures; },
                                kPatience));
    // The search of K = 200 ends with its cycle after the move.
    held.Release(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.Entered() == 2; }, kPatience));
    QTest::qWait(50);
    EXPECT_TRUE(Drawn().empty());
    EXPECT_TRUE(form.PlotGraph2->Figure().separatrices.empty());
    EXPECT_EQ(Plane().Cycles(), nullptr);
    EXPECT_EQ(Plane().SettledPeriod(Plane().Analysis().Equilibria().box.n1Max / 10, 10),
              std::nullopt);
    // The search of K = 100 finds none.
    held.Release(2);
    ASSERT_TRUE(WaitForCycles());
    EXPECT_TRUE(Plane().Cycles()->cycles.empty());
    EXPECT_TRUE(Drawn().empty());
    EXPECT_FALSE(Plane().CycleWorker().Busy());
}

TEST_F(PlaneCyclesWindow, SeparatricesComeWithTheCyclesAndAreShownWhenAskedFor) {
    ShowPlaneOf(kCompetition);
    ASSERT_TRUE(WaitForCycles());
    // Of the saddle (0, 80): the stable manifold is the axis N1 = 0, the
    // unstable one runs into (100, 0), the winner, on one side.
    const std::vector<TSeparatrix>& found = Plane().Separatrices();
    ASSERT_EQ(found.size(), 4u);
    int intoWinner = 0;
    for (const TSeparatrix& s : found) {
        EXPECT_NEAR(s.saddleN1, 0, 1e-9);
        EXPECT_NEAR(s.saddleN2, 80, 1e-6);
        if (s.manifold == TManifold::Stable) {
            for (const TCurvePoint& p : s.path)
                ASSERT_NEAR(p.n1, 0, 1e-9);
        } else if (s.end == TSeparatrixEnd::Equilibrium) {
            ++intoWinner;
            EXPECT_NEAR(s.path.back().n1, 100, 0.1);
            EXPECT_NEAR(s.path.back().n2, 0, 0.1);
        }
    }
    EXPECT_EQ(intoWinner, 1);
    // In the figure, but drawn only once View > Separatrices is checked.
    ASSERT_EQ(form.PlotGraph2->Figure().separatrices.size(), 4u);
    EXPECT_FALSE(form.Separatrices1->isChecked());
    EXPECT_FALSE(form.PlotGraph2->Look().showSeparatrices);
    form.Separatrices1->trigger();
    EXPECT_TRUE(form.PlotGraph2->Look().showSeparatrices);
}

TEST_F(PlaneCyclesWindow, TheListShowsTheCyclesOrACentreAndCopies) {
    struct Case {
        QString file;
        int rows;
        QString message;
    };
    const Case cases[] = {
        {kHollingTanner, 1, ""},
        {kLotkaVolterra, 0, kCentreNote},
    };
    for (const Case& c : cases) {
        ShowPlaneOf(c.file);
        int rows = -1;
        QString message, copied;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<TLimitCyclesDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            // The list fills in when the search asked for by the menu ends.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return dialog->Message()->text() != TLimitCyclesDialog::kSearching; },
                kPatience));
            rows = dialog->Table()->rowCount();
            message = dialog->Message()->text();
            dialog->findChild<QPushButton*>("CopyButton")->click();
            copied = QApplication::clipboard()->text();
            dialog->reject();
        });
        form.LimitCycles1->trigger();
        EXPECT_EQ(rows, c.rows) << c.file.toStdString();
        EXPECT_EQ(message, c.message) << c.file.toStdString();
        const QStringList lines = copied.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), c.rows + 1);
        EXPECT_EQ(lines[0], "N1\tN2\tperiod\tN1min\tN1max\tN2min\tN2max\tmultiplier\tkind");
        for (int row = 0; row < c.rows; ++row) {
            const QStringList cells = lines[row + 1].split('\t');
            ASSERT_EQ(cells.size(), 9);
            const std::vector<double> expected = CommandRows(c.file).at(std::size_t(row));
            for (int col = 2; col < 8; ++col)
                EXPECT_NEAR(TextToFloat(cells[col].toStdString()), expected[std::size_t(col)],
                            1e-6 * std::fabs(expected[std::size_t(col)]))
                    << col;
            EXPECT_EQ(cells[8], "stable");
        }
    }
}

} // namespace
