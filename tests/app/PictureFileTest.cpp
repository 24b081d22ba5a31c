// The graph's picture written as PNG, SVG and PDF and read back.
#include "PictureFile.h"
#include "AtomicFile.h"
#include "Axis.h"
#include "AxisTransform.h"
#include "Color.h"
#include "GraphOutputError.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

namespace {

struct PictureFile : ::testing::Test {
    TPlotGraph g;
    QTemporaryDir dir;
    void SetUp() override {
        g.resize(240, 130);
        g.XAxis().SetTitle(QStringLiteral("Time"));
        TSeries& s = g.GetSeries(1);
        s.SetLineColor(clRed);
        s.SetShowPoints(false);
        for (int i = 0; i <= 20; ++i)
            s.AddPoint(i, (i * 7) % 11);
    }
    QByteArray Read(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// Pixels of the red curve: a blank or clipped-away picture has none.
int RedPixels(const QImage& image) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    return n;
}

TEST_F(PictureFile, EachFormatReadsBackAsThePictureOfTheGraph) {
    int red[3] = {};
    const struct {
        const char* name;
        double scale;
        std::function<void(const QByteArray&)> check;
    } cases[] = {
        {"g1.png", 1,
         [&](const QByteArray& b) {
             const QImage i = QImage::fromData(b, "PNG");
             EXPECT_EQ(i.size(), QSize(240, 130));
             red[0] = RedPixels(i);
             EXPECT_GT(red[0], 20);
         }},
        {"g2.png", 2,
         [&](const QByteArray& b) {
             const QImage i = QImage::fromData(b, "PNG");
             EXPECT_EQ(i.size(), QSize(480, 260));
             red[1] = RedPixels(i);
         }},
        {"g4.PNG", 4,
         [&](const QByteArray& b) {
             const QImage i = QImage::fromData(b, "PNG");
             EXPECT_EQ(i.size(), QSize(960, 520));
             red[2] = RedPixels(i);
         }},
        {"g.bmp", 2,
         [&](const QByteArray& b) {
             EXPECT_EQ(QImage::fromData(b, "BMP").size(), QSize(480, 260));
         }},
        {"g.svg", 4,
         [&](const QByteArray& b) {
             QSvgRenderer svg(b);
             ASSERT_TRUE(svg.isValid());
             EXPECT_EQ(svg.viewBox(), QRect(0, 0, 240, 130)); // the scale is for rasters only
             // Text stays text: the axis title is a text element, not outlines.
             EXPECT_TRUE(QRegularExpression(QStringLiteral("<text[^>]*>\\s*Time\\s*</text>"))
                             .match(QString::fromUtf8(b))
                             .hasMatch());
             QImage i(240, 130, QImage::Format_RGB32);
             i.fill(Qt::white);
             QPainter p(&i);
             svg.render(&p);
             p.end();
             EXPECT_GT(RedPixels(i), 20);
         }},
        {"g.pdf", 1,
         [&](const QByteArray& b) {
             EXPECT_TRUE(b.startsWith("%PDF"));
             static const QRegularExpression page(QStringLiteral("/Type\\s*/Page\\b(?!s)"));
             EXPECT_EQ(QString::fromLatin1(b).count(page), 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TPictureFile::Write(g, dir.filePath(c.name), c.scale);
        c.check(Read(c.name));
    }
    // The curve grows in width as in length: a larger picture is the same
    // picture enlarged, not the screen's hairlines on a larger canvas.
    EXPECT_GT(red[1], 0.8 * 4 * red[0]);
    EXPECT_GT(red[2], 0.8 * 16 * red[0]);
    // Nothing but the pictures themselves is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), std::size(cases));
}

// The polylines of an SVG picture, each as its vertices.
std::vector<std::vector<QPointF>> Polylines(const QByteArray& svg) {
    std::vector<std::vector<QPointF>> lines;
    static const QRegularExpression polyline(QStringLiteral("<polyline[^>]*points=\"([^\"]*)\""));
    for (auto m = polyline.globalMatch(QString::fromUtf8(svg)); m.hasNext();) {
        std::vector<QPointF>& line = lines.emplace_back();
        for (const QString& pair : m.next().captured(1).split(u' ', Qt::SkipEmptyParts)) {
            const QStringList xy = pair.split(u',');
            line.emplace_back(xy.value(0).toDouble(), xy.value(1).toDouble());
        }
    }
    return lines;
}

// A vector picture draws a curve through the exact positions of its points,
// not the screen's whole pixels, and a point repeated at one position once.
TEST_F(PictureFile, VectorCurvesAreExactAndRepeatsMerged) {
    TSeries& repeated = g.GetSeries(2);
    repeated.SetShowPoints(false);
    for (int i = 0; i < 3000; ++i)
        repeated.AddPoint(5, 5);
    repeated.AddPoint(6, 6);
    // Between the screen's pixels.
    TSeries& between = g.GetSeries(3);
    between.SetShowPoints(false);
    for (int i = 0; i <= 16; ++i)
        between.AddPoint(i + 0.33, 0.137 * i + 0.05);
    const std::vector<std::vector<QPointF>> lines = Polylines(TPictureFile::Svg(g));
    const TAxisTransform x = g.Transform(g.XAxis()), y = g.Transform(g.YAxis());
    bool curve = false, merged = false, fractional = false;
    for (const std::vector<QPointF>& line : lines) {
        EXPECT_LT(line.size(), 3000u);
        if (line.size() == 2 && std::fabs(line[0].x() - x.Exact(5)) < 0.01 &&
            std::fabs(line[1].x() - x.Exact(6)) < 0.01)
            merged = true;
        if (line.size() == 17) {
            for (int i = 0; i <= 16; ++i) {
                const QPointF& v = line[std::size_t(i)];
                EXPECT_NEAR(v.x(), x.Exact(i + 0.33), 0.01) << i;
                EXPECT_NEAR(v.y(), y.Exact(0.137 * i + 0.05), 0.01) << i;
                fractional = fractional || v.x() != std::round(v.x());
            }
        }
        if (line.size() != 21) continue;
        curve = true;
        for (int i = 0; i <= 20; ++i) {
            EXPECT_NEAR(line[std::size_t(i)].x(), x.Exact(i), 0.01) << i;
            EXPECT_NEAR(line[std::size_t(i)].y(), y.Exact((i * 7) % 11), 0.01) << i;
        }
    }
    EXPECT_TRUE(curve);
    EXPECT_TRUE(merged);
    EXPECT_TRUE(fractional);
}

TEST_F(PictureFile, SvgBytesAreTheSvgFile) {
    TPictureFile::Write(g, dir.filePath("g.svg"));
    EXPECT_EQ(TPictureFile::Svg(g), Read("g.svg"));
}

TEST_F(PictureFile, AFailedWriteSaysWhyAndLeavesNoFile) {
    QFile(dir.filePath("plain.txt")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir(QStringLiteral("folder.png"));
    const struct {
        QString file;
        double scale;
        const char* message;
    } cases[] = {
        {dir.filePath("missing/g.png"), 1, "No such file or directory"},
        {dir.filePath("plain.txt/g.svg"), 1, "Not a directory"},
        {dir.filePath("folder.png"), 1, "Is a directory"},
        {dir.filePath("g.xyz"), 1, "'g.xyz': the name must end in .png, .svg or .pdf"},
        {dir.filePath("g"), 1, "must end in .png, .svg or .pdf"},
        {dir.filePath("g.png"), 0, "scale of 0 is not between 0 and 16"},
        {dir.filePath("g.png"), 32, "scale of 32 is not between 0 and 16"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        try {
            TPictureFile::Write(g, c.file, c.scale);
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find(c.message), std::string::npos) << e.Message();
        }
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"plain.txt"});
    EXPECT_FALSE(TPictureFile::IsRaster(QStringLiteral("g.svg")));
    EXPECT_TRUE(TPictureFile::IsRaster(QStringLiteral("g.png")));
}

TEST_F(PictureFile, AGraphWithoutAreaIsAnError) {
    g.resize(0, 0);
    EXPECT_THROW(TPictureFile::Write(g, dir.filePath("g.pdf")), EGraphOutputError);
    EXPECT_FALSE(QFile::exists(dir.filePath("g.pdf")));
}

} // namespace
