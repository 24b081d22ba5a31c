// The window's run control beyond Start and Reset: the stop time, the clock in
// the status bar, and the runs kept for comparison.
#include "MainWindow.h"

#include "AppDialogs.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "FloatText.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

void TForm1::BuildRunExtras(QMenu* run, QMenu* graph) {
    StopAt1 = run->addAction(QString::fromUtf8("Stop at\u2026"));
    graph->addSeparator();
    KeepRun1 = graph->addAction(QStringLiteral("&Keep this run"));
    ClearKept1 = graph->addAction(QStringLiteral("C&lear kept runs"));
    ClearKept1->setEnabled(false);
    Clock1 = new QLabel(this);
    Clock1->setObjectName(QStringLiteral("Clock1"));
    Clock1->setToolTip(QStringLiteral("The time the run has reached"));
    statusBar()->addPermanentWidget(Clock1);
    KeptRuns1 = std::make_unique<TKeptRuns>(*PlotGraph1, *PlotGraph2);
}

void TForm1::WireRunExtras() {
    connect(StopAt1, &QAction::triggered, this, &TForm1::StopAt1Click);
    connect(KeepRun1, &QAction::triggered, this, &TForm1::KeepRun1Click);
    connect(ClearKept1, &QAction::triggered, this, &TForm1::ClearKept1Click);
}

void TForm1::StopAt1Click() {
    QString text = RunStop1.Time ? QString::fromStdString(FloatToText(*RunStop1.Time)) : QString();
    if (!AskTextBox(this, QStringLiteral("Stop at"),
                    QStringLiteral("Time at which a run pauses by itself (empty: none):"), text))
        return;
    text = text.trimmed();
    std::optional<double> stop;
    if (!text.isEmpty()) stop = TextToFloat(text.toStdString());
    if (stop == RunStop1.Time) return;
    RunStop1.Time = stop;
    MarkModelChanged();
    // A running run heads for the new time from where it is.
    if (Running()) RunStop1.Arm(Sim);
}

void TForm1::StopReached() {
    if (Running()) ButtonStartPauseClick();
    statusBar()->showMessage(QString::fromStdString(RunStop1.PausedText(Sim.t)));
}

void TForm1::ShowClock() {
    Clock1->setText(QStringLiteral("t = ") + QString::fromStdString(FloatToText(Sim.t)));
}

void TForm1::KeepRun1Click() {
    if (KeptRuns1->Keep(CurvesOnShow(), ColorButton1->Color(), ColorButton2->Color(),
                        PlotGraph2->TrajectoryColor()))
        ClearKept1->setEnabled(true);
}

void TForm1::ClearKept1Click() {
    KeptRuns1->Clear();
    ClearKept1->setEnabled(false);
}

void TForm1::RecolorKeptRuns() {
    KeptRuns1->SetColors(ColorButton1->Color(), ColorButton2->Color(),
                         PlotGraph2->TrajectoryColor());
}
