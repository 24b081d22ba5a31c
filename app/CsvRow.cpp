#include "CsvRow.h"

#include "FloatText.h"

std::string CsvNumber(double value) {
    return FloatToText(value, 15, '.');
}

std::string CsvRow(const std::vector<std::string>& cells) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) row += ',';
        row += cells[i];
    }
    row += '\n';
    return row;
}
