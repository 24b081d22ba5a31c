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

// Reads a table with a header row, comma-separated when the header holds a
// comma and blank-separated otherwise. A blank or "NA" cell is not observed,
// and so is a cell missing at the end of a short row; blank lines are
// skipped. Nothing is loaded on an error (Exception): a cell that is no number
// ("'FILE' line N: 'TEXT' is not a valid floating point value"), no time
// column, a column asked for that is not there, neither species, a row
// without its time or out of order in time, or no rows at all. `name` is the
// file's name as the messages give it.
TObservedData ParseObservedData(const std::string& text, const std::string& name,
                                const TDataColumns& columns = {});

// The same read from a file; one that cannot be read throws "Data file '%s'
// does not exist" or "... cannot be read".
TObservedData ReadObservedData(const std::string& fileName, const TDataColumns& columns = {});
