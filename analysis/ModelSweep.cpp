#include "ModelSweep.h"

#include "Exception.h"
#include "FloatText.h"
#include "Simulation.h"

#include <algorithm>
#include <memory>

namespace {

// A run of the compiled model with one parameter swept.
class TSweptRun final : public TSweepSimulation {
public:
    TSweptRun(const TModel& model, const TCompiledModel& compiled, std::size_t parameter)
        : n1_(model.N1), n2_(model.N2), parameter_(parameter) {
        sim_.dt = model.dt;
        sim_.N1 = model.N1;
        sim_.N2 = model.N2;
        sim_.Settings = model.solver;
        sim_.Bind(compiled);
    }

    void Start(double value) override { Follow(value, {n1_, n2_}); }

    void Follow(double value, TDensities state) override {
        sim_.Solver().Watch({});
        sim_.Restart(0, state.n1, state.n2);
        sim_.Model().SetParameter(parameter_, TextToFloat(FloatToText(value)));
    }

    TDensities Step() override {
        sim_.Solver().ClearCrossings();
        sim_.Step();
        return {sim_.N1, sim_.N2};
    }

    TDensities Rates() override {
        TDensities rate;
        sim_.Model().Rates(sim_.N1, sim_.N2, rate.n1, rate.n2);
        return rate;
    }

    void Watch(TEventFunction section) override { sim_.Solver().Watch(std::move(section)); }

    const std::vector<TCrossing>& Crossings() const override { return sim_.Solver().Crossings(); }

    bool EulerStepTooLarge() const override { return sim_.EulerStepTooLarge(); }

private:
    double n1_, n2_;
    std::size_t parameter_;
    TSimulation sim_;
};

} // namespace

TSweepFactory ModelSweepFactory(const TModel& model, const TSweepRequest& request) {
    if (const std::string error = SweepRequestError(request); !error.empty())
        throw Exception(error);
    const std::string& name = request.name;
    if (std::none_of(model.rows.begin(), model.rows.end(),
                     [&](const ParameterRow& r) { return SameParameterName(r.name, name); }))
        throw Exception(FormatMessage("No parameter is named '%s'", {name}));
    TModel run = model;
    for (ParameterRow& row : run.rows)
        if (SameParameterName(row.name, name)) row.value = FloatToText(request.options.from);
    auto compiled = std::make_shared<TCompiledModel>();
    {
        TSimulation sim;
        BindModel(sim, run); // throws as a run of the model would
        compiled->CopyFrom(sim.Model());
    }
    const std::size_t parameter = std::size_t(compiled->ParameterIndex(name));
    return [model, compiled, parameter] {
        return std::make_unique<TSweptRun>(model, *compiled, parameter);
    };
}
