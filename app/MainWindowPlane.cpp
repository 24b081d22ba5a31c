// The window's phase plane: its graph, the View menu, the plane's model and
// the click that starts a run from a point of the plane.
#include "MainWindow.h"

#include "Appearance.h"
#include "Axis.h"
#include "EquilibriaDialog.h"
#include "FloatEdit.h"
#include "GraphViews.h"
#include "Legend.h"
#include "PhasePlaneGraph.h"
#include "Series.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

void TForm1::BuildPhasePlane() {
    PlotGraph2 = new TPhasePlaneGraph(this);
    PlotGraph2->setObjectName(QStringLiteral("PlotGraph2"));
    PlotGraph2->setToolTip(QStringLiteral("Density of species 2 against that of species 1; "
                                          "click to start a run from a point"));
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
    Refresh1 = view->addAction(QStringLiteral("Refresh"));
    Equilibria1 = view->addAction(QString::fromUtf8("Equilibria\u2026"));
}

void TForm1::SetHolds(bool hold) {
    PlotGraph1->GetSeries(1).SetHold(hold);
    PlotGraph1->GetSeries(2).SetHold(hold);
    PlotGraph2->Trajectory().SetHold(hold);
}

void TForm1::StartPlane(const std::vector<ParameterRow>* rows) {
    Plane.Clear();
    if (rows) {
        try {
            Plane.Bind(*rows, Rate1->text().toStdString(), Rate2->text().toStdString(), Sim.N1,
                       Sim.N2);
        } catch (const std::exception&) {
            // The run bound the same model; the plane stays empty rather than
            // stopping a run that works.
        }
    }
    planeRows_ = ShownRows();
    planeDirty_ = false;
    PlotGraph2->InvalidateFigure();
    if (!rows) return;
    TSeries* piece = &PlotGraph2->Trajectory();
    const auto& points = piece->Points();
    if (!points.empty() && points.back().X == Sim.N1 && points.back().Y == Sim.N2) return;
    if (!points.empty()) piece = &PlotGraph2->StartTrajectory();
    piece->AddPoint(Sim.N1, Sim.N2);
}

void TForm1::ResetPlane() {
    PlotGraph2->ClearTrajectories();
    // Before a run the plane shows where the equilibria are looked for: the
    // default box, grown where nullclines leave it toward a crossing.
    TPlaneRect box = DefaultBox(Sim.N1, Sim.N2);
    if (Plane.IsBound()) {
        const TEquilibria found = Plane.Equilibria();
        if (found.error.empty() && found.box.IsValid()) box = found.box;
    }
    TAxis& x = PlotGraph2->XAxis();
    x.SetMin(box.n1Min);
    x.SetMax(box.n1Max);
    x.SetAutoSizing(true);
    TAxis& y = PlotGraph2->YAxis();
    y.SetMin(box.n2Min);
    y.SetMax(box.n2Max);
    y.SetAutoSizing(true);
}

void TForm1::PlotGraph2Click(double n1, double n2) {
    if (Running()) return;
    for (auto [edit, value] : {std::pair{N1Edit, n1}, std::pair{N2Edit, n2}}) {
        edit->SetValue(std::clamp(value, edit->Min(), edit->Max()));
        edit->setModified(true);
    }
    ButtonStartPauseClick();
}

void TForm1::Field1Click() {
    PlotGraph2->SetShowField(Field1->isChecked());
}

void TForm1::BindPlane() {
    Plane.Bind(ParameterRows(), Rate1->text().toStdString(), Rate2->text().toStdString(),
               N1Edit->Value(), N2Edit->Value());
    planeRows_ = ShownRows();
}

void TForm1::Refresh1Click() {
    CommitParameterEdit();
    planeDirty_ = false;
    try {
        BindPlane();
    } catch (...) {
        PlotGraph2->InvalidateFigure();
        throw;
    }
    PlotGraph2->InvalidateFigure();
}

void TForm1::PlaneMovedTimer() {
    if (!planeDirty_) return;
    planeDirty_ = false;
    // The plane shows the model of the last Start or Refresh. One that never
    // had a model takes the model on screen, quietly, since nobody asked for
    // it and a drag goes on; during a run that would let in texts the run
    // does not have.
    if (!Plane.IsBound()) {
        if (Running()) return;
        try {
            BindPlane();
        } catch (const std::exception&) {
            return;
        }
    }
    PlotGraph2->InvalidateFigure();
}

void TForm1::Equilibria1Click() {
    // The list is of the model on screen, as the plane shows it.
    Refresh1Click();
    TEquilibriaDialog dialog(Plane.Equilibria(), this);
    dialog.exec();
}
