#include "CurvesCsv.h"

#include "AtomicFile.h"
#include "CsvRow.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

std::string Cell(double value) {
    return std::isnan(value) ? std::string() : CsvNumber(value);
}

} // namespace

std::string CurvesCsvRow(const TCurveRow& row) {
    return CsvRow({CsvNumber(row.t), Cell(row.N1), Cell(row.N2)});
}

std::vector<TCurveRow> MergeCurves(const TCurve& n1, const TCurve& n2) {
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    std::vector<TCurveRow> rows;
    rows.reserve(std::max(n1.size(), n2.size()));
    std::size_t i = 0, j = 0;
    while (i < n1.size() || j < n2.size()) {
        if (j == n2.size() || (i < n1.size() && n1[i].first < n2[j].first)) {
            rows.push_back({n1[i].first, n1[i].second, none});
            ++i;
        } else if (i == n1.size() || n2[j].first < n1[i].first) {
            rows.push_back({n2[j].first, none, n2[j].second});
            ++j;
        } else {
            rows.push_back({n1[i].first, n1[i].second, n2[j].second});
            ++i;
            ++j;
        }
    }
    return rows;
}

std::string CurvesCsv(const std::vector<TCurveRow>& rows) {
    std::string text = kCurvesCsvHeader;
    for (const TCurveRow& row : rows)
        text += CurvesCsvRow(row);
    return text;
}

void WriteCurvesCsv(const std::string& fileName, const std::vector<TCurveRow>& rows) {
    WriteFileAtomically(fileName, CurvesCsv(rows));
}
