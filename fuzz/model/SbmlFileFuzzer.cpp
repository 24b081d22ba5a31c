// Reads arbitrary bytes as an SBML file. What reads as a model must write
// and read back as the same model: the same densities and the same rates, or
// the same fault, at a few points.
#include "CompiledModel.h"
#include "SbmlFile.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::string TempFile(const char* what) {
    return "/tmp/tarnivell-sbml-fuzz-" + std::to_string(getpid()) + what;
}

// The rates at a point, or the fault that stops them, as text.
std::string RatesAt(const TModel& model, double n1, double n2) {
    TCompiledModel compiled;
    std::vector<ParameterRow> rows = model.rows;
    compiled.Compile(rows, model.rate1, model.rate2);
    try {
        double r1 = 0, r2 = 0;
        compiled.Rates(n1, n2, r1, r2);
        char text[64];
        std::snprintf(text, sizeof text, "%a %a", r1, r2);
        return std::isnan(r1) || std::isnan(r2) ? "nan" : text;
    } catch (const Exception& e) {
        return e.Message();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input = TempFile(".xml");
    std::ofstream(input, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    TModel model;
    std::vector<std::string> notes;
    try {
        LoadSbmlFile(input, model, notes);
    } catch (const Exception&) {
        return 0;
    }
    const std::string output = TempFile("-out.xml");
    SaveSbmlFile(output, model);
    TModel again;
    LoadSbmlFile(output, again, notes);
    if (std::memcmp(&again.N1, &model.N1, sizeof model.N1) != 0 ||
        std::memcmp(&again.N2, &model.N2, sizeof model.N2) != 0 || again.rate1 != model.rate1 ||
        again.rate2 != model.rate2)
        std::abort();
    for (const double n1 : {0.0, 1.5, 40.0})
        if (RatesAt(model, n1, 2.5) != RatesAt(again, n1, 2.5)) std::abort();
    return 0;
}
