#include "ModelFile.h"

#include "FloatText.h"
#include "IniFile.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

namespace {

const char* const kTime = "Time";
const char* const kSpecies1 = "Species 1";
const char* const kSpecies2 = "Species 2";
const char* const kParameters = "Parameters";
const char* const kSolver = "Solver";
const char* const kData = "Data";

double ReadNumber(const IniFile& ini, const char* section, const char* key, double current) {
    return TextToFloat(ini.ReadString(section, key, FloatToText(current)));
}

std::string RowKey(const char* word, int row) {
    return word + std::to_string(row);
}

// A slider's span as filed: either end may be left out, which gives that end
// of the default span of the row's value.
std::optional<TParameterRange> ReadRange(const IniFile& ini, int row, const std::string& value) {
    const std::string minKey = RowKey("Min", row), maxKey = RowKey("Max", row);
    const bool hasMin = ini.ValueExists(kParameters, minKey);
    const bool hasMax = ini.ValueExists(kParameters, maxKey);
    if (!hasMin && !hasMax) return std::nullopt;
    double number = 0;
    TryTextToFloat(value, number);
    const TParameterRange fallback = DefaultRange(number);
    return RangeFromText(
        hasMin ? ini.ReadString(kParameters, minKey, "") : FloatToText(fallback.min),
        hasMax ? ini.ReadString(kParameters, maxKey, "") : FloatToText(fallback.max));
}

// Only a span that is not the default of the value is filed; a span back at
// its default loses the keys an earlier save wrote.
void WriteRange(IniFile& ini, int row, const ParameterRow& parameter) {
    double number = 0;
    const bool filed = parameter.range && (!TryTextToFloat(parameter.value, number) ||
                                           *parameter.range != DefaultRange(number));
    for (const auto& [word, end] :
         {std::pair{"Min", &TParameterRange::min}, std::pair{"Max", &TParameterRange::max}}) {
        const std::string key = RowKey(word, row);
        if (filed)
            ini.WriteString(kParameters, key, FloatToText((*parameter.range).*end));
        else if (ini.ValueExists(kParameters, key))
            ini.DeleteKey(kParameters, key);
    }
}

// A key that is there must hold a valid setting, also when it is empty.
TSolverSettings ReadSolver(const IniFile& ini) {
    TSolverSettings solver;
    if (ini.ValueExists(kSolver, "Method"))
        solver.Method = MethodFromName(ini.ReadString(kSolver, "Method", ""));
    if (ini.ValueExists(kSolver, "RelTol"))
        solver.RelTol = ToleranceFromText(ini.ReadString(kSolver, "RelTol", ""));
    if (ini.ValueExists(kSolver, "AbsTol"))
        solver.AbsTol = ToleranceFromText(ini.ReadString(kSolver, "AbsTol", ""));
    return solver;
}

// A key at its default is not filed; one left from an earlier save goes.
void WriteSolverKey(IniFile& ini, const char* key, bool isDefault, const std::string& value) {
    if (!isDefault)
        ini.WriteString(kSolver, key, value);
    else if (ini.ValueExists(kSolver, key))
        ini.DeleteKey(kSolver, key);
}

void WriteSolver(IniFile& ini, const TSolverSettings& solver) {
    const TSolverSettings defaults;
    WriteSolverKey(ini, "Method", solver.Method == defaults.Method, MethodName(solver.Method));
    WriteSolverKey(ini, "RelTol", solver.RelTol == defaults.RelTol, FloatToText(solver.RelTol));
    WriteSolverKey(ini, "AbsTol", solver.AbsTol == defaults.AbsTol, FloatToText(solver.AbsTol));
    if (ini.SectionExists(kSolver) && ini.ReadSection(kSolver).empty()) ini.EraseSection(kSolver);
}

// A file with text in it but none of a model's sections is something else
// (a picture, a program's settings) and must not load as an empty model; nor
// must one with NUL bytes (UTF-16 text, binary data), whose sections would be
// read from bytes that only look like them. An empty file, like a missing
// one, reads as all defaults.
bool HoldsModel(const IniFile& ini) {
    const std::string text = ini.Text();
    if (text.find('\0') != std::string::npos) return false;
    for (const char* section : {kTime, kSpecies1, kSpecies2, kParameters, kSolver})
        if (ini.SectionExists(section)) return true;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
}

std::optional<TDataLink> ReadDataLink(const IniFile& ini) {
    const std::string file = ini.ReadString(kData, "File", "");
    if (file.empty()) return std::nullopt;
    return TDataLink{file, ini.ReadString(kData, "Time", ""), ini.ReadString(kData, "N1", ""),
                     ini.ReadString(kData, "N2", "")};
}

void WriteDataLink(IniFile& ini, const std::optional<TDataLink>& data) {
    if (!data) {
        if (ini.SectionExists(kData)) ini.EraseSection(kData);
        return;
    }
    ini.WriteString(kData, "File", data->file);
    for (const auto& [key, name] :
         {std::pair{"Time", &data->t}, {"N1", &data->n1}, {"N2", &data->n2}})
        if (!name->empty())
            ini.WriteString(kData, key, *name);
        else if (ini.ValueExists(kData, key))
            ini.DeleteKey(kData, key);
}

// A species' name is filed only when it has one, so that a model without
// names is filed as it always was.
void WriteName(IniFile& ini, const char* section, const std::string& name) {
    if (!name.empty())
        ini.WriteString(section, "Name", name);
    else if (ini.ValueExists(section, "Name"))
        ini.DeleteKey(section, "Name");
}

} // namespace

void LoadModelFile(const std::string& fileName, TModel& model) {
    const IniFile ini(fileName);
    if (!ini.ReadError().empty())
        throw Exception(FormatMessage("Cannot read %s: %s", {fileName, ini.ReadError()}));
    if (!HoldsModel(ini)) throw Exception(FormatMessage("'%s' is not a model file", {fileName}));
    const TSolverSettings solver = ReadSolver(ini);
    std::vector<std::optional<TParameterRange>> ranges;
    for (int i = 1; i <= kParameterRows; ++i)
        ranges.push_back(ReadRange(ini, i, ini.ReadString(kParameters, RowKey("Value", i), "")));
    model.dt = ReadNumber(ini, kTime, "Step", model.dt);
    if (ini.ValueExists(kTime, "Step")) CheckTimeStep(model.dt);
    model.stop.reset();
    if (ini.ValueExists(kTime, "Stop")) model.stop = TextToFloat(ini.ReadString(kTime, "Stop", ""));
    model.N1 = ReadNumber(ini, kSpecies1, "Density", model.N1);
    model.N2 = ReadNumber(ini, kSpecies2, "Density", model.N2);
    model.rate1 = ini.ReadString(kSpecies1, "Rate", "0");
    model.rate2 = ini.ReadString(kSpecies2, "Rate", "0");
    model.name1 = ini.ReadString(kSpecies1, "Name", "");
    model.name2 = ini.ReadString(kSpecies2, "Name", "");
    CheckRateLength("dN1/dt", model.rate1);
    CheckRateLength("dN2/dt", model.rate2);
    model.rows.resize(kParameterRows);
    for (int i = 1; i <= kParameterRows; ++i) {
        ParameterRow& row = model.rows[i - 1];
        row.name = ini.ReadString(kParameters, RowKey("Name", i), "");
        row.value = ini.ReadString(kParameters, RowKey("Value", i), "");
        row.description = ini.ReadString(kParameters, RowKey("Description", i), "");
        row.range = ranges[i - 1];
    }
    model.solver = solver;
    model.data = ReadDataLink(ini);
    model.origin = ini.Text();
}

void SaveModelFile(const std::string& fileName, const TModel& model) {
    IniFile ini(fileName);
    const IniFile origin(fileName, model.origin);
    for (const std::string& section : origin.ReadSections())
        for (const std::string& key : origin.ReadSection(section))
            if (!ini.ValueExists(section, key))
                ini.WriteString(section, key, origin.ReadString(section, key, ""));
    ini.WriteString(kTime, "Step", FloatToText(model.dt));
    if (model.stop)
        ini.WriteString(kTime, "Stop", FloatToText(*model.stop));
    else if (ini.ValueExists(kTime, "Stop"))
        ini.DeleteKey(kTime, "Stop");
    ini.WriteString(kSpecies1, "Density", FloatToText(model.N1));
    ini.WriteString(kSpecies2, "Density", FloatToText(model.N2));
    ini.WriteString(kSpecies1, "Rate", model.rate1);
    ini.WriteString(kSpecies2, "Rate", model.rate2);
    WriteName(ini, kSpecies1, model.name1);
    WriteName(ini, kSpecies2, model.name2);
    for (int i = 1; i <= kParameterRows; ++i) {
        const ParameterRow empty;
        const ParameterRow& row =
            i <= static_cast<int>(model.rows.size()) ? model.rows[i - 1] : empty;
        ini.WriteString(kParameters, RowKey("Name", i), row.name);
        ini.WriteString(kParameters, RowKey("Value", i), row.value);
        ini.WriteString(kParameters, RowKey("Description", i), row.description);
        WriteRange(ini, i, row);
    }
    WriteSolver(ini, model.solver);
    WriteDataLink(ini, model.data);
    ini.UpdateFile();
}

std::string GraphTitleFromFileName(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("/\\");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}
