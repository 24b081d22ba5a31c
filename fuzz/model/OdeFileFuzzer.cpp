// Reads arbitrary bytes as an XPPAUT .ode file. A file read must write as
// .ode again, and what is written must read back as the same model.
#include "Exception.h"
#include "OdeFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TModel model;
    std::vector<std::string> notes;
    try {
        ReadOdeText("fuzz.ode", text, model, notes);
    } catch (const Exception&) {
        return 0; // refused with a message: what it must do
    }
    std::string written;
    try {
        written = OdeText(model);
    } catch (const Exception&) {
        // A rate too long or too deeply nested for the rate-law compiler.
        return 0;
    }
    TModel back;
    try {
        ReadOdeText("fuzz.ode", written, back, notes);
    } catch (const Exception&) {
        std::abort(); // our own output must read
    }
    const auto same = [](double a, double b) { return a == b || (a != a && b != b); };
    if (!same(back.dt, model.dt) || !same(back.N1, model.N1) || !same(back.N2, model.N2) ||
        back.solver != model.solver)
        std::abort();
    for (std::size_t k = 0; k < model.rows.size(); ++k)
        if (back.rows[k].value != model.rows[k].value) std::abort();
    return 0;
}
