#include "WindowDriver.h"

#include "DiagramWindow.h"
#include "FloatText.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

namespace {

class DiagramWindow : public TWindowDriver {};

// Rosenzweig-MacArthur: the coexistence equilibrium has N1 = m/(A(e - mH)) =
// 150/11 for every K, and loses its stability in a Hopf bifurcation at
// K = 1/(AH) + 2 N1 = 1400/11, where the cycles begin.
constexpr double kN1 = 150.0 / 11;
constexpr double kHopf = 1400.0 / 11;

// The line series holding points of the coexistence equilibrium, by
// stability: the smallest and largest K of those points.
struct TSpan {
    double low = 1e300, high = -1e300;
};

TEST_F(DiagramWindow, FollowsTheParadoxOfEnrichmentAndAClickSetsTheParameter) {
    form.LoadModelSettings(TARNIVELL_EXAMPLES "/paradox-of-enrichment.ini");
    ASSERT_EQ(Cell(1, 0), "K");
    QStringList density;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QComboBox*>("ParameterBox")->setCurrentText("K");
        auto* densities = dialog->findChild<QComboBox*>("DensityBox");
        for (int i = 0; i < densities->count(); ++i)
            density << densities->itemText(i);
        densities->setCurrentText("N1");
        dialog->findChild<QLineEdit*>("FromEdit")->setText("50");
        dialog->findChild<QLineEdit*>("ToEdit")->setText("200");
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    form.Diagram1->trigger();
    EXPECT_EQ(density, (QStringList{"N1", "N2"}));
    auto* window = form.findChild<TDiagramWindow*>();
    ASSERT_NE(window, nullptr);
    window->show();
    // The window answers events while the branches are worked out.
    const QDeadlineTimer deadline(60000);
    while (!window->Done() && !deadline.hasExpired())
        QTest::qWait(20);
    ASSERT_TRUE(window->Done());
    EXPECT_TRUE(window->Result().error.empty());

    TSpan stable, unstable;
    int cyclePoints = 0;
    for (const auto& s : window->PlotGraph1->SeriesList()) {
        for (const auto& point : s->Points()) {
            if (s->ShowPoints() && !s->ShowLine()) {
                // Cycles exist beyond the Hopf point only.
                EXPECT_GT(point.X, kHopf - 1e-6);
                ++cyclePoints;
            } else if (std::abs(point.Y - kN1) < 1e-6) {
                TSpan& span = s->LineStyle() == 0 ? stable : unstable;
                span.low = std::min(span.low, point.X);
                span.high = std::max(span.high, point.X);
            }
        }
    }
    EXPECT_GT(cyclePoints, 10);
    EXPECT_NEAR(stable.low, 50, 1e-9);
    EXPECT_NEAR(stable.high, kHopf, 1e-6);
    EXPECT_NEAR(unstable.low, kHopf, 1e-6);
    EXPECT_NEAR(unstable.high, 200, 1e-9);
    int hopfMarks = 0;
    for (const TMark& mark : window->PlotGraph1->Marks())
        if (mark.Caption == "H") {
            ++hopfMarks;
            EXPECT_NEAR(mark.X1Value, kHopf, 1e-6);
            EXPECT_NEAR(mark.Y1Value, kN1, 1e-6);
        }
    EXPECT_EQ(hopfMarks, 1);

    // The data go out as --continue prints them, the Hopf point among them.
    QTemporaryDir dir;
    gDialogs.chosenFile = dir.filePath("branches.csv");
    window->ExportData1->trigger();
    QFile file(gDialogs.chosenFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines[0], "branch,object,K,N1,N2,N1min,N1max,N2min,N2max,period,stable,label");
    int hopfRows = 0;
    for (const QString& line : lines)
        if (line.endsWith(",hopf supercritical")) {
            ++hopfRows;
            EXPECT_NEAR(TextToFloat(line.section(',', 2, 2).toStdString()), kHopf, 1e-6);
        }
    EXPECT_EQ(hopfRows, 1);

    // A click at K = 150 moves K's slider there, as far as a pixel can tell.
    TPlotGraph& graph = *window->PlotGraph1;
    const QPoint at(graph.XToPixel(150), graph.PlotRect().center().y());
    const double pixel = std::abs(graph.PixelToX(at.x() + 1) - graph.PixelToX(at.x()));
    QTest::mouseClick(&graph, Qt::LeftButton, Qt::NoModifier, at);
    const double k = TextToFloat(Cell(1).toStdString());
    EXPECT_NEAR(k, 150, pixel);
    const TMark& line = graph.Marks().front();
    EXPECT_EQ(line.ID, TDiagramWindow::kValueMark);
    EXPECT_EQ(line.X1Value, k);

    // Another parameter's slider moved twice in a row: the diagram is worked
    // out again for the last value, where the Hopf point lies at
    // K = 70/(11 A).
    ASSERT_EQ(Cell(2, 0), "A");
    Slider(2)->setValue(Slider(2)->value() + 150);
    Slider(2)->setValue(Slider(2)->value() + 150);
    const double a = TextToFloat(Cell(2).toStdString());
    ASSERT_GT(70 / (11 * a), 50);
    const QDeadlineTimer again(60000);
    do
        QTest::qWait(20);
    while (!window->Done() && !again.hasExpired());
    ASSERT_TRUE(window->Done());
    std::vector<double> hopf;
    for (const TMark& mark : graph.Marks())
        if (mark.Caption == "H") hopf.push_back(mark.X1Value);
    ASSERT_EQ(hopf.size(), 1u);
    EXPECT_NEAR(hopf[0], 70 / (11 * a), 1e-6);
    EXPECT_EQ(graph.Marks().front().X1Value, k);
    delete window;
}

} // namespace
