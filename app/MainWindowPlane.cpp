// The window's phase plane: its graph, the View menu, the model on screen
// that the plane's controller compiles, the click that starts a run from a
// point of the plane, the Ctrl-click that sketches an orbit through one, the
// limit cycles and the separatrices.
#include "MainWindow.h"

#include "Appearance.h"
#include "EquilibriaDialog.h"
#include "FloatEdit.h"
#include "GraphViews.h"
#include "Legend.h"
#include "LimitCycleText.h"
#include "LimitCyclesDialog.h"
#include "ModelFile.h"
#include "ParameterPanel.h"
#include "PhasePlaneGraph.h"
#include "PlaneController.h"
#include "RateFault.h"
#include "Series.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <algorithm>

void TForm1::BuildPhasePlane() {
    PlotGraph2 = new TPhasePlaneGraph(this);
    PlotGraph2->setObjectName(QStringLiteral("PlotGraph2"));
    PlotGraph2->setToolTip(QStringLiteral("Density of species 2 against that of species 1; "
                                          "click to start a run from a point, Ctrl-click to "
                                          "sketch the orbit through it"));
    PlotGraph2->OnPlaneCtrlClick = [this](double n1, double n2) { PlotGraph2CtrlClick(n1, n2); };
    PlotGraph2->setMinimumSize(120, 80);
    // A graph that moves or resizes itself has no place in the splitter.
    PlotGraph2->SetDragAllowed(false);
    StyleGraph(*PlotGraph2, {"Density, N1", false}, {"Density, N2", false});
    // The origin is often an equilibrium; its marker says more than a cross.
    PlotGraph2->Appearance().SetCrossAtZero(false);
}

void TForm1::BuildViewMenu() {
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    Views1->AddToMenu(*view);
    view->addSeparator();
    Field1 = view->addAction(QStringLiteral("Direction field"));
    Field1->setCheckable(true);
    Field1->setChecked(PlotGraph2->Look().showField);
    Cycles1 = view->addAction(QStringLiteral("Limit cycles"));
    Cycles1->setCheckable(true);
    Cycles1->setChecked(PlotGraph2->Look().showCycles);
    Separatrices1 = view->addAction(QStringLiteral("Separatrices"));
    Separatrices1->setCheckable(true);
    Separatrices1->setChecked(PlotGraph2->Look().showSeparatrices);
    connect(Separatrices1, &QAction::triggered, this, &TForm1::Separatrices1Click);
    Refresh1 = view->addAction(QStringLiteral("Refresh"));
    Equilibria1 = view->addAction(QString::fromUtf8("Equilibria\u2026"));
    LimitCycles1 = view->addAction(QString::fromUtf8("Limit cycles\u2026"));
}

void TForm1::SetHolds(bool hold) {
    PlotGraph1->GetSeries(1).SetHold(hold);
    PlotGraph1->GetSeries(2).SetHold(hold);
    PlotGraph2->Trajectory().SetHold(hold);
}

void TForm1::PlotGraph2Click(double n1, double n2) {
    if (Running()) return;
    for (auto [edit, value] : {std::pair{N1Edit, n1}, std::pair{N2Edit, n2}}) {
        edit->SetValue(std::clamp(value, edit->Min(), edit->Max()));
        edit->setModified(true);
    }
    ButtonStartPauseClick();
}

void TForm1::PlotGraph2CtrlClick(double n1, double n2) {
    if (Running()) return;
    PlaneController1->Sketch(n1, n2, Sim.Settings.Method == sm_BDF);
}

void TForm1::Field1Click() {
    PlotGraph2->SetShowField(Field1->isChecked());
}

TModel TForm1::PlaneModel() const {
    TModel model;
    model.rows = ParameterPanel1->Rows();
    model.rate1 = Rate1->text().toStdString();
    model.rate2 = Rate2->text().toStdString();
    model.N1 = N1Edit->Value();
    model.N2 = N2Edit->Value();
    return model;
}

void TForm1::Refresh1Click() {
    ParameterPanel1->CommitEdit();
    try {
        PlaneController1->Refresh(PlaneModel());
    } catch (const ERateError& error) {
        FocusRate(error.Species());
        throw;
    }
}

void TForm1::Equilibria1Click() {
    // The list is of the model on screen, as the plane shows it.
    Refresh1Click();
    TEquilibriaDialog dialog(PlaneController1->Analysis().Equilibria(), this);
    dialog.exec();
}

void TForm1::Cycles1Click() {
    PlotGraph2->SetShowCycles(Cycles1->isChecked());
}

void TForm1::Separatrices1Click() {
    PlotGraph2->SetShowSeparatrices(Separatrices1->isChecked());
}

void TForm1::LimitCycles1Click() {
    // As the equilibria: of the model on screen, as the plane shows it.
    Refresh1Click();
    PlaneController1->SearchCycles();
    TLimitCyclesDialog dialog(PlaneController1->Cycles(), this);
    connect(PlaneController1, &TPlaneController::CyclesFound, &dialog,
            [this, &dialog] { dialog.Show(PlaneController1->Cycles()); });
    dialog.exec();
}

void TForm1::ShowSettledCycle() {
    const std::optional<double> period = PlaneController1->SettledPeriod(Sim.N1, Sim.N2);
    QStatusBar* bar = statusBar();
    if (period) {
        cycleNote_ = SettledNote(*period);
        if (bar->currentMessage() != cycleNote_) bar->showMessage(cycleNote_);
    } else if (!cycleNote_.isEmpty() && bar->currentMessage() == cycleNote_) {
        bar->clearMessage();
    }
}
