// What the window does with the parameter sliders: a move goes to the run
// and to the phase plane, and Run > Sweep... offers the sliders' spans.
#include "MainWindow.h"

#include "DiagramWindow.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "Exception.h"
#include "ModelFile.h"
#include "ModelSweep.h"
#include "ParameterPanel.h"
#include "PlaneController.h"
#include "SweepDialog.h"
#include "SweepWindow.h"

#include <optional>

void TForm1::ParameterSliderMove(const std::string& name, double value) {
    Sim.MoveParameter(name, value);
    PlaneController1->MoveParameter(name, value);
    for (TDiagramWindow* diagram : findChildren<TDiagramWindow*>())
        diagram->ParameterMoved(name, value);
}

std::vector<TSweepChoice> TForm1::ParameterChoices(const TModel& model,
                                                   const std::string& verb) const {
    CheckParameterNames(model.rows);
    std::vector<TSweepChoice> choices;
    for (std::size_t shown = 0; shown < model.rows.size(); ++shown)
        if (const auto range = ParameterPanel1->ShownRange(shown))
            choices.push_back({model.rows[shown].name, *range});
    if (choices.empty()) throw Exception("No parameter row has a name and a value to " + verb);
    return choices;
}

void TForm1::Sweep1Click() {
    Pause();
    const TModel model = ScreenModel();
    if (!AskSweep(this, ParameterChoices(model, "sweep"), sweepRequest_)) return;

    const TSweepFactory factory = ModelSweepFactory(model, sweepRequest_);
    const std::optional<TSweepResult> result =
        RunSweepWithProgress(this, sweepRequest_.options, factory);
    if (!result) return;
    auto* window = new TSweepWindow(sweepRequest_.name, *result, ColorButton1->Color(),
                                    ColorButton2->Color(), this);
    window->ShowBeside(*this);
}
