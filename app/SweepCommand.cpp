#include "SweepCommand.h"

#include "CommandArgs.h"
#include "ErrorText.h"
#include "EulerStepWarning.h"
#include "Exception.h"
#include "FloatText.h"
#include "ModelSweep.h"
#include "Sweep.h"
#include "SweepCsv.h"

#include <ostream>
#include <string>

namespace {

const std::string kUsage = std::string("usage: tarnivell ") + kSweepUsage;

// NAME=FROM:TO:COUNT into `request`.
void ReadSweep(const std::string& text, TSweepRequest& request) {
    const TNamedValues sweep = ReadNamedValues(
        text, 3, FormatMessage("'%s' is not a sweep of the form NAME=FROM:TO:COUNT", {text}));
    const std::vector<std::string>& parts = sweep.values;
    request.name = sweep.name;
    request.options.from = TextToFloat(parts[0]);
    request.options.to = TextToFloat(parts[1]);
    // Refused as typed: a count past the range of an int has no other form.
    const long long count = ReadCount("--sweep", parts[2], 1);
    if (count > kMaxSweepValues)
        throw Exception(FormatMessage("'%s' values are more than a sweep takes (at most %s)",
                                      {parts[2], std::to_string(kMaxSweepValues)}));
    request.options.count = static_cast<int>(count);
}

} // namespace

int RunSweepCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        std::string modelFile, sweep;
        TSweepRequest request; // at most kDefaultSweepSteps steps, none discarded, unless given
        TSolverOptions solver;
        for (size_t i = 0; i < args.size(); ++i) {
            if (solver.Take(args, i)) continue;
            const std::string& arg = args[i];
            if ((arg == "--steps" || arg == "--discard") && i + 1 < args.size()) {
                (arg == "--steps" ? request.options.steps : request.options.discard) =
                    ReadCount(arg, args[++i], arg == "--steps" ? 1 : 0);
            } else if (arg == "--follow") {
                request.options.follow = true;
            } else if (modelFile.empty() && !arg.starts_with("--")) {
                modelFile = arg;
            } else if (sweep.empty() && !arg.starts_with("--")) {
                sweep = arg;
            } else {
                RefuseArgument(arg, kUsage, {"--steps", "--discard", "--follow"}, true);
            }
        }
        if (sweep.empty()) throw Exception(kUsage);
        ReadSweep(sweep, request);

        TModel model = LoadRequiredModel(modelFile, err);
        solver.ApplyTo(model.solver);
        // Rows are written as they finish, in value order: a long sweep shows
        // its progress and keeps no table in memory.
        TSweepControl control;
        long long faults = 0;
        bool header = false;
        const auto writeHeader = [&] {
            if (!header) out << SweepCsvHeader(request.name);
            header = true;
        };
        control.OnRow = [&](const TSweepRow& row) {
            writeHeader();
            out << SweepCsvRow(row);
            if (row.state == TSweepRowState::Done) return;
            ++faults;
            err << ErrorDisplayText(request.name + "=" + FloatToText(row.value) + ": " +
                                    (row.message.empty() ? "not run" : row.message))
                << '\n';
        };
        const TSweepResult result =
            RunSweep(request.options, ModelSweepFactory(model, request), &control);
        if (!result.error.empty()) throw Exception(result.error);
        if (result.eulerStepTooLarge) err << TEulerStepWarning::kText << '\n';
        writeHeader();
        out.flush();
        return faults == 0 ? 0 : 1;
    });
}
