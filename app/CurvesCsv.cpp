#include "CurvesCsv.h"

#include "AtomicFile.h"
#include "CsvRow.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>

namespace {

std::string Cell(double value) {
    return std::isnan(value) ? std::string() : CsvNumber(value);
}

// A time as the file shows it: runs whose steps count to 3 × 0.2 and to
// 2 × 0.3 both reach t = 0.6, though not to the last bit.
double AsWritten(double t) {
    const std::string text = CsvNumber(t);
    double value = t;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
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

std::string CurvesCsv(const std::vector<TCurveRow>& rows,
                      const std::vector<std::vector<TCurveRow>>& kept) {
    if (kept.empty()) return CurvesCsv(rows);
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    const std::size_t runs = kept.size() + 1;
    // Per time, both densities of every run; a later row at the same time
    // within a run stands, as a series keeps the last point at a time.
    std::map<double, std::vector<double>> table;
    const auto add = [&](const std::vector<TCurveRow>& run, std::size_t index) {
        for (const TCurveRow& row : run) {
            std::vector<double>& cells = table[AsWritten(row.t)];
            if (cells.empty()) cells.assign(2 * runs, none);
            cells[2 * index] = row.N1;
            cells[2 * index + 1] = row.N2;
        }
    };
    add(rows, 0);
    for (std::size_t k = 0; k < kept.size(); ++k)
        add(kept[k], k + 1);
    std::vector<std::string> header{"t", "N1", "N2"};
    for (std::size_t k = 1; k < runs; ++k)
        for (const char* name : {"N1", "N2"})
            header.push_back(std::string(name) + " (kept " + std::to_string(k) + ")");
    std::string text = CsvRow(header);
    for (const auto& [t, cells] : table) {
        std::vector<std::string> line{CsvNumber(t)};
        for (double cell : cells)
            line.push_back(Cell(cell));
        text += CsvRow(line);
    }
    return text;
}

void WriteCurvesCsv(const std::string& fileName, const std::vector<TCurveRow>& rows,
                    const std::vector<std::vector<TCurveRow>>& kept) {
    WriteFileAtomically(fileName, CurvesCsv(rows, kept));
}
