#include "ContinueCommand.h"

#include "CommandArgs.h"
#include "Continuation.h"
#include "ContinuationCsv.h"
#include "CsvRow.h"
#include "Exception.h"
#include "FloatText.h"
#include "PlaneCommand.h"
#include "SpecialCurves.h"

#include <ostream>

namespace {

// A NAME=FROM:TO argument: the parameter's index and the range.
struct TRange {
    std::size_t parameter = 0;
    double from = 0, to = 0;
};

TRange ReadRange(TCompiledModel& model, const std::string& text) {
    const TNamedValues range = ReadNamedValues(
        text, 2, FormatMessage("'%s' is not a continuation of the form NAME=FROM:TO", {text}));
    TRange r;
    r.from = TextToFloat(range.values[0]);
    r.to = TextToFloat(range.values[1]);
    if (r.from == r.to)
        throw Exception(FormatMessage("'%s' is an empty range: FROM and TO are equal", {text}));
    const int parameter = model.ParameterIndex(range.name);
    if (parameter < 0) throw Exception(FormatMessage("No parameter is named '%s'", {range.name}));
    r.parameter = std::size_t(parameter);
    return r;
}

// The fold and Hopf curves across two ranges.
int RunCurves(TPlaneCommand& plane, const TRange& a, const TRange& b, std::ostream& out,
              std::ostream& err) {
    if (a.parameter == b.parameter)
        throw Exception("The two ranges must be of two different parameters");
    TCompiledModel& model = plane.Model();
    TSpecialCurveOptions options;
    options.from1 = a.from;
    options.to1 = a.to;
    options.from2 = b.from;
    options.to2 = b.to;
    options.box = plane.Box();
    const TSpecialCurves found = ContinueSpecialPoints(model, a.parameter, b.parameter, options);
    if (!found.error.empty()) throw Exception(found.error);
    out << CsvRow({"curve", "kind", model.ParameterName(a.parameter),
                   model.ParameterName(b.parameter), "N1", "N2", "label"});
    for (std::size_t c = 0; c < found.curves.size(); ++c)
        for (const TSpecialCurveRow& row : found.curves[c].rows)
            out << CsvRow({std::to_string(c + 1), CurveKindName(found.curves[c].kind),
                           CsvNumber(row.p1), CsvNumber(row.p2), CsvNumber(row.n1),
                           CsvNumber(row.n2), CodimTwoLabel(row.label)});
    out.flush();
    for (const std::string& line : found.stopped)
        err << line << ".\n";
    plane.NoteBox(err);
    return found.stopped.empty() ? 0 : 1;
}

} // namespace

int RunContinue(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        TPlaneCommand plane(args, kContinueUsage, 1, 2);
        const TRange range = ReadRange(plane.Model(), plane.Operands()[0]);
        if (plane.Operands().size() == 2)
            return RunCurves(plane, range, ReadRange(plane.Model(), plane.Operands()[1]), out, err);
        const std::size_t parameter = range.parameter;
        TContinuationOptions options;
        options.from = range.from;
        options.to = range.to;
        options.box = plane.Box();

        const TContinuation found = Continue(plane.Model(), parameter, options);
        if (!found.error.empty()) throw Exception(found.error);
        out << ContinuationCsv(found, plane.Model().ParameterName(parameter));
        out.flush();
        for (const std::string& line : found.stopped)
            err << line << ".\n";
        plane.NoteBox(err);
        return found.stopped.empty() ? 0 : 1;
    });
}
