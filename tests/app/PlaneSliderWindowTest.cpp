// The phase plane following the parameter sliders: where its equilibria go,
// how often it is worked out during a drag, and a hidden plane.
#include "WindowDriver.h"

#include "GraphViews.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "PlaneController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSlider>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// a = 0.5, b = 0.02, c = 0.5, d = 0.01: the coexistence point is (c/d, a/b),
// and every slider spans 0 to twice its value in 1000 positions.
const QString kPredatorPrey = TARNIVELL_EXAMPLES "/predator-prey.ini";

class PlaneSliderWindow : public TWindowDriver {
protected:
    void SetUp() override {
        form.LoadModelSettings(kPredatorPrey);
        form.show();
        form.Views1->SetView(TGraphViews::vw_Both);
        QApplication::processEvents();
    }
    long long Figures() const { return form.PlaneController1->Analysis().FiguresWorkedOut(); }
    // Waits for the plane's next figure, then a few ticks more for any other.
    void WaitForFigure(long long before) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return Figures() > before; }, 2000));
        QTest::qWait(4 * TPlaneController::kTick);
    }
    // The distance from (n1, n2) to the nearest equilibrium marker on show.
    double MissBy(double n1, double n2) {
        double best = std::numeric_limits<double>::infinity();
        for (const TPlaneMarker& m : form.PlotGraph2->Figure().markers)
            best = std::min(best, std::hypot(m.at.x() - n1, m.at.y() - n2));
        return best;
    }
};

enum class TBefore { Nothing, Refresh, Paused, Running };

struct TMoveCase {
    const char* what;
    TBefore before;
    int row;
    int position;
    double n1, n2; // the coexistence point after the move
    bool editRate = false;
};

class PlaneFollowsAMove : public PlaneSliderWindow,
                          public ::testing::WithParamInterface<TMoveCase> {};

// The plane shows the model of the last Start or Refresh with the moved
// value; a rate typed since and not compiled stays out of it.
TEST_P(PlaneFollowsAMove, ToTheClosedFormEquilibrium) {
    const TMoveCase& c = GetParam();
    switch (c.before) {
    case TBefore::Nothing:
        break;
    case TBefore::Refresh:
        form.Refresh1Click();
        break;
    case TBefore::Paused:
        form.ButtonStartPauseClick();
        form.ButtonStartPauseClick();
        break;
    case TBefore::Running:
        form.ButtonStartPauseClick();
        break;
    }
    QApplication::processEvents();
    if (c.editRate) form.Rate2->setText("-c*N2 + 2*d*N1*N2");
    ASSERT_NE(Slider(c.row), nullptr);
    const long long before = Figures();
    Slider(c.row)->setValue(c.position);
    WaitForFigure(before);
    EXPECT_LT(MissBy(c.n1, c.n2), 1e-6 * c.n1) << c.what;
    // The old point is gone, not kept from an earlier search.
    EXPECT_GT(MissBy(50, 25), 1) << c.what;
    EXPECT_EQ(form.Running(), c.before == TBefore::Running) << c.what;
    form.Pause();
}

INSTANTIATE_TEST_SUITE_P(
    Sliders, PlaneFollowsAMove,
    ::testing::Values(
        TMoveCase{"a to 0.6 before anything was bound", TBefore::Nothing, 0, 600, 50, 30},
        TMoveCase{"c to 0.3 after a Refresh", TBefore::Refresh, 2, 300, 30, 25},
        TMoveCase{"b to 0.025 while paused", TBefore::Paused, 1, 625, 50, 20},
        TMoveCase{"d to 0.0125 while running", TBefore::Running, 3, 625, 40, 25},
        TMoveCase{"a to 0.4 while paused, a rate edited", TBefore::Paused, 0, 400, 50, 20, true}));

// A burst of moves before the loop turns makes one figure, of the last
// value; a drag with the loop turning makes no more than one per tick.
TEST_F(PlaneSliderWindow, MovesMakeAFigurePerTickEndingOnTheLastValue) {
    form.Refresh1Click();
    QApplication::processEvents();
    long long before = Figures();
    for (int position = 500; position <= 700; position += 10)
        Slider(0)->setValue(position);
    EXPECT_EQ(Figures(), before);
    WaitForFigure(before);
    EXPECT_EQ(Figures(), before + 1);
    EXPECT_LT(MissBy(50, 35), 1e-6);

    before = Figures();
    QElapsedTimer clock;
    clock.start();
    int moves = 0;
    for (int position = 700; position >= 300; position -= 5, ++moves) {
        Slider(2)->setValue(position);
        QApplication::processEvents();
    }
    const long long ticks = clock.elapsed() / TPlaneController::kTick;
    WaitForFigure(before);
    const long long figures = Figures() - before;
    EXPECT_LE(figures, ticks + 2);
    EXPECT_LT(figures, moves);
    EXPECT_LT(MissBy(30, 35), 1e-6);
    // A slider of a row the plane's model does not have asks for nothing.
    before = Figures();
    SetRow(5, "e", "1");
    ASSERT_NE(Slider(5), nullptr);
    Slider(5)->setValue(100);
    QTest::qWait(4 * TPlaneController::kTick);
    EXPECT_EQ(Figures(), before);
}

// A hidden plane is not worked out however the sliders move, and is right
// once shown.
TEST_F(PlaneSliderWindow, AHiddenPlaneCatchesUpWhenShown) {
    form.Views1->SetView(TGraphViews::vw_TimePlot);
    form.Refresh1Click();
    QApplication::processEvents();
    const long long before = Figures();
    for (int position : {100, 300, 800}) {
        Slider(0)->setValue(position);
        QTest::qWait(3 * TPlaneController::kTick);
    }
    EXPECT_EQ(Figures(), before);
    form.Views1->SetView(TGraphViews::vw_Both);
    QApplication::processEvents();
    // Laying the plane out again may take a draw more; the moves took none.
    EXPECT_GE(Figures(), before + 1);
    EXPECT_LT(MissBy(50, 40), 1e-6);
}

} // namespace
