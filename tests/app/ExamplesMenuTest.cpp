#include "WindowDriver.h"

#include "Appearance.h"
#include "MainWindow.h"
#include "ParameterPanel.h"
#include "PlotGraph.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

namespace {

// The save dialog answers one name after the other; an empty name cancels.
class FileAnswers {
public:
    explicit FileAnswers(std::deque<QString> names) : names_(std::move(names)) {
        saved_ = AppDialogs().ChooseFile;
        AppDialogs().ChooseFile = [this](QWidget*, const TFileDialogRequest& request) {
            requests.push_back(request);
            if (names_.empty()) return QString();
            const QString name = names_.front();
            names_.pop_front();
            return name;
        };
    }
    ~FileAnswers() { AppDialogs().ChooseFile = saved_; }

    std::vector<TFileDialogRequest> requests;

private:
    std::deque<QString> names_;
    std::function<QString(QWidget*, const TFileDialogRequest&)> saved_;
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QAction* ExampleItem(const TForm1& form, const QString& title) {
    for (QAction* item : form.Examples1->actions())
        if (item->text() == title) return item;
    return nullptr;
}

class ExamplesMenu : public TWindowDriver {};

TEST_F(ExamplesMenu, ListsTheShippedModelsByTitleBesideTheBuild) {
    EXPECT_EQ(QDir(form.Examples.Folder()).canonicalPath(),
              QDir(QStringLiteral(TARNIVELL_EXAMPLES)).canonicalPath());
    QStringList titles;
    for (const QAction* item : form.Examples1->actions())
        titles << item->text();
    const QStringList files =
        QDir(QStringLiteral(TARNIVELL_EXAMPLES)).entryList({QStringLiteral("*.ini")}, QDir::Files);
    EXPECT_EQ(titles.size(), files.size());
    EXPECT_TRUE(titles.contains("Lotka-Volterra predator-prey")) << titles.join(", ").toStdString();
    EXPECT_TRUE(titles.contains("predator-prey")); // a model without a title: its file name
    QStringList sorted = titles;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(titles, sorted);
    EXPECT_TRUE(form.Examples1->isEnabled());
    // The menu sits between Load and Save.
    const QList<QAction*> file = form.menuBar()->actions().front()->menu()->actions();
    ASSERT_GE(file.size(), 3);
    EXPECT_EQ(file[0], form.Load1);
    EXPECT_EQ(file[1], form.Examples1->menuAction());
    EXPECT_EQ(file[2], form.Save1);
}

TEST_F(ExamplesMenu, ChoosingOneLoadsItAsLoadDoesAndPausesARun) {
    form.ButtonStartPauseClick();
    ASSERT_TRUE(form.Running());
    QAction* item = ExampleItem(form, "SIR epidemic (Kermack-McKendrick)");
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_TRUE(gDialogs.errors.empty());
    EXPECT_TRUE(gDialogs.fileRequests.empty()); // no open dialog
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.ButtonStartPause->text(), "&Continue");
    EXPECT_EQ(form.Rate1->text(), "-beta*N1*N2");
    EXPECT_EQ(form.Sim.N1, 0.9999);
    EXPECT_EQ(form.Sim.dt, 0.25);
    EXPECT_EQ(form.ParameterPanel1->Rows()[1].name, "gamma");
    // Titled as the file titles itself.
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "SIR epidemic (Kermack-McKendrick)");
}

TEST_F(ExamplesMenu, SaveAsksForANewNameInsteadOfWritingAnExample) {
    const QString example = QStringLiteral(TARNIVELL_EXAMPLES "/lotka-volterra.ini");
    const QByteArray original = ReadAll(example);
    ExampleItem(form, "Lotka-Volterra predator-prey")->trigger();
    form.Rate1->setText("b*N1");

    QTemporaryDir dir;
    const QString mine = dir.filePath("mine.ini");
    {
        // The example itself, then a new file beside it, then a file of the user's.
        FileAnswers answers({example, QStringLiteral(TARNIVELL_EXAMPLES "/mine.ini"), mine});
        form.SpeedButton2Click();
        ASSERT_EQ(answers.requests.size(), 3u);
        for (const TFileDialogRequest& request : answers.requests) {
            EXPECT_EQ(request.title, "Save Settings");
            EXPECT_TRUE(request.save);
        }
    }
    ASSERT_EQ(gDialogs.errors.size(), 2u);
    EXPECT_EQ(gDialogs.errors[0].text.toStdString(),
              "'" + example.toStdString() +
                  "' is a shipped example and is kept as it is; choose a new file name.");
    EXPECT_EQ(gDialogs.errors[0].parent, &form);
    EXPECT_EQ(ReadAll(example), original);
    EXPECT_FALSE(QFile::exists(QStringLiteral(TARNIVELL_EXAMPLES "/mine.ini")));
    EXPECT_TRUE(ReadAll(mine).contains("Rate=b*N1\n"));
    // The copy keeps the example's [About], and with it its title.
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "Lotka-Volterra predator-prey");

    // Cancelling after a refusal writes nothing at all.
    gDialogs.Clear();
    FileAnswers cancel({example});
    form.SpeedButton2Click();
    EXPECT_EQ(cancel.requests.size(), 2u);
    EXPECT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(ReadAll(example), original);
    EXPECT_EQ(form.PlotGraph1->Appearance().GraphTitle(), "Lotka-Volterra predator-prey");
}

} // namespace
