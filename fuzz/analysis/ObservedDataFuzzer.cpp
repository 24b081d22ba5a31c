// Arbitrary bytes as a table of observed counts, cut into lines and comma-separated cells (as
// a data file's reader hands them over), with the default columns or named ones. A table read holds
// what a fit relies on (times finite and increasing, every count a number or not observed);
// anything it refuses comes out as the program's Exception. Anything else (a crash, a sanitizer
// report, a hang, a broken promise) is a finding.
#include "Exception.h"
#include "ObservedData.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool named = data[0] & 1;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const TDataColumns columns = named ? TDataColumns{"day", "hare", "lynx"} : TDataColumns{};
    std::vector<std::string> header;
    std::vector<TDataRow> rows;
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        TDataRow row{++number, {}};
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            row.cells.push_back(cell);
        if (number == 1)
            header = row.cells;
        else
            rows.push_back(row);
    }
    try {
        const TObservedData table = ObservedDataFromTable(header, rows, "data.csv", columns);
        if (table.Rows() == 0 || table.n1.size() != table.Rows() || table.n2.size() != table.Rows())
            std::abort();
        for (std::size_t i = 0; i < table.Rows(); ++i) {
            if (!std::isfinite(table.t[i]) || (i > 0 && !(table.t[i] > table.t[i - 1])))
                std::abort();
            for (const double n : {table.n1[i], table.n2[i]})
                if (std::isinf(n)) std::abort();
        }
    } catch (const Exception&) {
    }
    return 0;
}
