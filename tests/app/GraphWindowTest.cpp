// What the sweep and the bifurcation diagram windows share: saving their
// picture, exporting their data, and where they open.
#include "WindowDriver.h"

#include "CompiledModel.h"
#include "DiagramWindow.h"
#include "ModelFile.h"
#include "PlotGraph.h"
#include "SweepWindow.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

namespace {

struct GraphWindows : ::testing::Test {
    TFreshStart fresh;
    QTemporaryDir dir;

    QByteArray Read(const QString& name) const {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Three runs: a cycle, one that did not settle, and one that faulted.
TSweepResult ThreeRuns() {
    TSweepResult result;
    result.rows = {{1, TSweepRowState::Done, 2, 3, 4, 5, 2.5, 4.5, {}, 6.5, true},
                   {2, TSweepRowState::Done, 7, 8, 9, 10, 7.5, 9.5, {}, 0, false},
                   {3, TSweepRowState::Faulted, 0, 0, 0, 0, 0, 0, "fault", 0, false}};
    return result;
}

std::unique_ptr<TDiagramWindow> ParadoxDiagram() {
    TModel model;
    LoadModelFile(TARNIVELL_EXAMPLES "/paradox-of-enrichment.ini", model);
    auto compiled = std::make_unique<TCompiledModel>();
    compiled->Compile(model.rows, model.rate1, model.rate2, model.N1, model.N2);
    TDiagramRequest request{"K", 50, 250, 2};
    return std::make_unique<TDiagramWindow>(request, std::move(compiled),
                                            TPlaneRect{0, 200, 0, 200}, clBlue);
}

TEST_F(GraphWindows, SavePictureWritesPngSvgOrPdfByTheExtension) {
    TSweepWindow sweep("K", ThreeRuns(), clRed, clGreen);
    const std::unique_ptr<TDiagramWindow> diagram = ParadoxDiagram();
    const QDeadlineTimer deadline(60000);
    while (!diagram->Done() && !deadline.hasExpired())
        QTest::qWait(20);
    ASSERT_TRUE(diagram->Done());
    const struct {
        const char* file;
        const char* signature;
        const char* element; // that the file must hold
    } formats[] = {
        {"g.png", "\x89PNG\r\n\x1a\n", ""}, {"g.svg", "<?xml", "<path"}, {"g.pdf", "%PDF", ""}};
    for (TGraphWindow* window :
         {static_cast<TGraphWindow*>(&sweep), static_cast<TGraphWindow*>(diagram.get())}) {
        window->show();
        for (const auto& f : formats) {
            const QString name = window->objectName() + QLatin1String(f.file);
            SCOPED_TRACE(name.toStdString());
            gDialogs.chosenFile = dir.filePath(name);
            window->SavePicture1->trigger();
            const QByteArray bytes = Read(name);
            EXPECT_TRUE(bytes.startsWith(f.signature));
            EXPECT_TRUE(bytes.contains(f.element));
        }
    }
}

TEST_F(GraphWindows, SweepExportDataWritesItsRowsAsTheCommandLinePrintsThem) {
    TSweepWindow sweep("K", ThreeRuns(), clRed, clGreen);
    gDialogs.chosenFile = dir.filePath("sweep.csv");
    sweep.ExportData1->trigger();
    ASSERT_EQ(gDialogs.fileRequests.size(), 1u);
    EXPECT_EQ(gDialogs.fileRequests[0].defaultExt, "csv");
    EXPECT_EQ(Read("sweep.csv").toStdString(),
              "K,N1min,N1max,N2min,N2max,N1last,N2last,period,converged\n"
              "1,2,3,4,5,2.5,4.5,6.5,yes\n"
              "2,7,8,9,10,7.5,9.5,,no\n"
              "3,,,,,,,,\n");
}

// A main window 600 wide at x = 100 on screens of several widths.
TEST(GraphWindowPlacement, OpensRightOfTheMainWindowOrOverItsRightPart) {
    const QRect main(100, 50, 600, 500);
    const struct {
        QRect screen;
        QSize size;
        QPoint expected;
    } cases[] = {
        {{0, 0, 1920, 1080}, {560, 420}, {700, 50}},     // room to the right
        {{0, 0, 1260, 1080}, {560, 420}, {700, 50}},     // just room
        {{0, 0, 1259, 1080}, {560, 420}, {699, 50}},     // a pixel short: flush right
        {{0, 0, 1024, 768}, {560, 420}, {464, 50}},      // over the main window's right part
        {{0, 0, 400, 300}, {560, 420}, {0, 0}},          // larger than the screen
        {{0, 0, 1920, 400}, {560, 420}, {700, 0}},       // too tall to start level
        {{1920, 0, 1920, 1080}, {560, 420}, {1920, 50}}, // main window left of this screen
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.screen.width());
        EXPECT_EQ(TGraphWindow::PlaceBeside(main, c.size, c.screen), c.expected);
    }
}

} // namespace
