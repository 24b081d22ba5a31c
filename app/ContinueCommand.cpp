#include "ContinueCommand.h"

#include "CommandArgs.h"
#include "Continuation.h"
#include "CsvRow.h"
#include "Exception.h"
#include "FloatText.h"
#include "PlaneCommand.h"

#include <ostream>

namespace {

std::string YesNo(bool yes) {
    return yes ? "yes" : "no";
}

std::vector<std::string> Fields(std::size_t branch, const TBranch& b, const TBranchRow& row) {
    const bool cycle = b.object == TBranchObject::Cycle;
    return {std::to_string(branch), ObjectName(b.object),
            CsvNumber(row.p),       CsvNumber(row.n1),
            CsvNumber(row.n2),      CsvNumber(row.n1Min),
            CsvNumber(row.n1Max),   CsvNumber(row.n2Min),
            CsvNumber(row.n2Max),   cycle ? CsvNumber(row.period) : std::string(),
            YesNo(row.stable),      SpecialLabel(row.label)};
}

} // namespace

int RunContinue(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        TPlaneCommand plane(args, kContinueUsage, 1);
        const std::string& text = plane.Operands()[0];
        const TNamedValues range = ReadNamedValues(
            text, 2, FormatMessage("'%s' is not a continuation of the form NAME=FROM:TO", {text}));
        TContinuationOptions options;
        options.from = TextToFloat(range.values[0]);
        options.to = TextToFloat(range.values[1]);
        if (options.from == options.to)
            throw Exception(FormatMessage("'%s' is an empty range: FROM and TO are equal", {text}));
        const int parameter = plane.Model().ParameterIndex(range.name);
        if (parameter < 0)
            throw Exception(FormatMessage("No parameter is named '%s'", {range.name}));
        options.box = plane.Box();

        const TContinuation found = Continue(plane.Model(), std::size_t(parameter), options);
        if (!found.error.empty()) throw Exception(found.error);
        out << CsvRow({"branch", "object", plane.Model().ParameterName(std::size_t(parameter)),
                       "N1", "N2", "N1min", "N1max", "N2min", "N2max", "period", "stable",
                       "label"});
        for (std::size_t b = 0; b < found.branches.size(); ++b)
            for (const TBranchRow& row : found.branches[b].rows)
                out << CsvRow(Fields(b + 1, found.branches[b], row));
        out.flush();
        for (const std::string& line : found.stopped)
            err << line << ".\n";
        plane.NoteBox(err);
        return found.stopped.empty() ? 0 : 1;
    });
}
