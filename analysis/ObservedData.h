#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Counts observed over time, as a fit compares the model with them: a row per
// time, strictly increasing, and per species the count at that time or NaN
// where it was not observed.
struct TObservedData {
    std::vector<double> t;
    std::vector<double> n1, n2;

    std::size_t Rows() const { return t.size(); }
    // The number of observed cells, both species together.
    std::size_t Points() const;
    // The largest count observed (0 with none).
    double Largest() const;
};

// Which header names the columns have; an empty name takes the default: `t`,
// `time` or `year` for the time, `N1` and `N2` for the species (letter case
// aside).
struct TDataColumns {
    std::string t, n1, n2;
};

// A row of a table cut into cells, with the number of its line in the file
// (from 1) for the messages.
struct TDataRow {
    int line = 0;
    std::vector<std::string> cells;
};

// Whether the default names find a time column and a column of either species
// in a header: a table with such a header needs no columns named.
bool DefaultColumnsMatch(const std::vector<std::string>& header);

// The header's name of the time column `columns` picks; empty for none.
std::string TimeColumnName(const std::vector<std::string>& header, const TDataColumns& columns);

// Builds the observed data from a table's header and rows of cell texts,
// however the file was cut into them. Cells are trimmed of blanks; a blank or
// "NA" cell is not observed, and so is a cell missing at the end of a short
// row; a row of blank cells only is skipped. Nothing is built on an error
// (Exception): a cell that is no number ("'FILE' line N: 'TEXT' is not a valid
// floating point value"), no time column, a column asked for that is not
// there, neither species, a row without its time or out of order in time, or
// no rows at all. `name` is the file's name as the messages give it.
TObservedData ObservedDataFromTable(const std::vector<std::string>& header,
                                    const std::vector<TDataRow>& rows, const std::string& name,
                                    const TDataColumns& columns = {});
