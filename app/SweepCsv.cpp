#include "SweepCsv.h"

#include "CsvRow.h"

#include <vector>

std::string SweepCsvHeader(const std::string& parameter) {
    return CsvRow(
        {parameter, "N1min", "N1max", "N2min", "N2max", "N1last", "N2last", "period", "converged"});
}

std::string SweepCsvRow(const TSweepRow& row) {
    std::vector<std::string> cells{CsvNumber(row.value)};
    const bool done = row.state == TSweepRowState::Done;
    for (double v : {row.n1Min, row.n1Max, row.n2Min, row.n2Max, row.n1Last, row.n2Last})
        cells.push_back(done ? CsvNumber(v) : std::string());
    cells.push_back(done && row.period > 0 ? CsvNumber(row.period) : std::string());
    cells.push_back(done ? (row.converged ? "yes" : "no") : "");
    return CsvRow(cells);
}

std::string SweepCsv(const TSweepResult& result, const std::string& parameter) {
    std::string text = SweepCsvHeader(parameter);
    for (const TSweepRow& row : result.rows)
        text += SweepCsvRow(row);
    return text;
}
