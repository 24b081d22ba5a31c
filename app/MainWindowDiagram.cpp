// Run > Bifurcation diagram...: the window's side of a diagram, which works
// on its own copy of the phase plane's model and talks back through the
// parameter panel only.
#include "MainWindow.h"

#include "DiagramWindow.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "ModelFile.h"
#include "ParameterPanel.h"
#include "PlaneController.h"

void TForm1::Diagram1Click() {
    ParameterPanel1->CommitEdit();
    const TModel model = PlaneModel();
    if (!AskDiagram(this, ParameterChoices(model, "follow"), diagramRequest_)) return;

    PlaneController1->Refresh(PlaneModel());
    TPlaneAnalysis& plane = PlaneController1->Analysis();
    // The box --continue follows the branches in: the default box, grown
    // toward crossings of the nullclines.
    const TEquilibria found = plane.Equilibria();
    const TPlaneRect box = found.error.empty() ? found.box : DefaultBox(model.N1, model.N2);
    const TColor color =
        diagramRequest_.density == 2 ? ColorButton2->Color() : ColorButton1->Color();
    auto* window = new TDiagramWindow(diagramRequest_, plane.CloneModel(), box, color, this);
    window->OnPick = [this](const std::string& name, double value) {
        ParameterPanel1->MoveParameter(name, value);
    };
    window->ShowBeside(*this);
}
