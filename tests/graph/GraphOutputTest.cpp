// The graph off the screen: print page, PDF, clipboard and bitmap file.
#include "Appearance.h"
#include "Axis.h"
#include "Dimensions.h"
#include "GraphOutputError.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "QtColor.h"
#include "Series.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct OutputGraph : ::testing::Test {
    TPlotGraph g;
    void SetUp() override {
        g.resize(200, 100);
        g.XAxis().SetMin(0);
        g.XAxis().SetMax(10);
        g.YAxis().SetMin(0);
        g.YAxis().SetMax(10);
        TSeries& s = g.GetSeries(1);
        s.SetLineColor(clRed);
        s.SetShowPoints(false);
        s.AddPoint(1, 1);
        s.AddPoint(9, 9);
    }
};

TEST_F(OutputGraph, PrintPageScalesToTheHeightAndCorrectsTheOffsets) {
    // A landscape "page" 1000 x 300 at 300 dots per inch: rx = 5 >= ry = 3.
    QImage page(1000, 300, QImage::Format_RGB32);
    page.setDotsPerMeterX(11811);
    page.setDotsPerMeterY(11811);
    page.fill(Qt::white);
    g.Legend().setVisible(true);
    g.GetSeries(1).SetShowInLegend(le_NameLine);
    double scale = 0;
    int xOffset = -1, yOffset = -1, left = -1, paintEnds = 0;
    g.OnPaintEnd = [&](QObject*, QPainter&) {
        if (g.IsPrinting()) throw Exception("ignored the second time only");
    };
    EXPECT_THROW(g.PrintPage(page), Exception); // the first call's error passes on
    g.OnPaintEnd = [&](QObject*, QPainter&) {
        if (!g.IsPrinting()) return; // the screen drawn again afterwards
        ++paintEnds;
        scale = g.DrawScale();
        xOffset = g.XOffset();
        yOffset = g.YOffset();
        left = g.Dimensions().LeftMargin();
    };
    g.Dimensions().SetPrintYOffsetPct(20);
    paintEnds = 0;
    g.PrintPage(page);
    EXPECT_EQ(paintEnds, 2); // the draw's own and the extra one
    EXPECT_DOUBLE_EQ(scale, 0.9 * 3);
    EXPECT_EQ(g.Dimensions().PrintYOffsetPct(), 5); // 90 + 20 > 100
    EXPECT_EQ(g.Dimensions().PrintXOffsetPct(), 5);
    EXPECT_EQ(xOffset, 50);
    EXPECT_EQ(yOffset, 15);
    EXPECT_EQ(left, 108); // nint(40 * 2.7)
    // The page shows the series at the scaled position: (1, 1) to (9, 9).
    const int x0 = 50 + 108, plotWidth = 540 - 108 - 41;
    const int bottom = 15 + 270 - 108;
    const int y5 = bottom - (bottom - (15 + 81)) / 2;
    bool red = false;
    for (int dy = -2; dy <= 2; ++dy)
        red = red || page.pixelColor(x0 + plotWidth / 2, y5 + dy) == ToQColor(clRed);
    EXPECT_TRUE(red);
    // No paper fill: white outside the axes.
    EXPECT_EQ(page.pixelColor(x0 + 5, 15 + 81 + 5), QColor(Qt::white));
    // Everything is back as it was, and the screen uses screen scales again.
    g.OnPaintEnd = nullptr;
    EXPECT_EQ(g.DrawScale(), 1.0);
    EXPECT_EQ(g.XOffset(), 0);
    EXPECT_EQ(g.Dimensions().LeftMargin(), 40);
    EXPECT_EQ(g.Dimensions().TickLength(), 4);
    EXPECT_FALSE(g.IsPrinting());
    EXPECT_EQ(g.XToPixel(10), 200 - 15);
}

TEST_F(OutputGraph, TinyPageKeepsTheTicks) {
    QImage page(40, 20, QImage::Format_RGB32);
    g.Dimensions().SetPrintScalePct(20);
    g.PrintPage(page); // ticks scale to nint(4 * 0.04) = 0
    EXPECT_TRUE(g.Appearance().ShowTicks());
    EXPECT_EQ(g.Dimensions().TickLength(), 4);
}

TEST_F(OutputGraph, PrintWritesOnePdfPageThroughTheSetupSeam) {
    QTemporaryDir dir;
    const QString name = dir.filePath("graph.pdf");
    g.PrinterSetup = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(name);
        return true;
    };
    g.Print();
    QFile f(name);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray pdf = f.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "),
              1);
    // Cancelled setup: nothing printed.
    const QString other = dir.filePath("none.pdf");
    g.PrinterSetup = [&](QPrinter& printer) {
        printer.setOutputFileName(other);
        return false;
    };
    g.Print();
    EXPECT_FALSE(QFile::exists(other));
}

TEST_F(OutputGraph, ClipboardHoldsBitmapPictureAndTheSettingsStream) {
    g.CopyToClipboard();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    ASSERT_TRUE(mime->hasImage());
    const QImage bitmap = qvariant_cast<QImage>(mime->imageData());
    EXPECT_EQ(bitmap.size(), QSize(200, 100));
    EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32),
              g.BackBuffer().convertToFormat(QImage::Format_RGB32));
    QByteArray pictureBytes = mime->data(TPlotGraph::kPictureFormat);
    QBuffer pb(&pictureBytes);
    pb.open(QIODevice::ReadOnly);
    QPicture picture;
    ASSERT_TRUE(picture.load(&pb));
    EXPECT_EQ(picture.boundingRect().size(), QSize(200, 100));

    QByteArray stream = mime->data(TPlotGraph::kClipboardFormat);
    ASSERT_FALSE(stream.isEmpty());
    QBuffer b(&stream);
    b.open(QIODevice::ReadOnly);
    TPlotGraph copy;
    copy.LoadFromStream(b);
    ASSERT_NE(copy.FindSeries(1), nullptr);
    EXPECT_EQ(copy.FindSeries(1)->Count(), 2);
    EXPECT_EQ(copy.XAxis().Max(), 10);
}

TEST_F(OutputGraph, SaveBitmapWritesTheControlSizeWithTheLegend) {
    QTemporaryDir dir;
    const QString name = dir.filePath("graph.bmp");
    g.GetSeries(1).SetShowInLegend(le_NameLine);
    g.Legend().setColor(clYellow);
    g.Legend().setVisible(true);
    g.SaveBitmap(name);
    QImage saved(name, "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(200, 100));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              g.BackBuffer().convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(saved.pixelColor(12, 12), ToQColor(clYellow));
    EXPECT_THROW(g.SaveBitmap(dir.filePath("missing/folder/graph.bmp")), EGraphOutputError);
}

} // namespace
