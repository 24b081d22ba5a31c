// Rows of comma-separated values as every export writes them.
#include "CsvRow.h"
#include "FloatText.h"

#include <gtest/gtest.h>

namespace {

// A user whose separator is "," still gets numbers any program reads back:
// a point, 15 significant digits, zero without a sign, exponents in the
// general number form.
TEST(CsvRow, NumbersHaveAPointAnd15DigitsWhateverTheSeparator) {
    const struct {
        double value;
        const char* cell;
    } cases[] = {
        {0.5, "0.5"},
        {1.0 / 3, "0.333333333333333"},
        {-2.0 / 3e7, "-6.66666666666667E-8"},
        {12345678.901234567, "12345678.9012346"},
        {-0.0, "0"},
        {6.02214076e23, "6.02214076E23"},
        {999999999999999.9, "1E15"},
        {1e-300, "1E-300"},
        {-4.9e-324, "-4.94065645841247E-324"},
    };
    const char saved = DecimalSeparator();
    SetDecimalSeparator(',');
    std::vector<std::string> cells;
    std::string line;
    for (const auto& c : cases) {
        EXPECT_EQ(CsvNumber(c.value), c.cell) << c.cell;
        cells.push_back(CsvNumber(c.value));
        line += (line.empty() ? "" : ",") + std::string(c.cell);
    }
    cells.emplace_back(); // a cell left empty keeps its place
    EXPECT_EQ(CsvRow(cells), line + ",\n");
    SetDecimalSeparator(saved);
}

} // namespace
