#include "BatchRun.h"

#include "CommandArgs.h"
#include "CurvesCsv.h"
#include "ErrorText.h"
#include "EulerStepWarning.h"
#include "Exception.h"
#include "FloatText.h"
#include "Simulation.h"

#include <ostream>

namespace {

const std::string kUsage = std::string("usage: tarnivell ") + kBatchUsage;

void WriteRow(std::ostream& out, const TSimulation& sim) {
    out << CurvesCsvRow({sim.t, sim.N1, sim.N2});
}

} // namespace

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        std::string modelFile;
        long long steps = 1000;
        long long every = 1;
        TSolverOptions solver;
        for (size_t i = 0; i < args.size(); ++i) {
            if (solver.Take(args, i)) continue;
            const std::string& arg = args[i];
            if ((arg == "--steps" || arg == "--every") && i + 1 < args.size()) {
                (arg == "--steps" ? steps : every) =
                    ReadCount(arg, args[++i], arg == "--steps" ? 0 : 1);
            } else if (modelFile.empty() && !arg.starts_with("--")) {
                modelFile = arg;
            } else {
                RefuseArgument(arg, kUsage, {"--steps", "--every"}, true);
            }
        }
        if (modelFile.empty()) throw Exception(kUsage);

        TModel model = LoadRequiredModel(modelFile, err);
        solver.ApplyTo(model.solver);
        TSimulation sim;
        BindModel(sim, model);

        out << kCurvesCsvHeader;
        WriteRow(out, sim);
        TEulerStepWarning warning;
        for (long long step = 1; step <= steps; ++step) {
            sim.Step();
            // Said when it comes, before a fault it may lead to.
            if (warning.Due(sim)) err << TEulerStepWarning::kText << '\n';
            if (step % every == 0) WriteRow(out, sim);
        }
        out.flush();
        return 0;
    });
}
