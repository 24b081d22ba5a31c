#pragma once

#include <string>
#include <vector>

// Rows of comma-separated values as every table the program writes for other
// programs has them (--batch, --sweep, --equilibria, File > Export data):
// cells joined by ",", unquoted, the row ended by "\n". No cell needs quotes:
// the cells are numbers, parameter names and fixed words.

// A number's cell: 15 significant digits in the general number text, with "."
// whatever the user's separator, since a "," would split the cell.
std::string CsvNumber(double value);

// The cells as one row, its line end included.
std::string CsvRow(const std::vector<std::string>& cells);
