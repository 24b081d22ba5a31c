#include "ModelSweep.h"

#include "Exception.h"
#include "FloatText.h"

#include <algorithm>
#include <memory>

TModelSweepSimulation::TModelSweepSimulation(const TModel& model, const std::string& name)
    : model_(model), name_(name) {
    const auto same = [&](const ParameterRow& r) { return SameParameterName(r.name, name); };
    row_ = std::size_t(std::find_if(model_.rows.begin(), model_.rows.end(), same) -
                       model_.rows.begin());
}

void TModelSweepSimulation::Start(double value) {
    // The value as the model file would hold it.
    const std::string text = FloatToText(value);
    if (!sim_.IsBound()) {
        TModel run = model_;
        if (row_ < run.rows.size()) run.rows[row_].value = text;
        BindModel(sim_, run);
        return;
    }
    sim_.Restart(0, model_.N1, model_.N2);
    sim_.MoveParameter(row_, model_.rows[row_].name, TextToFloat(text));
}

TDensities TModelSweepSimulation::Step() {
    sim_.Step();
    return {sim_.N1, sim_.N2};
}

TSweepFactory ModelSweepFactory(const TModel& model, const std::string& name, double probe) {
    if (name.empty() ||
        std::none_of(model.rows.begin(), model.rows.end(),
                     [&](const ParameterRow& r) { return SameParameterName(r.name, name); }))
        throw Exception(FormatMessage("No parameter is named '%s'", {name}));
    TModelSweepSimulation(model, name).Start(probe);
    return [model, name] { return std::make_unique<TModelSweepSimulation>(model, name); };
}
