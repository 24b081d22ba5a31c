#include "ContinueCommand.h"

#include "CommandArgs.h"
#include "Continuation.h"
#include "ContinuationCsv.h"
#include "Exception.h"
#include "FloatText.h"
#include "PlaneCommand.h"

#include <ostream>

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
        out << ContinuationCsv(found, plane.Model().ParameterName(std::size_t(parameter)));
        out.flush();
        for (const std::string& line : found.stopped)
            err << line << ".\n";
        plane.NoteBox(err);
        return found.stopped.empty() ? 0 : 1;
    });
}
