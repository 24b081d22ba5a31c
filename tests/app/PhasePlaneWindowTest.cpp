// The window's phase plane: the View menu and its memory, the trajectory a
// run draws, a click that starts a run, the model the plane shows and the
// Equilibria table.
#include "WindowDriver.h"

#include "AnimTimer.h"
#include "Axis.h"
#include "EquilibriaDialog.h"
#include "FloatEdit.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "Series.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class PhasePlaneWindow : public TWindowDriver {
protected:
    // Shows the plane alone, laid out and drawn.
    void ShowPlane() {
        form.show();
        form.Views1->SetView(TGraphViews::vw_PhasePlane);
        QApplication::processEvents();
        ASSERT_TRUE(form.PlotGraph2->MetricsOK());
    }
    void ClickAt(double n1, double n2) {
        const QPoint at(form.PlotGraph2->XToPixel(n1), form.PlotGraph2->YToPixel(n2));
        QTest::mouseClick(form.PlotGraph2, Qt::LeftButton, Qt::NoModifier, at);
    }
    // The point at these shares of the axes' present ranges.
    void ClickInto(double shareX, double shareY) {
        const TAxis& x = form.PlotGraph2->XAxis();
        const TAxis& y = form.PlotGraph2->YAxis();
        ClickAt(x.Min() + (x.Max() - x.Min()) * shareX, y.Min() + (y.Max() - y.Min()) * shareY);
    }
    std::vector<std::pair<double, double>> PiecePoints(int piece) {
        std::vector<std::pair<double, double>> points;
        for (const TDataPoint& p : form.PlotGraph2->SeriesList().at(piece)->Points())
            points.emplace_back(p.X, p.Y);
        return points;
    }
};

TEST_F(PhasePlaneWindow, TheViewMenuShowsEachViewAndTheSettingsFileKeepsIt) {
    const QString file = QDir::current().filePath("Tarnivell.ini");
    QFile::remove(file);
    QMenu* menu = nullptr;
    for (QAction* a : form.menuBar()->actions())
        if (a->text() == "View") menu = a->menu();
    ASSERT_NE(menu, nullptr);
    QStringList captions;
    for (QAction* a : menu->actions())
        captions << a->text();
    EXPECT_EQ(captions, QStringList({"Time plot", "Phase plane", "Both", "", "Direction field",
                                     "Limit cycles", "Separatrices", "Refresh",
                                     QString::fromUtf8("Equilibria\u2026"),
                                     QString::fromUtf8("Limit cycles\u2026")}));

    struct Case {
        TGraphViews::TView view;
        bool time, plane;
        TPlotGraph* current; // what Print, Copy and Save as bitmap act on
    };
    const Case cases[] = {
        {TGraphViews::vw_PhasePlane, false, true, form.PlotGraph2},
        {TGraphViews::vw_Both, true, true, form.PlotGraph1},
        {TGraphViews::vw_TimePlot, true, false, form.PlotGraph1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.view));
        {
            TForm1 window;
            window.show();
            EXPECT_EQ(window.Views1->View(), TGraphViews::vw_TimePlot);
            window.Views1->ViewAction(c.view)->trigger();
            window.close();
        }
        TForm1 again;
        again.show();
        EXPECT_EQ(again.Views1->View(), c.view);
        EXPECT_TRUE(again.Views1->ViewAction(c.view)->isChecked());
        EXPECT_EQ(again.PlotGraph1->isVisible(), c.time);
        EXPECT_EQ(again.PlotGraph2->isVisible(), c.plane);
        if (c.time && c.plane) {
            QApplication::processEvents();
            EXPECT_NEAR(again.PlotGraph1->width(), again.PlotGraph2->width(), 10);
        }
        // A graph not shown does not draw.
        EXPECT_EQ(again.PlotGraph1->Plotting(), c.time);
        EXPECT_EQ(again.PlotGraph2->Plotting(), c.plane);
        EXPECT_EQ(&again.Views1->Current(), c.current == form.PlotGraph1
                                                ? static_cast<TPlotGraph*>(again.PlotGraph1)
                                                : again.PlotGraph2);
        again.close();
        QFile::remove(file);
    }
    // The split halves the room; the graph last clicked is the one the
    // commands act on.
    form.resize(800, 600);
    form.show();
    form.Views1->SetView(TGraphViews::vw_Both);
    QApplication::processEvents();
    EXPECT_NEAR(form.PlotGraph1->width(), form.PlotGraph2->width(), 10);
    QTest::mousePress(form.PlotGraph2, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(&form.Views1->Current(), form.PlotGraph2);
    form.close();
    QFile::remove(file);
    EXPECT_TRUE(gDialogs.errors.empty());
}

TEST_F(PhasePlaneWindow, TheRunDrawsItsTrajectoryInTimeOrderAndHeldAtTopSpeed) {
    // A rotation: N1 goes back and forth, so x order would scramble the path.
    form.Rate1->setText("-N2");
    form.Rate2->setText("N1");
    form.dtEdit->SetValue(0.5);
    form.dtEdit->setModified(true);
    form.ButtonStartPauseClick();
    std::vector<std::pair<double, double>> states{{form.Sim.N1, form.Sim.N2}};
    for (int i = 0; i < 20; ++i) {
        form.Timer1Timer();
        states.emplace_back(form.Sim.N1, form.Sim.N2);
    }
    ASSERT_EQ(form.PlotGraph2->SeriesList().size(), 1u);
    EXPECT_EQ(PiecePoints(0), states);
    // At top speed the trajectory is held with the curves and let go by the refresh.
    form.TrackBar1->setValue(form.TrackBar1->maximum());
    form.ButtonStartPauseClick();
    form.ButtonStartPauseClick();
    EXPECT_TRUE(form.PlotGraph2->Trajectory().Hold());
    EXPECT_TRUE(form.PlotGraph1->GetSeries(1).Hold());
    // Continuing from where the run stopped goes on along the same piece.
    EXPECT_EQ(form.PlotGraph2->SeriesList().size(), 1u);
    form.ButtonStartPauseClick();
    EXPECT_FALSE(form.PlotGraph2->Trajectory().Hold());
    // Reset clears it with the time plot.
    form.ButtonClearClick();
    EXPECT_TRUE(form.PlotGraph2->SeriesList().empty());
    EXPECT_EQ(form.PlotGraph1->GetSeries(1).Count(), 0);
}

TEST_F(PhasePlaneWindow, AClickWhileStoppedStartsARunFromThePointAndKeepsTheLastOne) {
    form.Rate1->setText("0.1*N1");
    form.Rate2->setText("-0.1*N2");
    ShowPlane();
    // The plane before a run frames the start (1, 1) and the equilibria, not
    // the box they are searched in (0 to 10).
    const TAxis &x = form.PlotGraph2->XAxis(), &y = form.PlotGraph2->YAxis();
    EXPECT_LT(x.Max(), 10);
    const double n1 = x.Min() + 0.4 * (x.Max() - x.Min()), n2 = y.Min() + 0.6 * (y.Max() - y.Min());
    const double width = x.Max() - x.Min(), height = y.Max() - y.Min();
    ClickAt(n1, n2);
    ASSERT_TRUE(form.Running());
    // Into the edits as if typed: the run starts from what they show.
    const QRect plot = form.PlotGraph2->PlotRect();
    EXPECT_NEAR(form.N1Edit->Value(), n1, width / plot.width());
    EXPECT_NEAR(form.N2Edit->Value(), n2, height / plot.height());
    EXPECT_EQ(form.Sim.N1, form.N1Edit->Value());
    EXPECT_EQ(form.Sim.N2, form.N2Edit->Value());
    const std::pair<double, double> start{form.Sim.N1, form.Sim.N2};
    EXPECT_EQ(PiecePoints(0), std::vector({start}));
    form.Timer1Timer();
    // A click during a run does nothing.
    ClickInto(0.5, 0.5);
    EXPECT_EQ(form.Sim.N1, start.first * 1.1);
    form.ButtonStartPauseClick(); // pause
    ASSERT_FALSE(form.Running());
    // The axes now follow the trajectory.
    ClickInto(0.25, 0.25);
    ASSERT_TRUE(form.Running());
    form.Timer1Timer();
    // A piece of its own: the last run's trajectory stays, not joined to it.
    ASSERT_EQ(form.PlotGraph2->SeriesList().size(), 2u);
    EXPECT_EQ(PiecePoints(0).size(), 2u);
    EXPECT_EQ(PiecePoints(1).size(), 2u);
    EXPECT_EQ(PiecePoints(1)[0], std::pair(form.N1Edit->Value(), form.N2Edit->Value()));
    // A Shift-click is the zoom's, not a start.
    form.ButtonStartPauseClick();
    const QPoint at(form.PlotGraph2->XToPixel(8), form.PlotGraph2->YToPixel(8));
    QTest::mouseClick(form.PlotGraph2, Qt::LeftButton, Qt::ShiftModifier, at);
    EXPECT_FALSE(form.Running());
    form.close();
    EXPECT_TRUE(gDialogs.errors.empty());
}

TEST_F(PhasePlaneWindow, ACtrlClickWhileStoppedSketchesTheOrbitThroughThePointUntilReset) {
    form.Rate1->setText("0.1*N1");
    form.Rate2->setText("-0.1*N2");
    ShowPlane();
    form.Refresh1Click();
    QApplication::processEvents();
    TPhasePlaneGraph& plane = *form.PlotGraph2;
    const TAxis &x = plane.XAxis(), &y = plane.YAxis();
    const QPoint at(plane.XToPixel(x.Min() + 0.4 * (x.Max() - x.Min())),
                    plane.YToPixel(y.Min() + 0.6 * (y.Max() - y.Min())));
    const QPointF start(plane.PixelToX(at.x()), plane.PixelToY(at.y()));
    QTest::mouseClick(&plane, Qt::LeftButton, Qt::ControlModifier, at);
    EXPECT_FALSE(form.Running());
    ASSERT_EQ(plane.Figure().sketches.size(), 1u);
    const QPolygonF sketch = plane.Figure().sketches[0];
    // N1 = a e^(t/10), N2 = b e^(-t/10): N1 N2 stays a b. Both ways the
    // orbit runs out of a view's width or height past the range shown.
    ASSERT_TRUE(sketch.contains(start));
    for (const QPointF& p : sketch)
        ASSERT_NEAR(p.x() * p.y(), start.x() * start.y(), 1e-5 * start.x() * start.y());
    EXPECT_GT(sketch.front().y(), y.Max() + (y.Max() - y.Min()));
    EXPECT_GT(sketch.back().x(), x.Max() + (x.Max() - x.Min()));
    // A Ctrl-click during a run sketches nothing; Reset clears the sketches.
    form.ButtonStartPauseClick();
    ASSERT_TRUE(form.Running());
    QTest::mouseClick(&plane, Qt::LeftButton, Qt::ControlModifier, at);
    form.ButtonStartPauseClick();
    EXPECT_EQ(plane.Figure().sketches.size(), 1u);
    form.ButtonClearClick();
    QApplication::processEvents();
    EXPECT_TRUE(plane.Figure().sketches.empty());
    EXPECT_TRUE(gDialogs.errors.empty());
}

TEST_F(PhasePlaneWindow, ThePlaneShowsTheModelOnScreenAndIsEmptyWhenItDoesNotCompile) {
    form.Rate1->setText("N1*(1 - N1/5)");
    form.Rate2->setText("N2*(2 - N2)");
    ShowPlane();
    // Nothing is bound before a run or a Refresh.
    EXPECT_TRUE(form.PlotGraph2->Figure().markers.empty());
    form.Refresh1->trigger();
    QApplication::processEvents();
    const TPlaneFigure& figure = form.PlotGraph2->Figure();
    // (0, 0), (0, 2), (5, 0) and (5, 2).
    EXPECT_EQ(figure.markers.size(), 4u);
    EXPECT_FALSE(figure.nullclines[0].empty());
    EXPECT_FALSE(figure.arrows.empty());
    // The field goes with its menu item; the rest stays.
    form.Field1->trigger();
    EXPECT_FALSE(form.PlotGraph2->Look().showField);
    form.Field1->trigger();
    EXPECT_TRUE(form.PlotGraph2->Look().showField);

    // An edit that breaks the model: Refresh reports it and the plane is empty.
    form.Rate2->setText("N2*(2 - ");
    EXPECT_THROW(form.Refresh1Click(), std::exception);
    QApplication::processEvents();
    EXPECT_TRUE(form.PlotGraph2->Figure().markers.empty());
    EXPECT_TRUE(form.PlotGraph2->Figure().nullclines[1].empty());
    // Start with it fails the same way, once, and the plane stays empty.
    EXPECT_THROW(form.ButtonStartPauseClick(), std::exception);
    QApplication::processEvents();
    EXPECT_TRUE(form.PlotGraph2->Figure().markers.empty());
    // Mended and started: the plane follows the model the run has.
    form.Rate2->setText("N2*(3 - N2)");
    form.ButtonStartPauseClick();
    form.ButtonStartPauseClick();
    QApplication::processEvents();
    std::vector<std::pair<double, double>> at;
    for (const TPlaneMarker& m : form.PlotGraph2->Figure().markers)
        at.emplace_back(m.at.x(), m.at.y());
    EXPECT_EQ(at, (std::vector<std::pair<double, double>>{{0, 0}, {0, 3}, {5, 0}, {5, 3}}));
    form.close();
}

// A loaded model's plane is shown at once, also before its first Start, and
// never the plane of the model on screen before it.
TEST_F(PhasePlaneWindow, ALoadedModelShowsItsOwnPlaneAtOnce) {
    QTemporaryDir dir;
    const auto markersOf = [](const TForm1& f) {
        std::vector<std::pair<double, double>> at;
        for (const TPlaneMarker& m : f.PlotGraph2->Figure().markers)
            at.emplace_back(m.at.x(), m.at.y());
        return at;
    };
    const QString logistic = dir.filePath("logistic.ini");
    const QString other = dir.filePath("other.ini");
    for (auto [path, text] : {std::pair{logistic, "[Species 1]\nDensity=1\nRate=N1*(1 - N1/5)\n"
                                                  "[Species 2]\nDensity=1\nRate=N2*(2 - N2)\n"},
                              std::pair{other, "[Species 1]\nDensity=1\nRate=N1*(3 - N1)\n"
                                               "[Species 2]\nDensity=1\nRate=-N2\n"}}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    ShowPlane();
    form.LoadModelSettings(logistic);
    QApplication::processEvents();
    EXPECT_EQ(markersOf(form),
              (std::vector<std::pair<double, double>>{{0, 0}, {0, 2}, {5, 0}, {5, 2}}));
    form.LoadModelSettings(other);
    QApplication::processEvents();
    EXPECT_EQ(markersOf(form), (std::vector<std::pair<double, double>>{{0, 0}, {3, 0}}));
    form.close();

    TForm1 started(logistic);
    started.show();
    started.Views1->SetView(TGraphViews::vw_PhasePlane);
    QApplication::processEvents();
    EXPECT_EQ(markersOf(started).size(), 4u);
    started.close();
}

TEST_F(PhasePlaneWindow, TheEquilibriaTableListsTheModelOnScreenAndCopies) {
    form.Rate1->setText("N1*(1 - N1/5)");
    form.Rate2->setText("N2*(2 - N2)");
    QString copied, message;
    int rows = 0;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TEquilibriaDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        rows = dialog->Table()->rowCount();
        message = dialog->Message()->text();
        dialog->findChild<QPushButton*>("CopyButton")->click();
        copied = QApplication::clipboard()->text();
        dialog->reject();
    });
    form.Equilibria1->trigger();
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(message, "");
    EXPECT_EQ(copied, "N1\tN2\tre1\tim1\tre2\tim2\tkind\n"
                      "0\t0\t1\t0\t2\t0\tunstable node\n"
                      "0\t2\t-2\t0\t1\t0\tsaddle\n"
                      "5\t0\t-1\t0\t2\t0\tsaddle\n"
                      "5\t2\t-2\t0\t-1\t0\tstable node\n");
    // A model without equilibria in reach says so.
    form.Rate1->setText("1");
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<TEquilibriaDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        rows = dialog->Table()->rowCount();
        message = dialog->Message()->text();
        dialog->reject();
    });
    form.Equilibria1->trigger();
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(message.startsWith("No equilibria")) << message.toStdString();
}

} // namespace
