#include "ModelFormats.h"

#include "OdeFile.h"
#include "SbmlFile.h"

#include <algorithm>
#include <cctype>

namespace {

using TLoader = void (*)(const std::string&, TModel&, std::vector<std::string>&);
using TSaver = void (*)(const std::string&, const TModel&);

struct TFormat {
    const char* extension;
    TLoader load;
    TSaver save;
};

// The formats besides the .ini, by lower-case extension.
const TFormat kFormats[] = {
    {".ode", LoadOdeFile, SaveOdeFile},
    {".xml", LoadSbmlFile, SaveSbmlFile},
    {".sbml", LoadSbmlFile, SaveSbmlFile},
};

const TFormat* FormatOf(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("/\\");
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return nullptr;
    std::string extension = fileName.substr(dot);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const TFormat& format : kFormats)
        if (extension == format.extension) return &format;
    return nullptr;
}

} // namespace

void LoadAnyModelFile(const std::string& fileName, TModel& model, std::vector<std::string>& notes) {
    if (const TFormat* format = FormatOf(fileName))
        format->load(fileName, model, notes);
    else
        LoadModelFile(fileName, model);
}

void SaveAnyModelFile(const std::string& fileName, const TModel& model) {
    if (const TFormat* format = FormatOf(fileName))
        format->save(fileName, model);
    else
        SaveModelFile(fileName, model);
}

bool IsForeignModelFile(const std::string& fileName) {
    return FormatOf(fileName) != nullptr;
}
