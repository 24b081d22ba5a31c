#include "SolverSettings.h"

#include "FloatText.h"

#include <array>
#include <cmath>
#include <utility>

namespace {

constexpr std::array<std::pair<TSolverMethod, const char*>, 4> kNames{{
    {sm_Euler, "euler"},
    {sm_RK4, "rk4"},
    {sm_RK45, "rk45"},
    {sm_BDF, "bdf"},
}};

std::string LowerCase(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

} // namespace

std::string MethodName(TSolverMethod method) {
    for (const auto& [m, name] : kNames)
        if (m == method) return name;
    return std::string();
}

TSolverMethod MethodFromName(const std::string& name) {
    const std::string lower = LowerCase(name);
    for (const auto& [m, known] : kNames)
        if (lower == known) return m;
    throw ESolverError(FormatMessage("Unknown method '%s'", {name}));
}

double ToleranceFromText(const std::string& text) {
    const double value = TextToFloat(text);
    if (!(value > 0) || !std::isfinite(value))
        throw ESolverError(FormatMessage("'%s' is not a valid tolerance", {text}));
    return value;
}

void CheckTimeStep(double dt) {
    if (!(dt > 0) || !(dt <= kMaxTimeStep))
        throw ESolverError(FormatMessage(
            "'%s' is not a valid time step: it must be greater than 0 and at most 1E300",
            {FloatToText(dt)}));
}
