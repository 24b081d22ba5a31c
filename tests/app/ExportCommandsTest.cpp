// Graph > Save picture..., File > Export data... and what Copy places.
#include "WindowDriver.h"

#include "FloatEdit.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

class ExportCommands : public TWindowDriver {
protected:
    void SetUp() override {
        form.resize(625, 503);
        form.show();
        SetRates("0.3*N1-0.01*N1*N2", "-0.2*N2+0.004*N1*N2");
        SetStep("0.1");
        form.ButtonStartPauseClick();
        for (int i = 0; i < 30; ++i)
            form.Timer1Timer();
    }
    QTemporaryDir dir;
};

TEST_F(ExportCommands, SavePictureAsksTheSizeOfRastersOnlyAndWritesTheGraphOnShow) {
    const QSize screen = form.GraphOnShow().size();
    const struct {
        const char* file;
        int item;                 // the size answered, -1 cancels
        std::optional<QSize> png; // the PNG expected
        bool asked;
    } cases[] = {
        {"a.png", 0, screen, true},        {"b.png", 2, screen * 4, true},
        {"c.png", -1, std::nullopt, true}, {"d.svg", 0, std::nullopt, false},
        {"e.pdf", 0, std::nullopt, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        gDialogs.Clear();
        gDialogs.chosenFile = dir.filePath(c.file);
        gDialogs.chosenItem = c.item;
        form.ButtonStartPauseClick(); // Continue: saving pauses the run
        form.SavePicture1->trigger();
        EXPECT_FALSE(form.Running());
        ASSERT_EQ(gDialogs.fileRequests.size(), 1u);
        for (const char* pattern : {"*.png", "*.svg", "*.pdf"})
            EXPECT_TRUE(gDialogs.fileRequests[0].filter.contains(pattern));
        EXPECT_TRUE(gDialogs.fileRequests[0].save);
        ASSERT_EQ(gDialogs.itemChoices.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(gDialogs.itemChoices[0].size(), 3);
            EXPECT_TRUE(gDialogs.itemChoices[0][1].startsWith(QString::fromUtf8("2\u00d7")));
        }
        if (c.png) {
            EXPECT_EQ(QImage(dir.filePath(c.file)).size(), *c.png);
        }
        EXPECT_EQ(QFile::exists(dir.filePath(c.file)), c.item >= 0);
    }
    EXPECT_TRUE(QSvgRenderer(dir.filePath("d.svg")).isValid());
    EXPECT_TRUE(gDialogs.errors.empty());
}

// In the split view the Graph menu's commands ask which graph to write (no
// click on a graph, which could start a run, chooses it); the pop-up menu
// writes the graph it belongs to.
TEST_F(ExportCommands, InTheSplitViewTheGraphMenuAsksWhichGraphToWrite) {
    form.Views1->SetView(TGraphViews::vw_Both);
    QCoreApplication::processEvents();
    const QSize time = form.PlotGraph1->size(), plane = form.PlotGraph2->size();
    const QSize both(time.width() + plane.width(), std::max(time.height(), plane.height()));
    const struct {
        const char* file;
        int item; // the graph answered (0 time, 1 plane, 2 both), then the size
        std::optional<QSize> size;
    } cases[] = {
        {"plane.png", 1, plane * 2}, {"both.png", 2, both * 4},      {"time.svg", 0, time},
        {"both.svg", 2, both},       {"none.svg", -1, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        gDialogs.Clear();
        gDialogs.chosenFile = dir.filePath(c.file);
        gDialogs.chosenItem = c.item;
        form.SavePicture1->trigger();
        ASSERT_GE(gDialogs.itemChoices.size(), 1u);
        EXPECT_EQ(gDialogs.itemChoices[0],
                  QStringList({"Time plot", "Phase plane", "Both side by side"}));
        EXPECT_EQ(gDialogs.fileRequests.size(), c.size ? 1u : 0u);
        if (!c.size) continue;
        const QString path = dir.filePath(c.file);
        EXPECT_EQ(path.endsWith(".svg") ? QSvgRenderer(path).viewBox().size() : QImage(path).size(),
                  *c.size);
    }
    EXPECT_FALSE(form.Running());

    gDialogs.Clear();
    gDialogs.chosenItem = 2;
    form.Copy1->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().size(), both);
    gDialogs.Clear();
    form.Clip1->trigger(); // the pop-up menu: the graph last clicked, unasked
    EXPECT_TRUE(gDialogs.itemChoices.empty());
    EXPECT_EQ(QApplication::clipboard()->image().size(), form.GraphOnShow().size());
    EXPECT_TRUE(gDialogs.errors.empty());
}

TEST_F(ExportCommands, ExportDataWritesTheCurvesRowByRow) {
    gDialogs.chosenFile = dir.filePath("run.csv");
    form.ExportData1->trigger();
    EXPECT_FALSE(form.Running());
    ASSERT_EQ(gDialogs.fileRequests.size(), 1u);
    EXPECT_EQ(gDialogs.fileRequests[0].defaultExt, "csv");

    QFile file(dir.filePath("run.csv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const auto& p1 = form.PlotGraph1->GetSeries(1).Points();
    const auto& p2 = form.PlotGraph1->GetSeries(2).Points();
    ASSERT_EQ(p1.size(), 30u);
    ASSERT_EQ(lines.size(), 32);
    EXPECT_EQ(lines[0], "t,N1,N2");
    // The state the run started from, then one row per step at the times a
    // user reads: 0.1, 0.2, ... 3, not sums that drift off them.
    EXPECT_EQ(lines[1], "0,1,1");
    for (int i = 0; i < 30; ++i) {
        const QStringList cells = lines[i + 2].split(',');
        ASSERT_EQ(cells.size(), 3) << lines[i + 2].toStdString();
        EXPECT_EQ(cells[0], QString::number((i + 1) / 10.0));
        const double expected[2] = {p1[i].Y, p2[i].Y};
        for (int k = 0; k < 2; ++k)
            EXPECT_NEAR(cells[k + 1].toDouble(), expected[k], 1e-14 * std::abs(expected[k]))
                << lines[i + 2].toStdString();
    }
    // A Reset during a run starts the curves again from the densities reached.
    form.ButtonStartPauseClick();
    form.ButtonClearClick();
    const double n1 = form.Sim.N1;
    form.Timer1Timer();
    const std::vector<TCurveRow> rows = form.CurvesOnShow();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].t, 0);
    EXPECT_EQ(rows[0].N1, n1);
    EXPECT_EQ(rows[1].t, 0.1);
    form.ButtonStartPauseClick();
}

TEST_F(ExportCommands, ACommandThatCannotWriteSaysWhyAndLeavesNoFile) {
    for (QAction* command : {form.SavePicture1, form.ExportData1}) {
        SCOPED_TRACE(command->text().toStdString());
        gDialogs.Clear();
        gDialogs.chosenFile = dir.filePath(command == form.ExportData1 ? "no/run.csv" : "no/g.svg");
        // Through the event loop, as a menu click, so that the error reaches the error display.
        QMetaObject::invokeMethod(command, &QAction::trigger, Qt::QueuedConnection);
        ASSERT_TRUE(QTest::qWaitFor([] { return !gDialogs.errors.empty(); }, 2000));
        ASSERT_EQ(gDialogs.errors.size(), 1u);
        EXPECT_TRUE(gDialogs.errors[0].text.endsWith(": No such file or directory."))
            << gDialogs.errors[0].text.toStdString();
        EXPECT_FALSE(QFile::exists(gDialogs.chosenFile));
    }
}

TEST_F(ExportCommands, CopyPlacesSvgBesideTheOtherFormatsAndRunsOn) {
    form.Clip1->trigger();
    EXPECT_TRUE(form.Running());
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_TRUE(mime->hasImage());
    EXPECT_FALSE(mime->data(TPlotGraph::kClipboardFormat).isEmpty());
    EXPECT_FALSE(mime->data(TPlotGraph::kPictureFormat).isEmpty());
    QSvgRenderer svg(mime->data(QStringLiteral("image/svg+xml")));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox().size(), form.PlotGraph1->size());
}

} // namespace
