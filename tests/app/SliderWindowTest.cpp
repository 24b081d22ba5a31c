#include "WindowDriver.h"

#include "AnimTimer.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "FloatEdit.h"
#include "FloatText.h"
#include "IniFile.h"
#include "MainWindow.h"
#include "ParameterPanel.h"
#include "ParameterSliders.h"
#include "PlotGraph.h"
#include "Series.h"
#include "SweepWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class SliderWindow : public TWindowDriver {
protected:
    TParameterSliders* Sliders() { return form.ParameterPanel1->Sliders(); }
    QString End(int row, int col) { return Sliders()->item(row, col)->text(); }
    void ExpectRunning(bool running) {
        const QString caption = running ? "&Pause" : "&Continue";
        EXPECT_EQ(form.ButtonStartPause->text(), caption);
        EXPECT_EQ(form.Start1->text(), caption);
        EXPECT_EQ(form.Timer1->Enabled(), running);
        EXPECT_EQ(form.Running1->isChecked(), running);
    }
};

// The move reaches the next step's rate and nothing else: no pause, no
// compile of the rate typed since, no density taken from the edits.
TEST_F(SliderWindow, AMoveDuringARunChangesTheNextStepsRateOnly) {
    form.Rate1->setText("a*N1");
    form.Rate2->setText("b");
    SetRow(0, "a", "1");
    SetRow(1, "b", "0.5");
    form.ButtonStartPauseClick();
    form.Timer1Timer();
    ASSERT_EQ(form.Sim.N1, 2);
    form.Rate1->setText("0");
    form.N1Edit->setText("50");

    ASSERT_NE(Slider(0), nullptr);
    Slider(0)->setValue(750); // 3/4 of 0 to 2
    EXPECT_EQ(Cell(0), "1.5");
    ExpectRunning(true);
    EXPECT_EQ(form.Sim.N1, 2);
    EXPECT_EQ(form.Sim.t, 1);
    form.Timer1Timer();
    EXPECT_EQ(form.Sim.N1, 2 + 1.5 * 2);
    EXPECT_EQ(form.Sim.N2, 1 + 0.5 + 0.5);
    EXPECT_EQ(form.Sim.MathParser1.Expression(), "a*N1");
    EXPECT_EQ(form.PlotGraph1->GetSeries(1).Count(), 2);
    ExpectRunning(true);
    EXPECT_TRUE(gDialogs.errors.empty());

    // The next Continue binds what the cell shows: the same value.
    form.Rate1->setText("a*N1");
    form.ButtonStartPauseClick();
    form.ButtonStartPauseClick();
    EXPECT_EQ(form.Sim.MathParser1.VariableValue("a"), 1.5);
    EXPECT_EQ(Cell(0), "1.5");
}

// A row dragged to another place takes its slider along, and the slider
// still moves the parameter the row was bound as.
TEST_F(SliderWindow, ADraggedRowKeepsItsSliderBesideIt) {
    form.Rate1->setText("a");
    form.Rate2->setText("b");
    SetRow(0, "a", "1");
    SetRow(1, "b", "2");
    form.ButtonStartPauseClick();
    Table()->verticalHeader()->moveSection(0, 1);
    EXPECT_EQ(Sliders()->verticalHeader()->visualIndex(0), 1);
    EXPECT_EQ(Sliders()->verticalHeader()->visualIndex(1), 0);
    Slider(0)->setValue(1000);
    Slider(1)->setValue(0);
    EXPECT_EQ(form.Sim.MathParser1.VariableValue("a"), 2);
    EXPECT_EQ(form.Sim.MathParser2.VariableValue("b"), 0);
    form.Timer1Timer();
    EXPECT_EQ(form.Sim.N1, 3);
    EXPECT_EQ(form.Sim.N2, 1);
}

// Arrows step 1/100 of the span, page keys 1/10; a slider with the focus
// does not pause the run, the table still does.
TEST_F(SliderWindow, KeysStepTheSliderWithoutPausing) {
    form.show();
    QApplication::setActiveWindow(&form);
    form.Rate1->setText("k");
    SetRow(2, "k", "1");
    form.ButtonStartPauseClick();
    form.dtEdit->setFocus();
    Slider(2)->setFocus();
    const struct {
        Qt::Key key;
        const char* value;
    } steps[] = {{Qt::Key_Right, "1.02"},    {Qt::Key_Up, "1.04"},   {Qt::Key_PageUp, "1.24"},
                 {Qt::Key_PageDown, "1.04"}, {Qt::Key_Left, "1.02"}, {Qt::Key_Down, "1"},
                 {Qt::Key_End, "2"},         {Qt::Key_Home, "0"},    {Qt::Key_PageUp, "0.2"}};
    for (const auto& s : steps) {
        QTest::keyClick(Slider(2), s.key);
        EXPECT_EQ(Cell(2), s.value) << s.key;
        EXPECT_EQ(form.Sim.MathParser1.Value(), TextToFloat(s.value)) << s.key;
    }
    ExpectRunning(true);
    Table()->setFocus();
    ExpectRunning(false);
    form.close();
}

TEST_F(SliderWindow, OnlyANameThatCompilesWithANumberHasASlider) {
    const struct {
        const char* name;
        const char* value;
        const char* min; // empty: no slider
        const char* max;
    } rows[] = {
        {"a", "1", "0", "2"}, {"k", "-4", "-8", "0"},
        {"z", "0", "0", "1"}, {"r", "1E-5", "0", "2E-5"},
        {"2x", "1", "", ""},  {"a b", "1", "", ""},
        {"", "1", "", ""},    {"m", "", "", ""},
        {"n", "abc", "", ""}, {"big", "1E308", "0", "1.79769313486232E308"},
    };
    for (int i = 0; i < int(std::size(rows)); ++i)
        SetRow(i, rows[i].name, rows[i].value);
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const bool slider = *rows[i].min != 0;
        EXPECT_EQ(Slider(i) != nullptr, slider) << rows[i].name << "=" << rows[i].value;
        EXPECT_EQ(End(i, 0), rows[i].min) << rows[i].name;
        EXPECT_EQ(End(i, 2), rows[i].max) << rows[i].name;
    }
    // Mending the row brings the slider; spoiling it takes it away.
    Table()->item(4, 0)->setText("x2");
    EXPECT_NE(Slider(4), nullptr);
    Table()->item(0, 1)->setText("one");
    EXPECT_EQ(Slider(0), nullptr);
    EXPECT_EQ(End(0, 0), "");
}

// The span a slider moved in stays; typing a value outside it brings the
// default span of the new value.
TEST_F(SliderWindow, ASpanStaysUntilAValueIsTypedOutsideIt) {
    SetRow(0, "a", "1");
    Slider(0)->setValue(1000);
    EXPECT_EQ(Cell(0), "2");
    EXPECT_EQ(End(0, 2), "2"); // not 4, the default of 2
    EXPECT_EQ(Slider(0)->value(), 1000);
    Table()->item(0, 1)->setText("0.5");
    EXPECT_EQ(End(0, 2), "2");
    EXPECT_EQ(Slider(0)->value(), 250);
    Table()->item(0, 1)->setText("3");
    EXPECT_EQ(End(0, 0), "0");
    EXPECT_EQ(End(0, 2), "6");
    EXPECT_FALSE(Sliders()->Range(0).has_value());
}

TEST_F(SliderWindow, MinAndMaxAreEditedInPlaceAndBadEndsRefused) {
    SetRow(0, "a", "1");
    const struct {
        int col;
        const char* text;
        const char* error; // empty: taken
        const char* min;
        const char* max;
        int position;
    } edits[] = {
        {0, "0.5", "", "0.5", "2", 333},
        {2, "1.5", "", "0.5", "1.5", 500},
        {0, "abc", "'abc' is not a valid floating point value.", "0.5", "1.5", 500},
        {2, "0.25", "Min must be below Max.", "0.5", "1.5", 500},
        {2, "0.75", "", "0.5", "0.75", 1000}, // the value stays, beyond the end
    };
    for (const auto& e : edits) {
        gDialogs.Clear();
        Sliders()->item(0, e.col)->setText(e.text);
        if (*e.error) {
            ASSERT_EQ(gDialogs.errors.size(), 1u) << e.text;
            EXPECT_EQ(gDialogs.errors[0].text, e.error);
        } else {
            EXPECT_TRUE(gDialogs.errors.empty()) << e.text;
        }
        EXPECT_EQ(End(0, 0), e.min) << e.text;
        EXPECT_EQ(End(0, 2), e.max) << e.text;
        EXPECT_EQ(Slider(0)->value(), e.position) << e.text;
        EXPECT_EQ(Cell(0), "1") << e.text;
    }
}

// A span moved away from the default goes into the model file after its row
// and comes back with a load; a table without moves saves no such key.
TEST_F(SliderWindow, SpansGoThroughTheModelFile) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.ini"), moved = dir.filePath("moved.ini");
    SetRow(0, "a", "1");
    SetRow(3, "c", "-2");
    form.SaveModelSettings(plain);
    EXPECT_FALSE(IniFile(plain.toStdString()).ValueExists("Parameters", "Min1"));

    Slider(0)->setValue(750);
    Sliders()->item(3, 0)->setText("-10");
    form.SaveModelSettings(moved);
    const IniFile ini(moved.toStdString());
    EXPECT_EQ(ini.ReadString("Parameters", "Min1", "?"), "0");
    EXPECT_EQ(ini.ReadString("Parameters", "Max1", "?"), "2");
    EXPECT_EQ(ini.ReadString("Parameters", "Min4", "?"), "-10");
    EXPECT_EQ(ini.ReadString("Parameters", "Max4", "?"), "0");

    TForm1 other(moved);
    EXPECT_EQ(other.ParameterPanel1->Sliders()->Range(0), (TParameterRange{0, 2}));
    EXPECT_EQ(other.ParameterPanel1->Sliders()->Slider(0)->value(), 750);
    EXPECT_EQ(other.ParameterPanel1->Sliders()->Range(3), (TParameterRange{-10, 0}));
    other.LoadModelSettings(plain);
    EXPECT_FALSE(other.ParameterPanel1->Sliders()->Range(0).has_value());
    EXPECT_EQ(other.ParameterPanel1->Sliders()->item(0, 2)->text(), "2");
}

// The panel announces each move at once, by the name its row holds and the
// value its cell now reads, and the window has handed it to the bound run by
// then: a step that follows without the event loop turning has the value.
TEST_F(SliderWindow, EachMoveIsAnnouncedAtOnceByNameAndValue) {
    form.Rate1->setText("a");
    SetRow(0, "a", "1");
    int calls = 0;
    std::string name;
    double value = 0;
    double seen = 0;
    QString cell;
    const auto window = form.ParameterPanel1->OnMove;
    form.ParameterPanel1->OnMove = [&](const std::string& moved, double to) {
        window(moved, to);
        ++calls;
        name = moved;
        value = to;
        seen = form.Sim.MathParser1.VariableValue("a");
        cell = Cell(0);
    };
    form.ButtonStartPauseClick();
    form.ButtonStartPauseClick(); // paused: bound, not running
    for (int position : {100, 200, 300})
        Slider(0)->setValue(position);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(name, "a");
    EXPECT_EQ(value, 0.6);
    EXPECT_EQ(seen, 0.6);
    EXPECT_EQ(cell, "0.6");
    QCoreApplication::processEvents();
    EXPECT_EQ(calls, 3);
    Slider(0)->setValue(400);
    EXPECT_EQ(calls, 4);
    EXPECT_EQ(seen, 0.8);
}

// What the Sweep dialog is answered, and what it showed. A bad From is
// entered first, which must leave the dialog open.
struct TSweepAnswer {
    const char* name;
    const char* from;
    const char* to;
    int count;
    int steps;
    bool stayedOpen = false;
    QStringList choices = {};
};

void AnswerSweepDialog(TSweepAnswer* answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(dialog->windowTitle(), "Sweep");
        auto* parameter = dialog->findChild<QComboBox*>("ParameterBox");
        for (int i = 0; i < parameter->count(); ++i)
            answer->choices << parameter->itemText(i);
        parameter->setCurrentText(answer->name);
        auto* fromEdit = dialog->findChild<QLineEdit*>("FromEdit");
        fromEdit->setText("low");
        auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        ok->click();
        answer->stayedOpen = dialog->isVisible();
        fromEdit->setText(answer->from);
        dialog->findChild<QLineEdit*>("ToEdit")->setText(answer->to);
        dialog->findChild<QSpinBox*>("CountBox")->setValue(answer->count);
        dialog->findChild<QSpinBox*>("StepsBox")->setValue(answer->steps);
        ok->click();
    });
}

TEST_F(SliderWindow, ASweepPausesRunsInTheBackgroundAndPlotsItsExtremes) {
    form.Rate1->setText("r*N1*(1-N1)");
    form.Rate2->setText("0");
    form.dtEdit->setText("0.1");
    form.dtEditExit();
    SetRow(0, "r", "1");
    SetRow(1, "k", "2");
    SetRow(2, "", "3");
    form.ButtonStartPauseClick();
    TSweepAnswer answer{"r", "0.5", "1.5", 3, 200};
    AnswerSweepDialog(&answer);
    form.Sweep1->trigger();
    ExpectRunning(false);
    EXPECT_EQ(answer.choices, (QStringList{"r", "k"}));
    EXPECT_TRUE(answer.stayedOpen);
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text, "'low' is not a valid floating point value.");

    auto* window = form.findChild<TSweepWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Sweep of r");
    EXPECT_TRUE(window->isVisible());
    // The logistic law settles at 1 from 1 for every r: min = max = 1.
    for (int s = 1; s <= 4; ++s) {
        const TSeries& series = window->PlotGraph1->GetSeries(s);
        ASSERT_EQ(series.Count(), 3) << s;
        EXPECT_FALSE(series.ShowLine());
        EXPECT_TRUE(series.ShowPoints());
        EXPECT_EQ(series.Points()[0].X, 0.5);
        EXPECT_EQ(series.Points()[2].X, 1.5);
        EXPECT_DOUBLE_EQ(series.Points()[1].Y, 1);
    }

    // Its graph goes out as the main graph's does.
    window->Clip1Click();
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(TPlotGraph::kClipboardFormat));
    QTemporaryDir dir;
    gDialogs.chosenFile = dir.filePath("sweep.bmp");
    window->Bitmap2->trigger();
    EXPECT_EQ(QImage(dir.filePath("sweep.bmp")).size(), window->PlotGraph1->size());
    delete window;
}

// Long tick labels (a parameter and densities in the hundreds of millions)
// widen the margins rather than run off the picture's right edge.
TEST_F(SliderWindow, ASweepsLabelsStayInsideItsGraph) {
    TSweepResult result;
    for (double value : {2E7, 1.5E8, 3E8})
        result.rows.push_back(
            {value, TSweepRowState::Done, value, 2 * value, value, value, 0, 0, {}});
    TSweepWindow window("K", result, clRed, clGreen);
    window.PlotGraph1->resize(640, 440);
    QImage picture(window.PlotGraph1->size(), QImage::Format_RGB32);
    window.PlotGraph1->DrawToBitmap(picture);
    int inked = 0;
    for (int y = 0; y < picture.height(); ++y)
        inked += qGray(picture.pixel(picture.width() - 1, y)) < 128;
    EXPECT_EQ(inked, 0);
}

// A run that settled has its minima filled and maxima open in the curves'
// colours; one that did not has both as open grey symbols of their own, and
// the status bar says how many.
TEST_F(SliderWindow, RunsThatDidNotSettleAreHollowGreySymbols) {
    TSweepResult result;
    result.rows = {{1, TSweepRowState::Done, 2, 3, 4, 5, 0, 0, {}, 6.5, true},
                   {2, TSweepRowState::Done, 7, 8, 9, 10, 0, 0, {}, 6.5, false},
                   {3, TSweepRowState::Faulted, 0, 0, 0, 0, 0, 0, "fault", 0, false}};
    TSweepWindow window("K", result, clRed, clGreen);
    const struct {
        int series;
        TColor color;
        bool filled;
        std::vector<double> ys;
    } cases[] = {{1, clRed, true, {2}},    {2, clRed, false, {3}},     {3, clGreen, true, {4}},
                 {4, clGreen, false, {5}}, {5, clGray, false, {7, 8}}, {6, clGray, false, {9, 10}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.series);
        const TSeries& s = window.PlotGraph1->GetSeries(c.series);
        EXPECT_EQ(s.PointColor(), c.color);
        EXPECT_EQ(s.FillPoints(), c.filled);
        ASSERT_EQ(s.Count(), int(c.ys.size()));
        for (std::size_t i = 0; i < c.ys.size(); ++i)
            EXPECT_EQ(s.Points()[i].Y, c.ys[i]);
    }
    EXPECT_TRUE(window.statusBar()->currentMessage().startsWith(
        "1 of 3 runs did not settle within their steps (grey)"));
}

TEST_F(SliderWindow, CancellingASweepStopsItAndShowsNothing) {
    form.Rate1->setText("r");
    SetRow(0, "r", "1");
    bool cancelled = false;
    TSweepAnswer answer{"r", "0", "1", 4, 2000000000};
    AnswerSweepDialog(&answer);
    // Once the dialog has closed, the progress box is up.
    QTimer::singleShot(200, [&] {
        auto* progress = form.findChild<QProgressDialog*>("SweepProgress");
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(progress->isVisible());
        progress->findChild<QPushButton*>()->click();
        cancelled = true;
    });
    form.Sweep1->trigger();
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(form.findChild<TSweepWindow*>(), nullptr);
    EXPECT_EQ(gDialogs.errors.size(), 1u); // the bad From only
}

TEST_F(SliderWindow, ASweepNeedsAParameter) {
    SetRow(0, "a", "x");
    try {
        form.Sweep1Click();
        FAIL() << "a sweep without a parameter was asked for";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "No parameter row has a name and a value to sweep");
    }
}

} // namespace
