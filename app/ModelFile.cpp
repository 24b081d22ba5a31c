#include "ModelFile.h"

#include "FloatText.h"
#include "IniFile.h"

namespace {

const char* const kTime = "Time";
const char* const kSpecies1 = "Species 1";
const char* const kSpecies2 = "Species 2";
const char* const kParameters = "Parameters";

double ReadNumber(const IniFile& ini, const char* section, const char* key, double current) {
    return TextToFloat(ini.ReadString(section, key, FloatToText(current)));
}

std::string RowKey(const char* word, int row) {
    return word + std::to_string(row);
}

} // namespace

void LoadModelFile(const std::string& fileName, TModel& model) {
    const IniFile ini(fileName);
    model.dt = ReadNumber(ini, kTime, "Step", model.dt);
    model.N1 = ReadNumber(ini, kSpecies1, "Density", model.N1);
    model.N2 = ReadNumber(ini, kSpecies2, "Density", model.N2);
    model.rate1 = ini.ReadString(kSpecies1, "Rate", "0");
    model.rate2 = ini.ReadString(kSpecies2, "Rate", "0");
    model.rows.resize(kParameterRows);
    for (int i = 1; i <= kParameterRows; ++i) {
        ParameterRow& row = model.rows[i - 1];
        row.name = ini.ReadString(kParameters, RowKey("Name", i), "");
        row.value = ini.ReadString(kParameters, RowKey("Value", i), "");
        row.description = ini.ReadString(kParameters, RowKey("Description", i), "");
    }
}

void SaveModelFile(const std::string& fileName, const TModel& model) {
    IniFile ini(fileName);
    ini.WriteString(kTime, "Step", FloatToText(model.dt));
    ini.WriteString(kSpecies1, "Density", FloatToText(model.N1));
    ini.WriteString(kSpecies2, "Density", FloatToText(model.N2));
    ini.WriteString(kSpecies1, "Rate", model.rate1);
    ini.WriteString(kSpecies2, "Rate", model.rate2);
    for (int i = 1; i <= kParameterRows; ++i) {
        const ParameterRow empty;
        const ParameterRow& row =
            i <= static_cast<int>(model.rows.size()) ? model.rows[i - 1] : empty;
        ini.WriteString(kParameters, RowKey("Name", i), row.name);
        ini.WriteString(kParameters, RowKey("Value", i), row.value);
        ini.WriteString(kParameters, RowKey("Description", i), row.description);
    }
    ini.UpdateFile();
}

std::string GraphTitleFromFileName(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("/\\");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.erase(dot);
    return name;
}
