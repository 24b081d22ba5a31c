#include "BatchRun.h"

#include "CurvesCsv.h"
#include "ErrorText.h"
#include "Exception.h"
#include "FloatText.h"
#include "ModelFile.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>

namespace {

const std::string kUsage = std::string("usage: tarnivell ") + kBatchUsage;

long long ReadCount(const std::string& option, const std::string& text, long long least) {
    long long value = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), last, value);
    if (text.empty() || ec != std::errc() || ptr != last || value < least)
        throw Exception(FormatMessage("'%s' is not a valid count for %s", {text, option}));
    return value;
}

// The model file as the ini layer will read it. The window opens on a file
// that is not there (it reads as all defaults); a batch run refuses it.
void RequireReadable(const std::string& fileName) {
    std::string path = fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        throw Exception(FormatMessage("Model file '%s' does not exist", {fileName}));
    if (!std::filesystem::is_regular_file(status) || !std::ifstream(path, std::ios::binary))
        throw Exception(FormatMessage("Model file '%s' cannot be read", {fileName}));
}

void WriteRow(std::ostream& out, const TSimulation& sim) {
    out << CurvesCsvRow({sim.t, sim.N1, sim.N2});
}

} // namespace

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        std::string modelFile;
        long long steps = 1000;
        long long every = 1;
        std::optional<TSolverMethod> method;
        std::optional<double> relTol, absTol;
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if ((arg == "--steps" || arg == "--every") && i + 1 < args.size()) {
                (arg == "--steps" ? steps : every) =
                    ReadCount(arg, args[++i], arg == "--steps" ? 0 : 1);
            } else if (arg == "--method" && i + 1 < args.size()) {
                method = MethodFromName(args[++i]);
            } else if ((arg == "--rtol" || arg == "--atol") && i + 1 < args.size()) {
                (arg == "--rtol" ? relTol : absTol) = ToleranceFromText(args[++i]);
            } else if (modelFile.empty() && !arg.starts_with("--")) {
                modelFile = arg;
            } else {
                throw Exception(kUsage);
            }
        }
        if (modelFile.empty()) throw Exception(kUsage);

        RequireReadable(modelFile);
        TModel model;
        LoadModelFile(modelFile, model);
        TSimulation sim;
        sim.Settings = model.solver;
        if (method) sim.Settings.Method = *method;
        if (relTol) sim.Settings.RelTol = *relTol;
        if (absTol) sim.Settings.AbsTol = *absTol;
        sim.dt = model.dt;
        sim.N1 = model.N1;
        sim.N2 = model.N2;
        sim.Bind(model.rows, model.rate1, model.rate2);

        out << kCurvesCsvHeader;
        WriteRow(out, sim);
        for (long long step = 1; step <= steps; ++step) {
            sim.Step();
            if (step % every == 0) WriteRow(out, sim);
        }
        out.flush();
        return 0;
    } catch (const std::exception& e) {
        out.flush();
        err << ErrorDisplayText(e.what()) << '\n';
        return 1;
    }
}
