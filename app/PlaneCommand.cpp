#include "PlaneCommand.h"

#include <algorithm>

#include "CommandArgs.h"
#include "ErrorText.h"
#include "Exception.h"
#include "FloatText.h"

#include <ostream>
#include <sstream>

namespace {

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

TPlaneCommand::TPlaneCommand(const std::vector<std::string>& args, const std::string& usage,
                             std::size_t operands, std::size_t most) {
    most = std::max(most, operands);
    const std::string wrong = "usage: tarnivell " + usage;
    std::string modelFile;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--box" && i + 1 < args.size() && !given_)
            given_ = ReadBox(args[++i]);
        else if (modelFile.empty() && !arg.starts_with("--"))
            modelFile = arg;
        else if (operands_.size() < most && !arg.starts_with("--"))
            operands_.push_back(arg);
        else
            RefuseArgument(arg, wrong, {"--box"});
    }
    if (modelFile.empty() || operands_.size() < operands) throw Exception(wrong);

    TModel model = LoadRequiredModel(modelFile);
    BindModel(sim_, model);
    start_ = given_ ? *given_ : DefaultBox(model.N1, model.N2);
    found_ = given_ ? FindEquilibria(Model(), start_) : FindEquilibriaGrowing(Model(), start_);
    if (!found_.error.empty()) throw Exception(found_.error);
}

void TPlaneCommand::NoteBox(std::ostream& err) const {
    if (given_) return;
    const TPlaneRect& r = found_.box;
    if (r.n1Max == start_.n1Max && r.n2Max == start_.n2Max)
        err << "Searched the default box " << BoxText(r) << ".\n";
    else
        err << "Searched the box " << BoxText(r) << ": the default box " << BoxText(start_)
            << " grown where nullclines leave it toward a crossing.\n";
}
