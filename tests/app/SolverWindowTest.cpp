#include "WindowDriver.h"

#include "AnimTimer.h"
#include "FloatEdit.h"
#include "MainWindow.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

class SolverWindow : public TWindowDriver {
protected:
    void SetModel(const char* rate1, const char* rate2, const char* dt) {
        SetRates(rate1, rate2);
        SetStep(dt);
    }
    QString Message() { return form.statusBar()->currentMessage(); }
};

TEST_F(SolverWindow, TheDropDownListsTheMethodsAndTakesEffectOnTheNextStart) {
    ASSERT_EQ(form.MethodBox->count(), 4);
    const char* captions[] = {"Euler", "Runge\u2013Kutta 4", "Adaptive (Dormand\u2013Prince)",
                              "Stiff (BDF)"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(form.MethodBox->itemText(i), QString::fromUtf8(captions[i]));
    EXPECT_EQ(form.MethodBox->currentIndex(), 0);

    SetModel("N1", "0", "1");
    form.MethodBox->setCurrentIndex(1);
    EXPECT_EQ(form.Sim.Settings.Method, sm_RK4);
    form.ButtonStartPauseClick();
    form.Timer1Timer();
    EXPECT_DOUBLE_EQ(form.Sim.N1, 1 + 1 + 1.0 / 2 + 1.0 / 6 + 1.0 / 24);
    // A choice made during the run waits for the next Continue.
    form.MethodBox->setCurrentIndex(0);
    form.Timer1Timer();
    EXPECT_EQ(form.Sim.BoundSettings().Method, sm_RK4);
    form.ButtonStartPauseClick();
    form.ButtonStartPauseClick();
    EXPECT_EQ(form.Sim.BoundSettings().Method, sm_Euler);
    const double n1 = form.Sim.N1;
    form.Timer1Timer();
    EXPECT_DOUBLE_EQ(form.Sim.N1, 2 * n1);
    form.ButtonStartPauseClick();
    EXPECT_EQ(S(1).Count(), 3);
}

TEST_F(SolverWindow, EnteringOrChoosingInTheDropDownPausesARun) {
    form.show();
    QApplication::setActiveWindow(&form);
    form.dtEdit->setFocus();
    form.ButtonStartPauseClick();
    ASSERT_TRUE(form.Running());
    form.MethodBox->setFocus();
    EXPECT_FALSE(form.Running());

    form.ButtonStartPauseClick();
    ASSERT_TRUE(form.Running());
    emit form.MethodBox->activated(2); // a choice that came without the focus
    EXPECT_FALSE(form.Running());
    form.close();
}

TEST_F(SolverWindow, TheSolverDialogRefusesABadToleranceAndStaysOpen) {
    bool stayedOpen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* rel = dialog->findChild<QLineEdit*>("RelTolEdit");
        auto* abs = dialog->findChild<QLineEdit*>("AbsTolEdit");
        auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        EXPECT_EQ(rel->text(), "1E-6");
        EXPECT_EQ(abs->text(), "1E-9");
        rel->setText("1E-7");
        abs->setText("tiny");
        ok->click();
        stayedOpen = dialog->isVisible();
        abs->setText("1E-12");
        ok->click();
    });
    form.Solver1->trigger();
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text, "'tiny' is not a valid floating point value.");
    EXPECT_EQ(form.Sim.Settings.RelTol, 1E-7);
    EXPECT_EQ(form.Sim.Settings.AbsTol, 1E-12);

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("RelTolEdit")->setText("0.5");
        dialog->reject();
    });
    form.Solver1->trigger();
    EXPECT_EQ(form.Sim.Settings.RelTol, 1E-7);
}

TEST_F(SolverWindow, LargeEulerStepsAreHintedOncePerRun) {
    SetModel("-0.6*N1", "0", "1"); // N1 loses 60 % per step
    form.ButtonStartPauseClick();
    EXPECT_EQ(Message(), "");
    form.Timer1Timer();
    EXPECT_EQ(Message(), TForm1::kEulerHint);
    form.statusBar()->clearMessage();
    form.Timer1Timer();
    EXPECT_EQ(Message(), ""); // once in this run
    form.ButtonStartPauseClick();
    form.ButtonStartPauseClick();
    form.Timer1Timer();
    EXPECT_EQ(Message(), TForm1::kEulerHint); // and again in the next
    EXPECT_TRUE(gDialogs.errors.empty());
    EXPECT_TRUE(gDialogs.infos.empty());

    // A small step, or another method, says nothing.
    form.ButtonStartPauseClick();
    form.dtEdit->setText("0.1");
    form.dtEditExit();
    form.ButtonStartPauseClick();
    EXPECT_EQ(Message(), "");
    form.Timer1Timer();
    form.ButtonStartPauseClick();
    form.dtEdit->setText("1");
    form.dtEditExit();
    form.MethodBox->setCurrentIndex(1);
    form.ButtonStartPauseClick();
    form.Timer1Timer();
    form.ButtonStartPauseClick();
    EXPECT_EQ(Message(), "");
}

TEST_F(SolverWindow, ASolverFaultPausesWithOneMessageAndAddsNoPoint) {
    // From N1 = 1 at rate 1 the second RK4 stage reaches N1 = 1.5.
    SetModel("1", "1/(N1-1.5)", "1");
    form.MethodBox->setCurrentIndex(1);
    form.TrackBar1->setValue(10);
    QTest::mouseClick(form.ButtonStartPause, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([] { return !gDialogs.errors.empty(); }, 5000));
    QTest::qWait(100);
    ASSERT_EQ(gDialogs.errors.size(), 1u);
    EXPECT_EQ(gDialogs.errors[0].text, "Solver stopped at t = 0: Floating point division by zero.");
    EXPECT_FALSE(form.Running());
    EXPECT_EQ(form.ButtonStartPause->text(), TForm1::kContinueCaption);
    EXPECT_EQ(form.Sim.t, 0);
    EXPECT_EQ(form.Sim.N1, 1);
    EXPECT_EQ(form.Sim.N2, 1);
    EXPECT_EQ(S(1).Count(), 0);
    EXPECT_EQ(S(2).Count(), 0);
}

TEST_F(SolverWindow, LoadAndSaveCarryTheSolverSettings) {
    QTemporaryDir dir;
    const QString stiff = dir.filePath("stiff.ini");
    std::ofstream(stiff.toStdString()) << "[Species 1]\nRate=-1000*N1+N2\n[Species 2]\nRate=-N2\n"
                                          "[Solver]\nMethod=bdf\nRelTol=1E-4\n";
    form.LoadModelSettings(stiff);
    EXPECT_EQ(form.MethodBox->currentIndex(), 3);
    EXPECT_EQ(form.Sim.Settings, (TSolverSettings{sm_BDF, 1E-4, kDefaultAbsTol}));

    const QString copy = dir.filePath("copy.ini");
    form.SaveModelSettings(copy);
    std::ifstream in(copy.toStdString());
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("[Solver]\nMethod=bdf\nRelTol=0.0001\n"), std::string::npos)
        << text.str();

    // A bad method changes nothing; a file without the section is Euler.
    const QString bad = dir.filePath("bad.ini");
    std::ofstream(bad.toStdString()) << "[Time]\nStep=0.5\n[Solver]\nMethod=midpoint\n";
    EXPECT_THROW(form.LoadModelSettings(bad), ESolverError);
    EXPECT_EQ(form.MethodBox->currentIndex(), 3);
    EXPECT_EQ(form.Sim.dt, 1);
    form.LoadModelSettings(dir.filePath("none.ini"));
    EXPECT_EQ(form.MethodBox->currentIndex(), 0);
    EXPECT_EQ(form.Sim.Settings, TSolverSettings{});
}

} // namespace
