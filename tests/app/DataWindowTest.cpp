#include "WindowDriver.h"

#include "Axis.h"
#include "DataColumnsDialog.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteAll(const QString& path, const std::string& text) {
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

class DataWindow : public TWindowDriver {
protected:
    std::size_t Observed(int series) const {
        const TSeries* s = form.PlotGraph1->FindSeries(series);
        return s ? s->Points().size() : 0;
    }
    std::size_t ObservedStates() const {
        const TSeries* s = form.PlotGraph2->Observed();
        return s ? s->Points().size() : 0;
    }
    QString TimeTitle() const { return form.PlotGraph1->XAxis().Title(); }

    QTemporaryDir dir;
};

// The shipped pelt counts: both species every year, time counted from 1900,
// filed with the model beside it and gone with Close data.
TEST_F(DataWindow, OpensTheLynxAndHareCountsAndFilesTheirLink) {
    form.LoadModelSettings(TARNIVELL_EXAMPLES "/lynx-hare.ini");
    gDialogs.chosenFile = TARNIVELL_EXAMPLES "/lynx-hare.csv";
    form.OpenData1->trigger();
    ASSERT_TRUE(gDialogs.errors.empty()) << gDialogs.errors[0].text.toStdString();
    ASSERT_NE(form.ObservedData(), nullptr);
    EXPECT_EQ(form.DataTimeOrigin(), 1900);
    EXPECT_EQ(Observed(TForm1::kObservedSeries1), 21u);
    EXPECT_EQ(Observed(TForm1::kObservedSeries2), 21u);
    EXPECT_EQ(ObservedStates(), 21u);
    const TDataPoint& first = form.PlotGraph1->FindSeries(TForm1::kObservedSeries2)->Points()[0];
    EXPECT_EQ(first.X, 0);
    EXPECT_EQ(first.Y, 4);
    EXPECT_EQ(TimeTitle(), "Years since 1900");
    EXPECT_TRUE(form.ModelChanged());
    // The plane's trajectories are not the observed states, nor does a Reset clear them.
    EXPECT_NE(&form.PlotGraph2->Trajectory(), form.PlotGraph2->Observed());
    form.ButtonClearClick();
    EXPECT_EQ(ObservedStates(), 21u);

    // Beside a copy of the data one folder down, the link is relative.
    ASSERT_TRUE(QDir(dir.path()).mkdir("counts"));
    WriteAll(dir.filePath("counts/pelts.csv"), ReadAll(TARNIVELL_EXAMPLES "/lynx-hare.csv"));
    gDialogs.chosenFile = dir.filePath("counts/pelts.csv");
    form.OpenData1->trigger();
    form.SaveModelSettings(dir.filePath("model.ini"));
    EXPECT_NE(ReadAll(dir.filePath("model.ini")).find("[Data]\nFile=counts/pelts.csv\n"),
              std::string::npos);

    form.CloseData1->trigger();
    EXPECT_EQ(form.ObservedData(), nullptr);
    EXPECT_EQ(form.DataTimeOrigin(), 0);
    EXPECT_EQ(Observed(TForm1::kObservedSeries1) + ObservedStates(), 0u);
    EXPECT_EQ(TimeTitle(), "Time");
    EXPECT_FALSE(form.CloseData1->isEnabled());

    form.LoadModelSettings(dir.filePath("model.ini"));
    EXPECT_EQ(Observed(TForm1::kObservedSeries2), 21u);
    EXPECT_FALSE(form.ModelChanged());
    EXPECT_TRUE(gDialogs.errors.empty());
}

// Columns of other names are asked for; a species left out draws nothing; a
// data file gone is reported while the model loads and keeps its link.
TEST_F(DataWindow, AsksForColumnsAndLoadsAModelWhoseDataAreGone) {
    WriteAll(dir.filePath("d.csv"), "day,hare,lynx\n10,1,\n12,2,5\n13,NA,6\n");
    std::vector<std::string> offered;
    DataColumnsAnswer() = [&](QWidget*, const std::vector<std::string>& header, TDataColumns& c) {
        offered = header;
        c = {"day", "", "lynx"};
        return true;
    };
    gDialogs.chosenFile = dir.filePath("d.csv");
    form.OpenData1->trigger();
    DataColumnsAnswer() = nullptr;
    EXPECT_EQ(offered, (std::vector<std::string>{"day", "hare", "lynx"}));
    EXPECT_EQ(Observed(TForm1::kObservedSeries1), 0u);
    EXPECT_EQ(Observed(TForm1::kObservedSeries2), 2u);
    EXPECT_EQ(ObservedStates(), 0u);
    EXPECT_EQ(TimeTitle(), "Time since 10");
    form.Rate1->setText("N1");
    form.SaveModelSettings(dir.filePath("m.ini"));
    EXPECT_NE(ReadAll(dir.filePath("m.ini")).find("[Data]\nFile=d.csv\nTime=day\nN2=lynx\n"),
              std::string::npos);

    QFile::remove(dir.filePath("d.csv"));
    form.Rate1->setText("0");
    form.LoadModelSettings(dir.filePath("m.ini"));
    QTest::qWait(0);
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(
        gDialogs.errors[0].text.toStdString(),
        QStringLiteral("Data file '%1' does not exist.").arg(dir.filePath("d.csv")).toStdString());
    EXPECT_EQ(form.ObservedData(), nullptr);
    EXPECT_EQ(form.Rate1->text(), "N1");
    form.SaveModelSettings(dir.filePath("m.ini"));
    EXPECT_NE(ReadAll(dir.filePath("m.ini")).find("[Data]\nFile=d.csv\n"), std::string::npos);
}

} // namespace
