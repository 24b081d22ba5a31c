// Mouse gestures on the graph, driven with QtTest.
#include "Axis.h"
#include "Legend.h"
#include "PlotGraph.h"

#include <QImage>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

struct MouseGraph : ::testing::Test {
    QWidget host;
    TPlotGraph* g = new TPlotGraph(&host);
    void SetUp() override {
        host.resize(400, 300);
        g->setGeometry(20, 20, 300, 200);
        g->XAxis().SetMin(0);
        g->XAxis().SetMax(10);
        g->YAxis().SetMin(0);
        g->YAxis().SetMax(10);
        g->YAxis_Second().SetMin(0);
        g->YAxis_Second().SetMax(100);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers keys = Qt::ShiftModifier) {
        QTest::mousePress(g, Qt::LeftButton, keys, from);
        QTest::mouseMove(g, (from + to) / 2);
        QTest::mouseMove(g, to);
        QTest::mouseRelease(g, Qt::LeftButton, keys, to);
    }
};

TEST_F(MouseGraph, ShiftDragZoomsAndShiftClickRestoresTheFirstState) {
    g->YAxis().SetAutoSizing(true);
    g->YAxis().SetMin(0);
    g->YAxis().SetMax(10); // fixed again
    int rescales = 0;
    g->OnRescale = [&](QObject*) { ++rescales; };
    const QPoint a(g->XToPixel(2), g->YToPixel(8)), b(g->XToPixel(6), g->YToPixel(4));
    Drag(a, b);
    EXPECT_TRUE(g->Zoomed());
    EXPECT_NEAR(g->XAxis().Min(), 2, 0.05);
    EXPECT_NEAR(g->XAxis().Max(), 6, 0.05);
    EXPECT_NEAR(g->YAxis().Min(), 4, 0.1);
    EXPECT_NEAR(g->YAxis().Max(), 8, 0.1);
    EXPECT_NEAR(g->YAxis_Second().Max(), 80, 1);
    EXPECT_FALSE(g->YAxis().AutoSizing());
    EXPECT_GT(rescales, 0);
    // A second zoom, then one click: back to before the first.
    Drag(QPoint(g->XToPixel(3), g->YToPixel(7)), QPoint(g->XToPixel(5), g->YToPixel(5)));
    EXPECT_NEAR(g->XAxis().Max(), 5, 0.05);
    Drag(QPoint(100, 100), QPoint(102, 101));
    EXPECT_FALSE(g->Zoomed());
    EXPECT_EQ(g->XAxis().Min(), 0);
    EXPECT_EQ(g->XAxis().Max(), 10);
    EXPECT_EQ(g->YAxis().Max(), 10);
    EXPECT_TRUE(g->Plotting());
}

TEST_F(MouseGraph, FlatDragCountsAsAClickAndRestoresAutoSizing) {
    g->XAxis().SetAutoSizing(true);
    Drag(QPoint(60, 50), QPoint(160, 150));
    EXPECT_FALSE(g->XAxis().AutoSizing());
    Drag(QPoint(60, 100), QPoint(160, 103)); // 100 wide, 3 high
    EXPECT_FALSE(g->Zoomed());
    EXPECT_TRUE(g->XAxis().AutoSizing());
}

TEST_F(MouseGraph, TinyZoomKeepsAThousandthOfTheSavedSpan) {
    // One pixel column spans 10 / 245; force a span below 0.001 * 10.
    g->XAxis().SetMin(0);
    g->XAxis().SetMax(0.01 * 245);           // a pixel is 0.01 wide
    Drag(QPoint(100, 50), QPoint(100, 150)); // 0 wide: a click
    EXPECT_FALSE(g->Zoomed());
    g->XAxis().SetMax(10);
    g->XAxis().SetMin(0);
    // Zoom 6 columns wide, then narrower than the guard on a 10-wide saved span.
    Drag(QPoint(100, 50), QPoint(106, 150));
    const double span = g->XAxis().Max() - g->XAxis().Min();
    EXPECT_GT(span, 0.01 - 1e-12);
}

TEST_F(MouseGraph, CtrlClickAsksForTheDesignerOnly) {
    int asked = 0;
    g->OnWantDesigner = [&](QObject* sender) {
        EXPECT_EQ(sender, g);
        ++asked;
    };
    QTest::mouseClick(g, Qt::LeftButton, Qt::ControlModifier, QPoint(100, 100));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(g->Zoomed());
    int doubles = 0;
    g->OnDblClick = [&](QObject*) { ++doubles; };
    QTest::mouseDClick(g, Qt::LeftButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(doubles, 1);
}

TEST_F(MouseGraph, LegendIsDraggedByItsCorner) {
    g->Legend().setVisible(true);
    // 2 right and 1 below the corner + 3 grabs it.
    Drag(QPoint(10 + 3 + 2, 10 + 3 + 1), QPoint(60, 70));
    EXPECT_EQ(g->Legend().left(), 60);
    EXPECT_EQ(g->Legend().top(), 70);
    EXPECT_FALSE(g->Zoomed());
    // 3 away: a zoom instead.
    Drag(QPoint(60 + 3 + 3, 70 + 3), QPoint(160, 150));
    EXPECT_EQ(g->Legend().left(), 60);
    EXPECT_TRUE(g->Zoomed());
}

// The picture as the widget shows it, outline included.
QImage Shown(TPlotGraph* g) {
    return g->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST_F(MouseGraph, RubberBandIsShownOverThePictureAndGoesWithTheDrag) {
    const QImage before = Shown(g);
    QTest::mousePress(g, Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 50));
    QTest::mouseMove(g, QPoint(150, 120));
    EXPECT_NE(Shown(g), before);
    QTest::mouseMove(g, QPoint(170, 140)); // the old outline goes, a new one comes
    const QImage band = Shown(g);
    QTest::mouseMove(g, QPoint(170, 140));
    EXPECT_EQ(Shown(g), band);
    QTest::mouseRelease(g, Qt::LeftButton, Qt::ShiftModifier, QPoint(62, 52)); // a click
    EXPECT_EQ(Shown(g), before);
    g->XAxis().SetMax(10);
    EXPECT_FALSE(g->Zoomed());
}

TEST_F(MouseGraph, RubberBandLeavesNothingWhenThePictureIsRedrawnUnderIt) {
    QTest::mousePress(g, Qt::LeftButton, Qt::ShiftModifier, QPoint(60, 50));
    QTest::mouseMove(g, QPoint(150, 120));
    g->XAxis().SetMax(20); // the running program rescales meanwhile
    const QRect band(QPoint(60, 50), QPoint(200, 160));
    QTest::mouseMove(g, band.bottomRight());
    // Only the present outline differs from a clean picture.
    QImage clean(g->size(), QImage::Format_RGB32);
    g->DrawToBitmap(clean);
    const QImage shown = Shown(g);
    int stale = 0, outline = 0;
    for (int y = 0; y < clean.height(); ++y)
        for (int x = 0; x < clean.width(); ++x) {
            if (shown.pixel(x, y) == clean.pixel(x, y)) continue;
            const bool onBorder =
                ((x == band.left() || x == band.right()) && y >= band.top() &&
                 y <= band.bottom()) ||
                ((y == band.top() || y == band.bottom()) && x >= band.left() && x <= band.right());
            ++(onBorder ? outline : stale);
        }
    EXPECT_EQ(stale, 0);
    EXPECT_GT(outline, 100);
    QTest::mouseRelease(g, Qt::LeftButton, Qt::ShiftModifier, QPoint(62, 52)); // a click
    EXPECT_EQ(Shown(g), g->BackBuffer());
}

TEST_F(MouseGraph, CornersMoveAndResizeOnlyWhenAllowed) {
    // The control moves under the mouse: the release comes at the same
    // screen point, which is the press point on the moved control.
    QTest::mousePress(g, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(g, QPoint(25, 15));
    QTest::mouseRelease(g, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(g->pos(), QPoint(40, 30));
    Drag(QPoint(295, 195), QPoint(255, 175), Qt::NoModifier);
    EXPECT_EQ(g->size(), QSize(260, 180));
    g->SetDragAllowed(false);
    Drag(QPoint(5, 5), QPoint(25, 15), Qt::NoModifier);
    EXPECT_EQ(g->pos(), QPoint(40, 30));
}

TEST_F(MouseGraph, AGraphALayoutPlacesIsNeitherMovedNorResized) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    auto* button = new QWidget;
    column->addWidget(button);
    auto* graph = new TPlotGraph;
    column->addWidget(graph, 1);
    window.resize(400, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect placed = graph->geometry();
    for (const auto& [from, to] : {std::pair{QPoint(5, 5), QPoint(40, -60)},
                                   std::pair{QPoint(graph->width() - 3, graph->height() - 3),
                                             QPoint(graph->width() + 40, graph->height() + 40)}}) {
        QTest::mousePress(graph, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(graph, to);
        QTest::mouseRelease(graph, Qt::LeftButton, Qt::NoModifier, to);
        EXPECT_EQ(graph->geometry(), placed);
    }
}

TEST_F(MouseGraph, PopupMenuIsAttached) {
    QMenu menu;
    g->SetPopupMenu(&menu);
    EXPECT_EQ(g->PopupMenu(), &menu);
}

} // namespace
