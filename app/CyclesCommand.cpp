#include "CyclesCommand.h"

#include "CommandArgs.h"
#include "CsvRow.h"
#include "Exception.h"
#include "LimitCycleText.h"
#include "LimitCycles.h"
#include "PlaneCommand.h"

#include <ostream>

int RunCycles(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        TPlaneCommand plane(args, kCyclesUsage);
        const TLimitCycles found = FindLimitCycles(plane.Model(), plane.Box(), plane.Equilibria());
        if (!found.error.empty()) throw Exception(found.error);
        out << CsvRow(kCycleColumns);
        for (const TLimitCycle& c : found.cycles)
            out << CsvRow(CycleFields(c, CsvNumber));
        out.flush();
        if (found.centre) err << CentreSentence() << ".\n";
        for (const std::string& note : found.unresolved)
            err << note << ".\n";
        plane.NoteBox(err);
        return 0;
    });
}
