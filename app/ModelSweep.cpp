#include "ModelSweep.h"

#include "Exception.h"
#include "FloatText.h"

#include <algorithm>
#include <memory>

TModelSweepSimulation::TModelSweepSimulation(const TModel& model, const std::string& name)
    : model_(model), name_(name) {}

void TModelSweepSimulation::Start(double value) {
    TModel run = model_;
    for (ParameterRow& row : run.rows)
        if (SameParameterName(row.name, name_)) row.value = FloatToText(value);
    BindModel(sim_, run);
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
