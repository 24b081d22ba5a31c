#include "ContinuationCsv.h"

#include "CsvRow.h"

#include <vector>

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

std::string ContinuationCsv(const TContinuation& found, const std::string& parameter) {
    std::string text = CsvRow({"branch", "object", parameter, "N1", "N2", "N1min", "N1max", "N2min",
                               "N2max", "period", "stable", "label"});
    for (std::size_t b = 0; b < found.branches.size(); ++b)
        for (const TBranchRow& row : found.branches[b].rows)
            text += CsvRow(Fields(b + 1, found.branches[b], row));
    return text;
}
