#include "EquilibriaCommand.h"

#include "CommandArgs.h"
#include "CsvRow.h"
#include "ErrorText.h"
#include "Exception.h"
#include "FloatText.h"
#include "PlaneAnalysis.h"
#include "Simulation.h"

#include <ostream>
#include <sstream>

namespace {

const std::string kUsage = std::string("usage: tarnivell ") + kEquilibriaUsage;

TPlaneRect ReadBox(const std::string& text) {
    std::vector<double> bounds;
    std::istringstream parts(text + ":");
    std::string part;
    bool numbers = true;
    while (std::getline(parts, part, ':') && numbers) {
        double v = 0;
        numbers = TryTextToFloat(part, v);
        bounds.push_back(v);
    }
    const TPlaneRect box = numbers && bounds.size() == 4
                               ? TPlaneRect{bounds[0], bounds[1], bounds[2], bounds[3]}
                               : TPlaneRect{0, 0, 0, 0};
    if (!box.IsValid())
        throw Exception(FormatMessage(
            "'%s' is not a box N1MIN:N1MAX:N2MIN:N2MAX with each minimum below its maximum",
            {text}));
    return box;
}

std::string BoxText(const TPlaneRect& box) {
    return FloatToText(box.n1Min) + ":" + FloatToText(box.n1Max) + ":" + FloatToText(box.n2Min) +
           ":" + FloatToText(box.n2Max);
}

} // namespace

int RunEquilibria(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        std::string modelFile;
        std::optional<TPlaneRect> box;
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& arg = args[i];
            if (arg == "--box" && i + 1 < args.size() && !box)
                box = ReadBox(args[++i]);
            else if (modelFile.empty() && !arg.starts_with("--"))
                modelFile = arg;
            else
                throw Exception(kUsage);
        }
        if (modelFile.empty()) throw Exception(kUsage);

        TModel model = LoadRequiredModel(modelFile);
        TSimulation sim;
        BindModel(sim, model);
        TCompiledModel& plane = sim.Model();
        const TPlaneRect start = box ? *box : DefaultBox(model.N1, model.N2);
        const TEquilibria found =
            box ? FindEquilibria(plane, start) : FindEquilibriaGrowing(plane, start);
        if (!found.error.empty()) throw Exception(found.error);

        out << CsvRow(kEquilibriumColumns);
        for (const TEquilibrium& e : found.points)
            out << CsvRow(EquilibriumFields(e, CsvNumber));
        out.flush();
        for (const TEquilibriumCurve& c : found.curves)
            err << CurveNote(c) << ".\n";
        if (!box) {
            const TPlaneRect& r = found.box;
            if (r.n1Max == start.n1Max && r.n2Max == start.n2Max)
                err << "Searched the default box " << BoxText(r) << ".\n";
            else
                err << "Searched the box " << BoxText(r) << ": the default box " << BoxText(start)
                    << " grown where nullclines leave it toward a crossing.\n";
        }
        return 0;
    });
}
