#include "WindowDriver.h"

#include "AnimTimer.h"
#include "Appearance.h"
#include "Axis.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "Exception.h"
#include "FloatEdit.h"
#include "IniFile.h"
#include "MainWindow.h"
#include "ParameterPanel.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

#include <sys/stat.h>

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

class ModelCommands : public TWindowDriver {
protected:
    QString Path(const char* name) const { return dir.filePath(name); }
    // A row as a loaded file would fill it, not typed by the user.
    void SetRowQuietly(int row, const char* name, const char* value) {
        std::vector<ParameterRow> rows = form.ParameterPanel1->Rows();
        rows[std::size_t(row)].name = name;
        rows[std::size_t(row)].value = value;
        form.ParameterPanel1->SetRows(rows);
    }
    // Start through a real click, so that an error takes the program's path
    // to the error display.
    void ClickStart() { QTest::mouseClick(form.ButtonStartPause, Qt::LeftButton); }

    QTemporaryDir dir;
};

TEST_F(ModelCommands, StartBindsTheRowsInDisplayedOrderAndRewritesTheirValues) {
    SetRow(0, "k", "2.50");
    SetRow(1, "", "not a number");
    SetRow(2, "K", "1e1");
    form.Rate1->setText(" k * N1 ");
    // Two rows of one name are refused, counted as the table shows them.
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text, "Rows 1 and 3 of the parameter table name one parameter "
                                       "('k' and 'K': letter case does not count).");
    EXPECT_FALSE(form.Running());
    Table()->verticalHeader()->moveSection(2, 0);
    EXPECT_EQ(form.ParameterPanel1->Rows()[0].name, "K");
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 2u);
    EXPECT_EQ(gDialogs.errors[1].text, "Rows 1 and 2 of the parameter table name one parameter "
                                       "('K' and 'k': letter case does not count).");
    EXPECT_EQ(CellOf(form, 0, 1), "2.50"); // nothing was bound

    Table()->item(2, 0)->setText("m");
    form.Rate1->setText(" k * m * N1 ");
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 2u);
    EXPECT_EQ(CellOf(form, 0, 1), "2.5");
    EXPECT_EQ(CellOf(form, 1, 1), "not a number");
    EXPECT_EQ(CellOf(form, 2, 1), "10");
    EXPECT_EQ(form.Sim.MathParser1.Value(), 25);
    form.ButtonStartPauseClick();
}

TEST_F(ModelCommands, ABadValueCellStopsTheStartWithItsMessage) {
    SetRow(0, "a", "0.50");
    SetRow(1, "b", "x1");
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text, "'x1' is not a valid floating point value.");
    EXPECT_EQ(gDialogs.errors[0].caption, "Tarnivell Simulation");
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.ButtonStartPause->text(), "&Start");
    EXPECT_EQ(CellOf(form, 0, 1), "0.5"); // the row before it was bound
}

TEST_F(ModelCommands, ABadNameOrARateThatDoesNotCompileStopsTheStart) {
    SetRow(0, "a b", "1");
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text,
              "Row 1 of the parameter table: 'a b' is not a valid parameter name.");
    EXPECT_FALSE(form.Running());

    SetRow(0, "a", "1");
    form.Rate2->setText("a*");
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 2u);
    EXPECT_FALSE(form.Running());
    form.Rate2->setText("T"); // not a name the model knows
    ClickStart();
    ASSERT_EQ(gDialogs.errors.size(), 3u);
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.ButtonStartPause->text(), "&Start");

    form.Rate2->setText("a");
    ClickStart();
    EXPECT_EQ(gDialogs.errors.size(), 3u);
    EXPECT_TRUE(form.Running());
    form.ButtonStartPauseClick();
}

TEST_F(ModelCommands, SaveThenLoadRestoresTheModelToFifteenDigits) {
    form.Sim.dt = 0.123456789012345;
    form.Sim.N1 = 98765.4321098765;
    form.Sim.N2 = -1.5e-7;
    form.Rate1->setText("a * N1 - b*N1*N2");
    form.Rate2->setText("'quoted'");
    for (int r = 0; r < 20; ++r) {
        const std::string i = std::to_string(r);
        SetRow(r, ("p" + i).c_str(), (i + ".50").c_str(), ("row " + i).c_str());
    }
    SetRow(6, "", "", "description only");
    gDialogs.chosenFile = Path("model.old.ini");
    form.SpeedButton2Click();
    EXPECT_EQ(gDialogs.fileRequests.back().title, "Save Settings");
    EXPECT_TRUE(gDialogs.fileRequests.back().save);
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "model.old");

    TForm1 other;
    gDialogs.chosenFile = Path("model.old.ini");
    other.SpeedButton1Click();
    EXPECT_EQ(gDialogs.fileRequests.back().title, "Load Settings");
    EXPECT_EQ(gDialogs.fileRequests.back().defaultExt, "ini");
    EXPECT_EQ(other.Sim.dt, 0.123456789012345);
    EXPECT_EQ(other.Sim.N1, 98765.4321098765);
    EXPECT_EQ(other.Sim.N2, -1.5e-7);
    EXPECT_EQ(other.N1Edit->text(), "98765.4");
    EXPECT_EQ(other.N2Edit->text(), "0");
    EXPECT_EQ(other.dtEdit->text(), "0.123456789012345");
    EXPECT_EQ(other.Rate1->text(), "a * N1 - b*N1*N2");
    EXPECT_EQ(other.Rate2->text(), "'quoted'");
    for (int r = 0; r < 20; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(CellOf(other, r, c), CellOf(form, r, c)) << r;
    EXPECT_EQ(other.PlotGraph1->Appearance().GraphTitle(), "model.old");
    // Loading neither clears the curves nor starts a run.
    EXPECT_FALSE(other.Running());
}

TEST_F(ModelCommands, SaveUpdatesInPlaceAndKeepsUnknownKeys) {
    const QString path = Path("kept.ini");
    WriteAll(path, "; mine\n[Extra]\nFoo=bar\n[Time]\nComment=x\nStep=5\n");
    form.SaveModelSettings(path);
    const std::string text = ReadAll(path);
    EXPECT_EQ(text.rfind("; mine\n[Extra]\nFoo=bar\n[Time]\nComment=x\nStep=1\n", 0), 0u) << text;
    EXPECT_NE(text.find("Name20=\n"), std::string::npos);
    EXPECT_NE(text.find("Description20="), std::string::npos);
}

TEST_F(ModelCommands, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    const QString locked = Path("locked.ini");
    WriteAll(locked, "[Time]\nStep=5\n");
    QFile::setPermissions(locked, QFileDevice::ReadOwner);
    // A read-only file, unless the tests run with rights that ignore it; a
    // file inside a "folder" that is a plain file cannot be written by anyone.
    WriteAll(Path("plain"), "x");
    QStringList paths{Path("plain/model.ini")};
    if (!QFile(locked).open(QIODevice::Append)) paths << locked;
    for (const QString& path : paths) {
        gDialogs.chosenFile = path;
        try {
            form.SpeedButton2Click();
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const Exception& error) {
            EXPECT_EQ(error.Message(), "Unable to write to " + path.toStdString());
        }
        EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "");
    }
    EXPECT_EQ(ReadAll(locked), "[Time]\nStep=5\n");
    EXPECT_FALSE(QFile::exists(Path("plain/model.ini")));
}

TEST_F(ModelCommands, AFileWithABadNumberChangesNothing) {
    const QString path = Path("bad.ini");
    WriteAll(path, "[Time]\nStep=0.5\n[Species 1]\nDensity=3\n[Species 2]\nDensity=lots\n");
    EXPECT_THROW(form.LoadModelSettings(path), EConvertError);
    EXPECT_EQ(form.Sim.dt, 1);
    EXPECT_EQ(form.Sim.N1, 1);
    EXPECT_EQ(form.dtEdit->text(), "1");
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "");
}

TEST_F(ModelCommands, AFileWithOnlyTheStepKeepsTheDensitiesAndEmptiesTheRest) {
    SetRow(3, "old", "1");
    form.Rate1->setText("N1");
    form.N1Edit->setText("4");
    form.N1EditExit();
    const QString path = Path("prey.ini");
    WriteAll(path, "[time]\nstep=0.01\n");
    form.LoadModelSettings(path);
    EXPECT_EQ(form.Sim.dt, 0.01);
    EXPECT_EQ(form.Sim.N1, 4);
    EXPECT_EQ(form.Rate1->text(), "0");
    EXPECT_EQ(CellOf(form, 3, 0), "");
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "prey");
}

TEST_F(ModelCommands, SavedElsewhereAModelKeepsEverySectionOfItsFile) {
    const QString path = Path("example.ini");
    WriteAll(path, "[About]\nTitle=Predators\nSource=A book\n[Time]\nStep=0.5\n[Species 1]\n"
                   "Rate=N1\n[Notes]\nLine1=kept\n");
    form.LoadModelSettings(path);
    form.Rate2->setText("-N2");
    const QString copy = Path("copy.ini");
    form.SaveModelSettings(copy);
    const IniFile saved(copy.toStdString());
    EXPECT_EQ(saved.ReadString("About", "Title", ""), "Predators");
    EXPECT_EQ(saved.ReadString("About", "Source", ""), "A book");
    EXPECT_EQ(saved.ReadString("Notes", "Line1", ""), "kept");
    EXPECT_EQ(saved.ReadString("Time", "Step", ""), "0.5");
    EXPECT_EQ(saved.ReadString("Species 2", "Rate", ""), "-N2");
    EXPECT_EQ(saved.ReadSections().front(), "About"); // in the order the file had them
    // A file that exists keeps its own values; it gains what it lacked.
    const QString other = Path("other.ini");
    WriteAll(other, "[About]\nTitle=Mine\n");
    form.SaveModelSettings(other);
    EXPECT_EQ(IniFile(other.toStdString()).ReadString("About", "Title", ""), "Mine");
    EXPECT_EQ(IniFile(other.toStdString()).ReadString("About", "Source", ""), "A book");
}

// Closing, loading another model or an example gives up the model on
// screen: a changed one is offered for saving first.
TEST_F(ModelCommands, AChangedModelIsOfferedForSavingBeforeItIsGivenUp) {
    const QString path = Path("m.ini");
    WriteAll(path, "[Species 1]\nRate=N1\n");
    form.show();
    const std::vector<std::function<void()>> changes = {
        [&] { QTest::keyClicks(form.Rate1, "*2"); },
        [&] { form.N1Edit->setText("7"), form.N1Edit->setModified(true), form.N1EditExit(); },
        [&] { Table()->setItem(0, 0, new QTableWidgetItem("a")); },
        [&] { Table()->verticalHeader()->moveSection(2, 0); },
        [&] { form.MethodBox->setCurrentIndex(2), emit form.MethodBox->activated(2); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        form.LoadModelSettings(path);
        EXPECT_FALSE(form.ModelChanged());
        changes[i]();
        EXPECT_TRUE(form.ModelChanged());
        gDialogs.Clear();
        gDialogs.saveAnswer = TSaveAnswer::Cancel;
        EXPECT_FALSE(form.close());
        ASSERT_EQ(gDialogs.questions.size(), 1u);
        EXPECT_EQ(gDialogs.questions[0].text,
                  "The model has changed since it was loaded or saved. Save it?");
        EXPECT_TRUE(form.isVisible());
        // Save goes through the save dialog; cancelling it keeps the window.
        gDialogs.saveAnswer = TSaveAnswer::Save;
        gDialogs.chosenFile.clear();
        EXPECT_FALSE(form.close());
        EXPECT_TRUE(form.ModelChanged());
    }
    gDialogs.chosenFile = Path("saved.ini");
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.ModelChanged());
    EXPECT_EQ(IniFile(Path("saved.ini").toStdString()).ReadString("Solver", "Method", ""), "rk45");

    // What the program itself writes (a Start rewriting 2.50 as 2.5, a run
    // moving the densities) is no change of the user's.
    form.show();
    form.LoadModelSettings(path);
    SetRowQuietly(0, "k", "2.50");
    form.ButtonStartPauseClick();
    form.Timer1Timer();
    form.ButtonStartPauseClick();
    gDialogs.Clear();
    EXPECT_TRUE(form.close());
    EXPECT_TRUE(gDialogs.questions.empty());
}

TEST_F(ModelCommands, CancellingADialogOnlyPauses) {
    form.ButtonStartPauseClick();
    gDialogs.chosenFile.clear();
    form.SpeedButton1Click();
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.ButtonStartPause->text(), "&Continue");
    form.SpeedButton2Click();
    EXPECT_EQ(form.Rate1->text(), "0");
    EXPECT_EQ(gDialogs.fileRequests.size(), 2u);
}

TEST(StartUp, LoadsTheModelNamedOnTheCommandLine) {
    const TFreshStart fresh;
    TForm1 form(QStringLiteral(TARNIVELL_EXAMPLES "/predator-prey.ini"));
    EXPECT_TRUE(gDialogs.errors.empty());
    EXPECT_EQ(form.Sim.dt, 0.01);
    EXPECT_EQ(form.Sim.N1, 40);
    EXPECT_EQ(form.N2Edit->text(), "9");
    EXPECT_EQ(form.Rate1->text(), "a*N1 - b*N1*N2");
    EXPECT_EQ(CellOf(form, 3, 0), "d");
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "predator-prey");
    EXPECT_EQ(form.PlotGraph1->YAxis().Min(), 9);
    EXPECT_EQ(form.PlotGraph1->YAxis().Max(), 40);
}

TEST(StartUp, AMissingOrBadModelFileStillOpensTheWindow) {
    const TFreshStart fresh;
    TForm1 missing(QStringLiteral("no/such/folder/model.v2.ini"));
    EXPECT_EQ(missing.PlotGraph1->Appearance().GraphTitle(), "model.v2");
    EXPECT_EQ(missing.Sim.N1, 1);
    EXPECT_TRUE(gDialogs.errors.empty());

    // A bad model opens the window with its defaults; the message is shown
    // once the window is up, centred on it.
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"[Species 1]\nDensity=\n", "'' is not a valid floating point value."},
        {"[Time]\nStep=1.8E307\n",
         "'1.8E307' is not a valid time step: it must be greater than 0 and at most 1E300."},
        {"[Time]\nStep=0\n",
         "'0' is not a valid time step: it must be greater than 0 and at most 1E300."},
        {"[Time]\nStep=-0.5\n",
         "'-0.5' is not a valid time step: it must be greater than 0 and at most 1E300."},
        {"\x89PNG\r\n\x1a\n\x01\x02junk", "'%1' is not a model file."},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("bad.ini");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        gDialogs.Clear();
        WriteAll(path, c.text);
        TForm1 bad(path);
        EXPECT_TRUE(gDialogs.errors.empty());
        bad.show();
        ASSERT_TRUE(QTest::qWaitFor([] { return !gDialogs.errors.empty(); }, 1000));
        ASSERT_EQ(gDialogs.errors.size(), 1u);
        EXPECT_EQ(gDialogs.errors[0].text, QString(c.message).replace("%1", path));
        EXPECT_EQ(gDialogs.errors[0].parent, &bad);
        EXPECT_EQ(bad.ButtonStartPause->text(), "&Start");
        EXPECT_EQ(bad.Sim.dt, 1);
        EXPECT_EQ(bad.PlotGraph1->XAxis().Max(), 10);
    }
}

TEST(StartUp, ColoursAndCheckBoxesComeBackFromTheProgramsSettingsFile) {
    const TFreshStart fresh;
    const QString file = QDir::current().filePath("Tarnivell.ini");
    QFile::remove(file);
    {
        TForm1 form;
        form.show();
        form.ColorButton1->SetColor(clBlue);
        form.CheckBox3->setChecked(true);
        form.close();
    }
    const std::string text = ReadAll(file);
    EXPECT_NE(text.find("[TForm1]"), std::string::npos);
    EXPECT_NE(text.find("ColorButton1_Color=16711680"), std::string::npos) << text;

    TForm1 again;
    EXPECT_EQ(again.PlotGraph1->GetSeries(1).LineColor(), clRed);
    again.show();
    EXPECT_EQ(again.ColorButton1->Color(), clBlue);
    EXPECT_EQ(again.PlotGraph1->GetSeries(1).LineColor(), clBlue);
    EXPECT_TRUE(again.PlotGraph1->GetSeries(1).ShowPoints());
    again.close();
    QFile::remove(file);
    EXPECT_TRUE(gDialogs.errors.empty());
}

} // namespace

namespace {

// A settings file that is a FIFO would block the window before it appears:
// it is refused with a message and left as it is.
TEST(StartUp, ASettingsFileThatIsNoRegularFileIsRefused) {
    const TFreshStart fresh;
    const QString file = QDir::current().filePath("Tarnivell.ini");
    QFile::remove(file);
    ASSERT_EQ(::mkfifo(file.toLocal8Bit().constData(), 0600), 0);
    {
        TForm1 form;
        form.show();
        ASSERT_TRUE(QTest::qWaitFor([] { return !gDialogs.errors.empty(); }, 1000));
        EXPECT_TRUE(gDialogs.errors[0].text.startsWith("Cannot read "));
        EXPECT_TRUE(gDialogs.errors[0].text.endsWith(": it is not a regular file."));
        form.close();
    }
    EXPECT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(QFileInfo(file).isFile(), false);
    QFile::remove(file);
}

} // namespace

namespace {

// An .ode file loads with its species' names in their captions, the legend
// and the axis titles, and says on the status bar what it ignored; File >
// Export model writes it back, File > Save files the names, and a model
// without names speaks of N1 and N2 again.
TEST_F(ModelCommands, AnOdeFileLoadsWithItsSpeciesNamesAndExportsBack) {
    WriteAll(Path("hl.ode"), "par r=0.8\ninit hare=40, lynx=9\nhare'=r*hare\nlynx'=-lynx\n"
                             "aux s=hare\n@ dt=0.1\n");
    gDialogs.chosenFile = Path("hl.ode");
    form.SpeedButton1Click();
    EXPECT_EQ(form.Sim.N1, 40);
    EXPECT_EQ(form.Sim.dt, 0.1);
    const auto expectNames = [&](const char* a, const char* b, const char* caption1,
                                 const char* caption2, const char* density) {
        EXPECT_EQ(form.SpeciesBox[0]->title(), caption1);
        EXPECT_EQ(form.SpeciesBox[1]->title(), caption2);
        EXPECT_EQ(form.PlotGraph1->GetSeries(1).SeriesName(), a);
        EXPECT_EQ(form.PlotGraph1->GetSeries(2).SeriesName(), b);
        EXPECT_EQ(form.PlotGraph1->YAxis().Title(), density);
        EXPECT_EQ(form.PlotGraph2->XAxis().Title(), QStringLiteral("Density, ") + a);
        EXPECT_EQ(form.PlotGraph2->YAxis().Title(), QStringLiteral("Density, ") + b);
    };
    expectNames("hare", "lynx", "Species 1: hare", "Species 2: lynx", "Density of hare and lynx");
    EXPECT_EQ(form.statusBar()->currentMessage(),
              "hl.ode:5: 'aux' is ignored: the window plots N1 and N2 only");

    gDialogs.chosenFile = Path("out.ode");
    form.ExportModel1Click();
    EXPECT_EQ(gDialogs.fileRequests.back().defaultExt, "ode");
    EXPECT_NE(ReadAll(Path("out.ode")).find("hare'=r*hare\nlynx'=-lynx\n"), std::string::npos);
    gDialogs.chosenFile = Path("hl.ini");
    form.SpeedButton2Click();
    EXPECT_NE(ReadAll(Path("hl.ini")).find("Name=lynx"), std::string::npos);

    form.LoadModelSettings(QStringLiteral(TARNIVELL_EXAMPLES "/predator-prey.ini"));
    expectNames("N1", "N2", "Species 1", "Species 2", "Density");
    form.LoadModelSettings(Path("out.ode"));
    expectNames("hare", "lynx", "Species 1: hare", "Species 2: lynx", "Density of hare and lynx");
}

} // namespace
