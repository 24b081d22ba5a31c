#include "LoadFromSource.h"
#include "DataSeries.h"
#include "DataSupplier.h"
#include "GraphTestSupport.h"
#include "PlotGraph.h"
#include "PlotHolder.h"
#include "Series.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<double, double>>;

Pairs PointsOf(const TDataSeries& s) {
    Pairs out;
    for (const TDataPoint& p : s.Points())
        out.emplace_back(p.X, p.Y);
    return out;
}

// Rows "x<tab>y" under a header row, read through a holder with the ID "rows".
class HolderRows : public testing::Test {
protected:
    void SetUp() override {
        holder = std::make_unique<TPlotHolder>(QCoreApplication::instance());
        holder->SetID("rows");
        series.Source.DataSource = ds_Holder;
        series.Source.DatasourceInfo = "rows";
    }
    void Rows(const QStringList& lines) { holder->setData(QStringList{"x\ty"} + lines); }
    Pairs Load() {
        LoadFromSource(series);
        return PointsOf(series);
    }
    std::unique_ptr<TPlotHolder> holder;
    TDataSeries series;
};

QStringList Numbered(int n) {
    QStringList rows;
    for (int i = 0; i < n; ++i)
        rows << QStringLiteral("%1\t%2").arg(i).arg(i * 10);
    return rows;
}

TEST_F(HolderRows, EveryUsableRowAfterTheHeader) {
    Rows({"1\t10", "bad\t20", "3\t", "4\t40"});
    EXPECT_EQ(Load(), (Pairs{{1, 10}, {4, 40}}));
}

TEST_F(HolderRows, ColumnsByNameAndTheHolderFoundOnlyByItsID) {
    Rows({"1\t10"});
    series.Source.XDataColumn = "Y";
    series.Source.YDataColumn = "x";
    EXPECT_EQ(Load(), (Pairs{{10, 1}}));
    series.Source.DatasourceInfo = "Rows";
    series.AddPoint(99, 99);
    EXPECT_EQ(Load(), (Pairs{{10, 1}, {99, 99}})); // unchanged
}

TEST_F(HolderRows, AMissingColumnLeavesThePointsAlone) {
    Rows({"1\t10"});
    series.AddPoint(5, 5);
    series.Source.YDataColumn = "N2";
    EXPECT_EQ(Load(), (Pairs{{5, 5}}));
}

TEST_F(HolderRows, SamplingTakesEveryThirdRow) {
    Rows(Numbered(8));
    series.Source.RowSamplingFrequency = 3;
    EXPECT_EQ(Load(), (Pairs{{0, 0}, {3, 30}, {6, 60}}));
}

TEST_F(HolderRows, RowChoiceModes) {
    holder->setData(Numbered(10)); // no header row
    series.Source.FileHasHeaders = 0;
    struct Case {
        int mode;
        double v1, v2;
        std::vector<double> xs;
    };
    const std::vector<Case> cases{
        {0, 0, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {1, 4, 0, {4, 5, 6, 7, 8, 9}},
        {1, 0, 0, {1, 2, 3, 4, 5, 6, 7, 8, 9}}, // the start row itself is not tested
        {2, 0, 6, {0, 1, 2, 3, 4, 5, 6}},
        {3, 2, 5, {2, 3, 4, 5}},
        {4, 3, 0, {0, 1, 2, 3}},                    // until more than 3 rows are counted
        {5, 3, 0, {7, 8, 9}},                       // the last 3 rows
        {5, 50, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}, // more than there are: from the first
        {1, 100, 0, {}},                            // no row qualifies
        {3, 100, 200, {}},
    };
    for (const Case& c : cases) {
        series.Source.RowChoiceMode = c.mode;
        series.Source.RowChoiceValue1 = c.v1;
        series.Source.RowChoiceValue2 = c.v2;
        LoadFromSource(series);
        std::vector<double> xs;
        for (const TDataPoint& p : series.Points())
            xs.push_back(p.X);
        EXPECT_EQ(xs, c.xs) << "mode " << c.mode << " v1 " << c.v1;
    }
}

TEST_F(HolderRows, LastRowsCountOnlyRowsAfterTheHeaders) {
    Rows(Numbered(10));
    series.Source.RowChoiceMode = 5;
    series.Source.RowChoiceValue1 = 2;
    EXPECT_EQ(Load(), (Pairs{{8, 80}, {9, 90}}));
    series.Source.RowChoiceValue1 = 10;
    EXPECT_EQ(Load().size(), 10u);
}

TEST_F(HolderRows, UntilStopsAtTheFirstLargerXEvenIfSmallerOnesFollow) {
    Rows({"1\t1", "12\t2", "3\t3"});
    series.Source.RowChoiceMode = 2;
    series.Source.RowChoiceValue2 = 10;
    EXPECT_EQ(Load(), (Pairs{{1, 1}}));
}

TEST_F(HolderRows, OddSettingsEndWithoutLooping) {
    Rows(Numbered(4));
    series.Source.RowSamplingFrequency = 0;
    series.Source.FileHasHeaders = -3;
    EXPECT_EQ(Load().size(), 4u); // the header row "x\ty" is not a number
    series.Source.FileHasHeaders = 1000;
    EXPECT_TRUE(Load().empty());
    series.Source.FileHasHeaders = 1;
    series.Source.RowChoiceMode = 5;
    series.Source.RowChoiceValue1 = 1e300;
    EXPECT_EQ(Load().size(), 4u);
}

TEST(LoadFromSource, TextFileDatesAndMissingFile) {
    QTemporaryDir dir;
    QFile file(dir.filePath("dates.csv"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("\"day\",\"count\"\r\n\"2000-01-01\",5\r\n\"2000-01-03\",\"7\"\r\n");
    file.close();
    TDataSeries s;
    s.Source.DataSource = ds_TextFile;
    s.Source.DatasourceInfo = file.fileName();
    s.Source.TextSeparators = ",";
    s.Source.XDataColumn = "day";
    s.Source.YDataColumn = "COUNT";
    s.Source.XFormat = 1;
    LoadFromSource(s);
    EXPECT_EQ(PointsOf(s), (Pairs{{36526, 5}, {36528, 7}}));

    s.Source.DatasourceInfo = dir.filePath("gone.csv");
    LoadFromSource(s);
    EXPECT_EQ(s.Count(), 2);
    s.Source.DataSource = 0;
    s.Source.DatasourceInfo = file.fileName();
    s.Clear();
    LoadFromSource(s);
    EXPECT_EQ(s.Count(), 0);
}

TEST(LoadFromSource, SQLiteTableAndQuery) {
    QTemporaryDir dir;
    const QString path = dir.filePath("run.db");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "load-maker");
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE run (t REAL, n1 REAL)"));
        ASSERT_TRUE(q.exec("INSERT INTO run VALUES (0, 1), (1, 2), (2, 4), (3, 8)"));
    }
    QSqlDatabase::removeDatabase("load-maker");

    TDataSeries s;
    s.Source.DataSource = ds_Table;
    s.Source.DatasourceInfo = path + ":run";
    s.Source.FileHasHeaders = 0;
    s.Source.XDataColumn = "t";
    s.Source.YDataColumn = "n1";
    LoadFromSource(s);
    EXPECT_EQ(PointsOf(s), (Pairs{{0, 1}, {1, 2}, {2, 4}, {3, 8}}));

    s.Source.RowChoiceMode = 5;
    s.Source.RowChoiceValue1 = 2;
    LoadFromSource(s);
    EXPECT_EQ(PointsOf(s), (Pairs{{2, 4}, {3, 8}}));

    s.Source.DataSource = ds_Query;
    s.Source.RowChoiceMode = 0;
    s.Source.DatasourceInfo = path + ":SELECT n1 AS t, t AS n1 FROM run WHERE t >= 2";
    LoadFromSource(s);
    EXPECT_EQ(PointsOf(s), (Pairs{{4, 2}, {8, 3}}));

    s.Source.DatasourceInfo = path + ":SELECT nothere FROM run";
    LoadFromSource(s);
    EXPECT_EQ(s.Count(), 2);
}

TEST(LoadFromSource, ASeriesRepaintsOnceAfterTheRefill) {
    TPlotGraph graph;
    TSeries& s = graph.GetSeries(1);
    TPlotHolder holder(QCoreApplication::instance());
    holder.SetID("h");
    holder.setData(QStringList{"x\ty"} + Numbered(50));
    s.Source.DataSource = ds_Holder;
    s.Source.DatasourceInfo = "h";
    const int before = graph.FullRepaintCount() + graph.IncrementalRepaintCount();
    LoadFromSource(s);
    EXPECT_EQ(s.Count(), 50);
    EXPECT_EQ(graph.FullRepaintCount() + graph.IncrementalRepaintCount(), before + 1);
    EXPECT_FALSE(s.Hold());

    // A series held before stays held, its change pending.
    s.SetHold(true);
    LoadFromSource(s);
    EXPECT_TRUE(s.Hold());
    EXPECT_TRUE(s.HoldPending());
}

TEST(LoadFromSource, AHandlerThatDestroysTheSeriesEndsTheRefill) {
    TPlotGraph graph;
    TSeries& s = graph.GetSeries(1);
    s.SetPointLimit(5);
    TPlotHolder holder(QCoreApplication::instance());
    holder.SetID("many");
    holder.setData(Numbered(100));
    s.Source.DataSource = ds_Holder;
    s.Source.DatasourceInfo = "many";
    int calls = 0;
    graph.OnTooManyPoints = [&](QObject*, int) {
        ++calls;
        graph.ClearAllSeries();
    };
    LoadFromSource(s);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(graph.FindSeries(1), nullptr);
}

} // namespace
