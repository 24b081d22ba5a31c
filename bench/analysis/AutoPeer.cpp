#include "AutoPeer.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

// Rates and names go through the shell between single quotes, which they do
// not contain: a model file's rate with one is refused, not quoted.
std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

} // namespace

TAutoPeerRun RunAutoPeer(const std::string& script, const TAutoPeerRequest& request) {
    TAutoPeerRun run;
    std::string parameters;
    for (const auto& [name, value] : request.parameters)
        parameters += (parameters.empty() ? "" : ",") + name + "=" + Number(value);
    for (const std::string* text :
         std::initializer_list<const std::string*>{&request.rate1, &request.rate2, &parameters})
        if (text->find('\'') != std::string::npos) {
            run.error = "a quote in the model: " + *text;
            return run;
        }
    std::string command = Quoted(script) + " " + Quoted(request.rate1) + " " +
                          Quoted(request.rate2) + " " + Quoted(parameters) + " " +
                          Quoted(request.parameter) + " " + Number(request.from) + " " +
                          Number(request.to) + " " + Number(request.n1) + " " + Number(request.n2);
    if (!std::isnan(request.at)) command += " " + Number(request.at);

    FILE* peer = popen(command.c_str(), "r");
    if (!peer) {
        run.error = "the AUTO peer could not be started";
        return run;
    }
    char line[256];
    while (std::fgets(line, sizeof line, peer)) {
        const std::string text(line);
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = text.substr(0, equals);
        const double value = std::strtod(text.c_str() + equals + 1, nullptr);
        if (key == "compile_seconds")
            run.compileSeconds = value;
        else if (key == "run_seconds")
            run.runSeconds = value;
        else if (key == "period")
            run.period = value;
        else
            run.points.emplace_back(key, value);
    }
    const int status = pclose(peer);
    if (status != 0)
        run.error = WIFEXITED(status) && WEXITSTATUS(status) == 2
                        ? "auto-07p or gfortran is not installed (or the model is not one "
                          "auto-peer.sh takes): no comparison with AUTO"
                        : "AUTO did not run through (its messages are above)";
    else if (std::isnan(run.runSeconds))
        run.error = "AUTO's answer was cut short";
    return run;
}
