// Run > Fit...: the window's side of a fit, which runs on its own copy of
// the model on screen and talks back through the parameter panel and the
// density edits only.
#include "MainWindow.h"

#include "CompiledModel.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "Exception.h"
#include "FitResultDialog.h"
#include "FloatEdit.h"
#include "FloatText.h"
#include "ModelFile.h"
#include "ParameterPanel.h"
#include "PlotGraph.h"
#include "ResidualWindow.h"
#include "Series.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

namespace {

// The fitted curves stand beside the run's two series and the data's.
constexpr int kFittedSeries[2] = {5, 6};
// A fitted curve is drawn in the window's time step, but with at least the
// first and at most the second number of steps over the data's span.
constexpr int kFewestFittedSteps = 400;
constexpr int kMostFittedSteps = 2000;

// What Apply replaces, for Revert: the values of the parameters estimated
// (by name) and both densities.
struct TValuesBefore {
    std::vector<std::pair<std::string, double>> parameters;
    double n1 = 0, n2 = 0;
};

// The request offered: a row per parameter of the model on screen and per
// density, taking what was asked before for a row of the same name.
TFitRequest Offered(const std::vector<TSweepChoice>& choices, double largest,
                    const TFitRequest& before) {
    TFitRequest request;
    request.logarithms = before.logarithms;
    request.starts = before.starts;
    const double upper = 10 * (largest > 0 ? largest : 1);
    const auto add = [&](TFitUnknown::TKind kind, const std::string& name, double from, double to) {
        TFitChoice row{kind, name, from, to, false};
        for (const TFitChoice& asked : before.rows)
            if (asked.kind == kind && SameParameterName(asked.name, name)) row = asked;
        request.rows.push_back(row);
    };
    for (const TSweepChoice& choice : choices)
        add(TFitUnknown::TKind::Parameter, choice.name, choice.range.min, choice.range.max);
    add(TFitUnknown::TKind::N1, "N1", 0, upper);
    add(TFitUnknown::TKind::N2, "N2", 0, upper);
    return request;
}

} // namespace

void TForm1::SetObservedData(TObservedData data) {
    observedData_ = std::move(data);
    ShowObservedData("t");
}

void TForm1::Fit1Click() {
    if (!observedData_)
        throw Exception("There are no observed data to fit the model to: open them with File > "
                        "Open data\u2026");
    Pause();
    ParameterPanel1->CommitEdit();
    const TModel screen = PlaneModel();
    TFitRequest request =
        Offered(ParameterChoices(screen, "fit"), observedData_->Largest(), fitRequest_);
    if (!AskFit(this, request)) return;
    fitRequest_ = request;

    TCompiledModel model;
    std::vector<ParameterRow> rows = screen.rows;
    model.Compile(rows, screen.rate1, screen.rate2, screen.N1, screen.N2);
    TFitOptions options;
    for (const TFitChoice& row : request.rows) {
        if (!row.chosen) continue;
        std::size_t index = 0;
        if (row.kind == TFitUnknown::TKind::Parameter) {
            const int found = model.ParameterIndex(row.name);
            if (found < 0) throw Exception(FormatMessage("No parameter is named '%s'", {row.name}));
            index = std::size_t(found);
        }
        options.unknowns.push_back({row.kind, index, row.from, row.to});
    }
    options.n1 = screen.N1;
    options.n2 = screen.N2;
    options.logarithms = request.logarithms;
    options.starts = request.starts;
    options.relTol = std::min(1e-8, Sim.Settings.RelTol);

    // One fit at a time: the one before is cancelled with its window.
    for (TFitResultDialog* old : findChildren<TFitResultDialog*>())
        delete old;
    auto* dialog = new TFitResultDialog(this);
    const std::vector<TFitUnknown> unknowns = options.unknowns;
    auto before = std::make_shared<std::optional<TValuesBefore>>();

    // A run from t = 0 over the data's time span with the values on screen,
    // drawn beside the data; none when `draw` is false.
    const auto drawFitted = [this](bool draw) {
        for (int species = 0; species < 2; ++species) {
            TSeries& s = PlotGraph1->GetSeries(kFittedSeries[species]);
            s.Clear();
            s.SetPointLimit(0);
            s.SetShowLine(true);
            s.SetShowPoints(false);
            s.SetLineStyle(1);
            s.SetShowInLegend(le_None);
            s.SetLineColor(species == 0 ? ColorButton1->Color() : ColorButton2->Color());
        }
        if (!draw || !observedData_) return;
        const double span = observedData_->t.back() - observedData_->t.front();
        TSimulation run;
        run.Settings = Sim.Settings;
        // A tiny step would hold the window up; a large one would draw the
        // curve as a few corners.
        if (span > 0)
            run.dt = std::clamp(Sim.dt, span / kMostFittedSteps, span / kFewestFittedSteps);
        run.N1 = N1Edit->Value();
        run.N2 = N2Edit->Value();
        std::vector<ParameterRow> rows = ParameterPanel1->Rows();
        run.Bind(rows, Rate1->text().toStdString(), Rate2->text().toStdString());
        TSeries& s1 = PlotGraph1->GetSeries(kFittedSeries[0]);
        TSeries& s2 = PlotGraph1->GetSeries(kFittedSeries[1]);
        s1.AddPoint(0, run.N1);
        s2.AddPoint(0, run.N2);
        // Counted, not compared with the time summed up step by step.
        const long long steps = span > 0 ? (long long)std::ceil(span / run.dt - 1e-6) : 0;
        for (long long k = 0; k < steps; ++k) {
            run.Step();
            s1.AddPoint(run.t, run.N1);
            s2.AddPoint(run.t, run.N2);
        }
    };
    // The densities on screen become the state of a run not yet started.
    const auto restart = [this] {
        Sim.N1 = N1Edit->Value();
        Sim.N2 = N2Edit->Value();
        ButtonClearClick();
    };

    dialog->OnApply = [this, unknowns, before, drawFitted, restart](const TFitResult& result) {
        Pause();
        TValuesBefore now;
        now.n1 = N1Edit->Value();
        now.n2 = N2Edit->Value();
        const std::vector<ParameterRow> rows = ParameterPanel1->Rows();
        for (std::size_t j = 0; j < result.estimates.size() && j < unknowns.size(); ++j) {
            const TFitEstimate& e = result.estimates[j];
            switch (unknowns[j].kind) {
            case TFitUnknown::TKind::Parameter:
                for (const ParameterRow& row : rows)
                    if (SameParameterName(row.name, e.name)) {
                        double value = 0;
                        if (TryTextToFloat(row.value, value))
                            now.parameters.emplace_back(row.name, value);
                        break;
                    }
                ParameterPanel1->MoveParameter(e.name, e.value);
                break;
            case TFitUnknown::TKind::N1:
                ShowNumber(N1Edit, e.value);
                MarkModelChanged();
                break;
            case TFitUnknown::TKind::N2:
                ShowNumber(N2Edit, e.value);
                MarkModelChanged();
                break;
            }
        }
        // A second Apply keeps the values from before the first.
        if (!*before) *before = now;
        restart();
        drawFitted(true);
    };
    dialog->OnRevert = [this, before, drawFitted, restart] {
        if (!*before) return;
        Pause();
        for (const auto& [name, value] : (*before)->parameters)
            ParameterPanel1->MoveParameter(name, value);
        ShowNumber(N1Edit, (*before)->n1);
        ShowNumber(N2Edit, (*before)->n2);
        before->reset();
        restart();
        drawFitted(false);
    };
    // The residuals are those of the model and data the fit had.
    dialog->OnResiduals = [this, fitted = std::shared_ptr<TCompiledModel>(model.Clone()),
                           data = *observedData_, options](const TFitResult& result) {
        auto* window =
            new TResidualWindow(FitResiduals(*fitted, data, options, result), options.logarithms,
                                ColorButton1->Color(), ColorButton2->Color(), this);
        window->ShowBeside(*this);
    };
    dialog->show();
    dialog->Run(model.Clone(), *observedData_, std::move(options));
}
