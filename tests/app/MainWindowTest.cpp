#include "WindowDriver.h"

#include "AnimTimer.h"
#include "Appearance.h"
#include "Axis.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "Exception.h"
#include "FloatEdit.h"
#include "IniFile.h"
#include "Legend.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <utility>
#include <vector>

namespace {

class MainWindow : public TWindowDriver {
protected:
    void ExpectState(const QString& caption, bool running) {
        EXPECT_EQ(form.ButtonStartPause->text(), caption);
        EXPECT_EQ(form.Start1->text(), caption);
        EXPECT_EQ(form.Timer1->Enabled(), running);
        EXPECT_EQ(form.Timer2->isActive(), running);
        EXPECT_EQ(form.Running1->isChecked(), running);
    }
};

TEST_F(MainWindow, StartsStoppedWithTheDefaultModel) {
    EXPECT_EQ(form.windowTitle(), "Tarnivell Simulation");
    ExpectState("&Start", false);
    EXPECT_EQ(form.Rate1->text(), "0");
    EXPECT_EQ(form.Rate2->text(), "0");
    EXPECT_EQ(form.N1Edit->text(), "1");
    EXPECT_EQ(form.N2Edit->text(), "1");
    EXPECT_EQ(form.dtEdit->text(), "1");
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "");
    for (int r = 0; r < Table()->rowCount(); ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(Table()->item(r, c), nullptr) << r << "," << c;
    EXPECT_EQ(Table()->horizontalHeaderItem(1)->text(), "Value");
    EXPECT_EQ(form.Timer1->Interval(), 31u);
    EXPECT_EQ(form.Sim.t, 0);
    EXPECT_EQ(form.Sim.dt, 1);
    // The series take the colour buttons and check boxes.
    EXPECT_EQ(S(1).LineColor(), clRed);
    EXPECT_EQ(S(2).PointColor(), clGreen);
    EXPECT_TRUE(S(1).ShowLine());
    EXPECT_FALSE(S(2).ShowPoints());
    EXPECT_EQ(S(1).SeriesName(), "N1");
    EXPECT_EQ(S(2).ShowInLegend(), le_NameLineSymbol);
    EXPECT_EQ(S(1).PointShape(), sh_Square);
    EXPECT_EQ(S(2).PointShape(), sh_Circle);
    EXPECT_TRUE(gDialogs.errors.empty());
}

TEST_F(MainWindow, SpeedTableHalvesFromOneSecondToNoWait) {
    const unsigned expected[] = {1000, 500, 250, 125, 62, 31, 15, 7, 3, 1, 0};
    for (int pos = 10; pos >= 0; --pos) {
        form.TrackBar1->setValue(pos);
        EXPECT_EQ(form.Timer1->Interval(), expected[pos]) << pos;
    }
}

TEST_F(MainWindow, StartPauseContinueAndResetMoveThroughTheRunStates) {
    form.ButtonStartPause->click();
    ExpectState("&Pause", true);
    form.Start1->trigger();
    ExpectState("&Continue", false);
    form.Running1->trigger();
    ExpectState("&Pause", true);
    form.Pause();
    ExpectState("&Continue", false);
    form.Pause(); // not running: nothing
    ExpectState("&Continue", false);
    form.Reset1->trigger();
    ExpectState("&Start", false);
}

TEST_F(MainWindow, ARunAppendsOnePointPerSpeciesAndStep) {
    SetRates("1", "-0.5");
    form.dtEdit->setText("0.5");
    form.dtEditExit();
    form.ButtonStartPauseClick();
    // Ticks are handed over only inside the event loop; these are direct.
    for (int i = 0; i < 4; ++i)
        form.Timer1Timer();
    form.ButtonStartPauseClick();
    ASSERT_EQ(S(1).Count(), 4);
    ASSERT_EQ(S(2).Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(S(1).Points()[i].X, 0.5 * (i + 1));
        EXPECT_DOUBLE_EQ(S(1).Points()[i].Y, 1 + 0.5 * (i + 1));
        EXPECT_DOUBLE_EQ(S(2).Points()[i].Y, 1 - 0.25 * (i + 1));
    }
    // The pause showed the state Continue goes on from.
    EXPECT_EQ(form.N1Edit->text(), "3");
    EXPECT_EQ(form.N2Edit->text(), "0");
}

TEST_F(MainWindow, TheTimerDrivesTheRunAndResetRestartsTheTime) {
    SetRates("0.001*N1", "0");
    form.TrackBar1->setValue(10);
    form.ButtonStartPause->click();
    EXPECT_TRUE(S(1).Hold()); // drawn by the refresh from the first step on
    ASSERT_TRUE(QTest::qWaitFor([&] { return S(1).Count() >= 20; }, 5000));
    form.ButtonClearClick();
    ExpectState("&Pause", true);
    EXPECT_LE(S(1).Count(), 1);
    const double n1 = form.Sim.N1;
    EXPECT_GT(n1, 1.0); // the densities go on
    ASSERT_TRUE(QTest::qWaitFor([&] { return S(1).Count() >= 5; }, 5000));
    form.ButtonStartPauseClick();
    EXPECT_LT(S(1).Points().front().X, 2.5);
    EXPECT_GT(form.Sim.N1, n1);
    // At top speed the refresh holds the curves between two refreshes.
    form.ButtonStartPauseClick();
    form.Timer2Timer();
    EXPECT_TRUE(S(1).Hold());
    form.TrackBar1->setValue(9);
    EXPECT_FALSE(S(1).Hold());
    form.ButtonStartPauseClick();
    EXPECT_FALSE(S(2).Hold());
}

TEST_F(MainWindow, PausingAndContinuingKeepsTheExactState) {
    form.ButtonStartPauseClick();
    form.Sim.N1 = 1.23456789;
    form.Sim.N2 = -5;
    form.ButtonStartPauseClick();
    EXPECT_EQ(form.N1Edit->text(), "1.23457");
    EXPECT_EQ(form.N2Edit->text(), "0");
    form.ButtonStartPauseClick();
    EXPECT_EQ(form.Sim.N1, 1.23456789);
    EXPECT_EQ(form.Sim.N2, -5);
    form.ButtonStartPauseClick();
    // Leaving an edit the user did not change keeps the state too.
    form.N1EditExit();
    EXPECT_EQ(form.Sim.N1, 1.23456789);
}

TEST_F(MainWindow, TheRunningItemsMarkShowsTheRunStateAlsoWhenAStartFails) {
    // Chosen through the event loop, as from the menu, so that the error
    // reaches the error display.
    const auto choose = [&] {
        QMetaObject::invokeMethod(form.Running1, &QAction::trigger, Qt::QueuedConnection);
        QCoreApplication::processEvents();
    };
    SetRates("N1+", "0");
    choose();
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    ExpectState("&Start", false);
    SetRates("0", "0");
    choose();
    ExpectState("&Pause", true);
    SetRates("N1+", "0");
    choose();
    ExpectState("&Continue", false);
    choose();
    EXPECT_EQ(gDialogs.errors.size(), 2u);
    ExpectState("&Continue", false);
}

// A rate that does not compile is named in the message, and the focus goes
// to its field on the species page.
TEST_F(MainWindow, ARateThatDoesNotCompileIsNamedAndGetsTheFocus) {
    form.PageControl1->setCurrentIndex(1);
    SetRates("0.5*N1", "E*N2 (1+N1)-M*N2");
    QMetaObject::invokeMethod(form.Start1, &QAction::trigger, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_TRUE(gDialogs.errors[0].text.startsWith("Species 2 rate: unknown name 'E'\n"))
        << gDialogs.errors[0].text.toStdString();
    EXPECT_EQ(form.PageControl1->currentIndex(), 0);
    EXPECT_EQ(form.focusWidget(), form.Rate2);
}

// Help > About this model shows what the model's file says of itself.
TEST_F(MainWindow, AboutThisModelShowsTheFilesTitleAndSource) {
    QTemporaryDir dir;
    const QString file = dir.filePath("m.ini");
    for (const auto& [about, shown] : std::vector<std::pair<std::string, QString>>{
             {"[About]\nTitle=Hares\nSource=Elton (1924)\nNote=yearly\n",
              "Hares\n\nSource: Elton (1924)\nNote: yearly"},
             {"", "This model says nothing about itself"}}) {
        std::ofstream(file.toStdString()) << about << "[Species 1]\nRate=N1\n";
        form.LoadModelSettings(file);
        gDialogs.infos.clear();
        form.AboutModel1->trigger();
        ASSERT_EQ(gDialogs.infos.size(), 1u);
        EXPECT_TRUE(gDialogs.infos[0].text.startsWith(shown))
            << gDialogs.infos[0].text.toStdString();
    }
}

// However narrow the window, the control panel's labels and buttons keep
// their width (the panel scrolls sideways instead); however wide, the speed
// slider stays a slider's width.
TEST_F(MainWindow, ThePanelScrollsWhenNarrowAndItsSliderStopsGrowingWhenWide) {
    form.show();
    for (const int width : {300, 640, 1600}) {
        SCOPED_TRACE(width);
        form.resize(width, 600);
        QCoreApplication::processEvents();
        for (const auto* label : form.Panel1->findChildren<QLabel*>()) {
            if (label->isVisible()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        }
        EXPECT_GE(form.ButtonStartPause->width(), form.ButtonStartPause->sizeHint().width());
        const auto* scroll = form.findChild<QScrollArea*>("PanelScroll1");
        ASSERT_NE(scroll, nullptr);
        EXPECT_EQ(scroll->horizontalScrollBar()->isVisible(),
                  scroll->width() < form.Panel1->minimumSizeHint().width());
        // The whole panel stays in view above the scroll bar.
        EXPECT_GE(scroll->viewport()->height(), form.Panel1->height());
        EXPECT_LE(form.TrackBar1->width(), 320);
    }
}

// The graphs' text follows a desktop font larger than the 9 points it is
// designed at, and a font change while the window is open; the room below
// the plot, sized to the labels and the axis title, grows with it.
TEST_F(MainWindow, TheGraphsTextFollowsTheDesktopFontSize) {
    const QFont saved = QApplication::font();
    form.resize(800, 600);
    form.show();
    QCoreApplication::processEvents();
    const int bottom = form.PlotGraph1->PlotMargins().bottom();
    for (const auto& [points, scale] : {std::pair{18.0, 2.0}, {7.0, 1.0}, {9.0, 1.0}}) {
        QFont font = saved;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        QCoreApplication::processEvents();
        EXPECT_EQ(form.PlotGraph1->TextScale(), scale) << points;
        EXPECT_EQ(form.PlotGraph2->TextScale(), scale) << points;
        if (scale > 1) {
            EXPECT_GT(form.PlotGraph1->PlotMargins().bottom(), bottom);
        }
    }
    QApplication::setFont(saved);
}

// The state is -11 behind an edit that shows "0"; the user types "0".
TEST_F(MainWindow, ADensityTypedAsTheTextOnShowIsTheStateStill) {
    for (const bool leaveTheField : {true, false}) {
        form.ButtonStartPauseClick();
        form.Sim.N1 = -11;
        form.ButtonStartPauseClick();
        ASSERT_EQ(form.N1Edit->text(), "0");
        form.N1Edit->selectAll();
        QTest::keyClicks(form.N1Edit, "0");
        ASSERT_EQ(form.N1Edit->text(), "0");
        if (leaveTheField) {
            form.N1EditExit();
            EXPECT_EQ(form.Sim.N1, 0) << "left the field";
        }
        form.ButtonStartPauseClick(); // Continue
        EXPECT_EQ(form.Sim.N1, 0) << leaveTheField;
        form.ButtonStartPauseClick();
    }
}

// A cell typed into without Enter: the commands that leave the focus in it
// take its text all the same.
TEST_F(MainWindow, AnOpenCellEditorIsCommittedBeforeStartAndSave) {
    QTemporaryDir dir;
    const QString file = dir.filePath("model.ini");
    const struct {
        const char* command;
        std::function<void()> run;
    } commands[] = {
        {"Alt+S",
         [&] {
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
             EXPECT_TRUE(QTest::qWaitFor([&] { return form.Running(); }, 1000));
         }},
        {"Run > Start", [&] { form.Start1->trigger(); }},
        {"File > Save",
         [&] {
             gDialogs.chosenFile = file;
             form.Save1->trigger();
         }},
    };
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.PageControl1->setCurrentIndex(1);
    SetRates("k", "0");
    for (const auto& c : commands) {
        SetRow(0, "k", "1");
        Table()->setCurrentCell(0, 1);
        Table()->editItem(Table()->item(0, 1));
        auto* editor = qobject_cast<QLineEdit*>(Table()->indexWidget(Table()->currentIndex()));
        ASSERT_NE(editor, nullptr) << c.command;
        editor->setText("2");
        c.run();
        EXPECT_EQ(Table()->item(0, 1)->text(), "2") << c.command;
        if (form.Running()) {
            EXPECT_EQ(form.Sim.MathParser1.Value(), 2) << c.command;
            form.ButtonStartPauseClick();
        }
    }
    EXPECT_EQ(ReadProfileString(file.toStdString(), "Parameters", "Value1", ""), "2");
    EXPECT_TRUE(gDialogs.errors.empty());
    form.close();
}

// Right after a file dialog no window is active yet.
TEST_F(MainWindow, AnErrorWithNoActiveWindowIsCentredOnTheMainWindow) {
    QTemporaryDir dir;
    gDialogs.chosenFile = dir.filePath("bad.ini");
    std::ofstream(gDialogs.chosenFile.toStdString()) << "[Time]\nStep=slow\n";
    QApplication::setActiveWindow(nullptr);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    QMetaObject::invokeMethod(form.Load1, &QAction::trigger, Qt::QueuedConnection);
    QCoreApplication::processEvents();
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text, "'slow' is not a valid floating point value.");
    EXPECT_EQ(gDialogs.errors[0].parent, &form);
}

TEST_F(MainWindow, ATypedDensityIsTheStateAtOnceAndBadTextIsNot) {
    form.N1Edit->setText("2.5");
    form.N1EditExit();
    EXPECT_EQ(form.Sim.N1, 2.5);
    // Typed but not left, then Start from the menu: still taken.
    form.N2Edit->setText("7");
    form.Start1->trigger();
    EXPECT_EQ(form.Sim.N2, 7);
    form.Start1->trigger();
    // Text the edit will refuse and put back never reaches the state.
    form.N1Edit->setText("1e99");
    form.N1EditExit();
    form.N2Edit->setText("");
    form.N2EditExit();
    EXPECT_EQ(form.Sim.N1, 2.5);
    EXPECT_EQ(form.Sim.N2, 7);
}

TEST_F(MainWindow, ResetSeedsTheAxesFromTheStepAndTheDensities) {
    form.dtEdit->setText("0.5");
    form.dtEditExit();
    form.N1Edit->setText("3");
    form.N1EditExit();
    form.ButtonClearClick();
    EXPECT_EQ(form.PlotGraph1->XAxis().Min(), 0);
    EXPECT_EQ(form.PlotGraph1->XAxis().Max(), 5);
    EXPECT_TRUE(form.PlotGraph1->XAxis().AutoSizing());
    EXPECT_EQ(form.PlotGraph1->YAxis().Min(), 1);
    EXPECT_EQ(form.PlotGraph1->YAxis().Max(), 3);
    EXPECT_TRUE(form.PlotGraph1->YAxis().AutoSizing());
}

TEST_F(MainWindow, TooManyPointsAnsweredYesResetsAndStops) {
    S(1).SetPointLimit(3);
    S(2).SetPointLimit(3);
    form.ButtonStartPauseClick();
    for (int i = 0; i < 4; ++i)
        form.Timer1Timer();
    ASSERT_EQ(gDialogs.questions.size(), 1u);
    EXPECT_EQ(gDialogs.questions[0].caption, "Too Many Points");
    EXPECT_EQ(gDialogs.questions[0].text,
              "A great deal of data has accumulated.  To avoid an error and improve performance, "
              "clear the data now?");
    EXPECT_FALSE(gDialogs.questions[0].defaultYes); // a stray Enter keeps the run's data
    ExpectState("&Start", false);
    EXPECT_EQ(form.Sim.t, 0);
    EXPECT_EQ(S(1).Count(), 0);
    EXPECT_EQ(S(2).Count(), 0); // the step that overflowed was cleared away whole
}

TEST_F(MainWindow, TooManyPointsAnsweredNoPausesAndNeverAsksAgain) {
    gDialogs.answerYes = false;
    S(1).SetPointLimit(3);
    S(2).SetPointLimit(3);
    form.ButtonStartPauseClick();
    for (int i = 0; i < 4; ++i)
        form.Timer1Timer();
    ExpectState("&Continue", false);
    EXPECT_EQ(S(1).Count(), 4);
    EXPECT_EQ(S(2).Count(), 4);
    EXPECT_EQ(S(1).PointLimit(), 0);
    EXPECT_EQ(S(2).PointLimit(), 0);
    form.ButtonClearClick();
    form.ButtonStartPauseClick();
    for (int i = 0; i < 10; ++i)
        form.Timer1Timer();
    EXPECT_EQ(gDialogs.questions.size(), 1u);
    form.ButtonStartPauseClick();
}

TEST_F(MainWindow, AFaultingStepPausesTheRunAndShowsOneMessage) {
    SetRates("1/(N1-1)", "0");
    form.TrackBar1->setValue(10);
    QTest::mouseClick(form.ButtonStartPause, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !gDialogs.errors.empty(); }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].caption, "Tarnivell Simulation");
    EXPECT_EQ(gDialogs.errors[0].text, "Solver stopped at t = 0: Floating point division by zero.");
    ExpectState("&Continue", false);
    EXPECT_EQ(form.Sim.t, 1); // time advanced, nothing else
    EXPECT_EQ(S(1).Count(), 0);
}

// A fault after the step, while the points go onto the graph or the refresh
// draws them, pauses the run too: one message, not one per tick.
TEST(MainWindowTick, AFaultAnywhereInATickPausesBeforeItsMessage) {
    for (int speed : {10, 8}) {
        gDialogs.Clear();
        TForm1 form;
        form.Rate1->setText("0.01*N1");
        form.TrackBar1->setValue(speed);
        form.PlotGraph1->GetSeries(1).SetPointLimit(3);
        form.PlotGraph1->OnTooManyPoints = [](QObject*, int) { throw Exception("Drawing failed"); };
        QTest::mouseClick(form.ButtonStartPause, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([] { return !gDialogs.errors.empty(); }, 5000));
        QTest::qWait(150);
        EXPECT_EQ(gDialogs.errors.size(), 1u) << speed;
        EXPECT_FALSE(form.Running()) << speed;
        EXPECT_EQ(form.ButtonStartPause->text(), "&Continue");
    }
}

TEST_F(MainWindow, EnteringAModelFieldPausesButTheTimeStepDoesNot) {
    form.show();
    QApplication::setActiveWindow(&form);
    form.ButtonStartPause->setFocus();
    for (QWidget* field : std::initializer_list<QWidget*>{form.N1Edit, form.Rate2, Table()}) {
        form.ButtonStartPauseClick();
        form.dtEdit->setFocus();
        ASSERT_TRUE(form.Running());
        field->setFocus();
        EXPECT_FALSE(form.Running()) << field->objectName().toStdString();
    }
    form.close();
}

TEST_F(MainWindow, PrintingPausesAndShowsTheLegendOnPaperOnly) {
    QTemporaryDir dir;
    bool legendOnPaper = false;
    form.PlotGraph1->PrinterSetup = [&](QPrinter& printer) {
        legendOnPaper = form.PlotGraph1->Legend().visible();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("page.pdf"));
        return true;
    };
    form.ButtonStartPauseClick();
    form.Print1->trigger();
    ExpectState("&Continue", false);
    EXPECT_TRUE(legendOnPaper);
    EXPECT_FALSE(form.PlotGraph1->Legend().visible());
    EXPECT_GT(QFileInfo(dir.filePath("page.pdf")).size(), 0);
}

TEST_F(MainWindow, CopyingGoesOnRunningAndSavingABitmapPauses) {
    form.show();
    form.ButtonStartPauseClick();
    form.Clip1->trigger();
    EXPECT_TRUE(form.Running());
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(TPlotGraph::kClipboardFormat));
    QTemporaryDir dir;
    gDialogs.chosenFile = dir.filePath("graph.bmp");
    form.Bitmap1->trigger();
    ExpectState("&Continue", false);
    ASSERT_FALSE(gDialogs.fileRequests.empty());
    EXPECT_EQ(gDialogs.fileRequests.back().defaultExt, "bmp");
    EXPECT_TRUE(gDialogs.fileRequests.back().title.isEmpty());
    EXPECT_EQ(QImage(dir.filePath("graph.bmp")).size(), form.PlotGraph1->size());
    form.close();
}

TEST_F(MainWindow, LineAndPointsBoxesAndColourButtonsReachTheSeries) {
    form.CheckBox1->setChecked(false);
    form.CheckBox4->setChecked(true);
    EXPECT_FALSE(S(1).ShowLine());
    EXPECT_TRUE(S(2).ShowPoints());
    form.ColorButton2->SetColor(clBlue);
    EXPECT_EQ(S(2).LineColor(), clBlue);
    EXPECT_EQ(S(2).PointColor(), clBlue);
}

TEST_F(MainWindow, AboutNamesTheProgramAndVersion) {
    form.About2->trigger();
    ASSERT_EQ(gDialogs.infos.size(), 1u);
    EXPECT_EQ(gDialogs.infos[0].caption, "Tarnivell Simulation");
    EXPECT_EQ(gDialogs.infos[0].text, "Tarnivell v1.0b\nTarnivell Simulation");
}

} // namespace

namespace {

// Every box shows its text as it stands: markup from a model file (a red
// heading, a picture read from a path, a link that opens a program) is text.
TEST(MessageBoxes, ShowTheirTextAsItStands) {
    const TAppDialogs seams = std::exchange(AppDialogs(), TAppDialogs{});
    const QString markup = QStringLiteral(
        "'<h1 style=\"color:red\">x</h1><img src=\"/dev/zero\"><a href=\"file:///\">y</a>'");
    std::vector<Qt::TextFormat> formats;
    const auto answerLater = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            formats.push_back(box->textFormat());
            EXPECT_EQ(box->text(), markup);
            // The answer that changes nothing: Cancel, No, or the one OK.
            for (auto answer : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Ok})
                if (QAbstractButton* button = box->button(answer)) return button->click();
        });
    };
    answerLater();
    ShowErrorBox(nullptr, QStringLiteral("T"), markup);
    answerLater();
    ShowInfoBox(nullptr, QStringLiteral("T"), markup);
    answerLater();
    EXPECT_FALSE(AskYesNoBox(nullptr, QStringLiteral("T"), markup));
    answerLater();
    EXPECT_EQ(AskSaveBox(nullptr, QStringLiteral("T"), markup), TSaveAnswer::Cancel);
    AppDialogs() = seams;
    EXPECT_EQ(formats, std::vector<Qt::TextFormat>(4, Qt::PlainText));
}

} // namespace
