#include "EquilibriaCommand.h"

#include "CommandArgs.h"
#include "CsvRow.h"
#include "PlaneAnalysis.h"
#include "PlaneCommand.h"

#include <ostream>

int RunEquilibria(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        TPlaneCommand plane(args, kEquilibriaUsage);
        const TEquilibria& found = plane.Equilibria();
        out << CsvRow(kEquilibriumColumns);
        for (const TEquilibrium& e : found.points)
            out << CsvRow(EquilibriumFields(e, CsvNumber));
        out.flush();
        for (const TEquilibriumCurve& c : found.curves)
            err << CurveNote(c) << ".\n";
        plane.NoteBox(err);
        return 0;
    });
}
