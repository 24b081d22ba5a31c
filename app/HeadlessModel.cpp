#include "HeadlessModel.h"

#include "ErrorText.h"
#include "Exception.h"
#include "FloatText.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <ostream>

namespace {

// The model file as the ini layer will read it. The window opens on a file
// that is not there (it reads as all defaults); a headless run refuses it.
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

} // namespace

bool TakeSolverOption(const std::vector<std::string>& args, size_t& i,
                      TSolverOverrides& overrides) {
    const std::string& arg = args[i];
    if (i + 1 >= args.size()) return false;
    if (arg == "--method")
        overrides.method = MethodFromName(args[i + 1]);
    else if (arg == "--rtol")
        overrides.relTol = ToleranceFromText(args[i + 1]);
    else if (arg == "--atol")
        overrides.absTol = ToleranceFromText(args[i + 1]);
    else
        return false;
    ++i;
    return true;
}

long long ReadCount(const std::string& option, const std::string& text, long long least) {
    long long value = 0;
    const char* last = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), last, value);
    if (text.empty() || ec != std::errc() || ptr != last || value < least)
        throw Exception(FormatMessage("'%s' is not a valid count for %s", {text, option}));
    return value;
}

TModel LoadBoundModel(const std::string& fileName, TSimulation& sim,
                      const TSolverOverrides& overrides) {
    RequireReadable(fileName);
    TModel model;
    LoadModelFile(fileName, model);
    sim.Settings = model.solver;
    if (overrides.method) sim.Settings.Method = *overrides.method;
    if (overrides.relTol) sim.Settings.RelTol = *overrides.relTol;
    if (overrides.absTol) sim.Settings.AbsTol = *overrides.absTol;
    sim.t = 0;
    sim.dt = model.dt;
    sim.N1 = model.N1;
    sim.N2 = model.N2;
    std::vector<ParameterRow> rows = model.rows;
    sim.Bind(rows, model.rate1, model.rate2);
    return model;
}

int RunHeadless(std::ostream& out, std::ostream& err, const std::function<int()>& command) {
    try {
        return command();
    } catch (const std::exception& e) {
        out.flush();
        err << ErrorDisplayText(e.what()) << '\n';
        return 1;
    }
}
