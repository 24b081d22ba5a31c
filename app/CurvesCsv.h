#pragma once

#include <string>
#include <utility>
#include <vector>

// The curves of a run as comma-separated values (rows and numbers as CsvRow
// and CsvNumber write them): the header "t,N1,N2", then one row per time.

// One row: a time and both densities. A density that is NaN has no point at
// that time and its cell stays empty.
struct TCurveRow {
    double t;
    double N1;
    double N2;
};

// A curve as (time, density) pairs in time order.
using TCurve = std::vector<std::pair<double, double>>;

inline constexpr char kCurvesCsvHeader[] = "t,N1,N2\n";

// One row of the table, its line break included.
std::string CurvesCsvRow(const TCurveRow& row);

// The two curves side by side: one row per time found in either; a time
// only one curve has leaves the other cell empty.
std::vector<TCurveRow> MergeCurves(const TCurve& n1, const TCurve& n2);

// The whole text, header first.
std::string CurvesCsv(const std::vector<TCurveRow>& rows);

// The whole text with the runs kept for comparison beside the present one:
// after "t,N1,N2" the columns "N1 (kept 1)", "N2 (kept 1)", "N1 (kept 2)", ...
// Runs need not share their times (another step, another start): the rows
// are every time found in any run, in order (times that read the same to 15
// digits are one), and a run without a point at a
// time leaves its cells empty there, so every cell is a state its run
// reached, never one made up between two.
std::string CurvesCsv(const std::vector<TCurveRow>& rows,
                      const std::vector<std::vector<TCurveRow>>& kept);

// Writes the text to `fileName` in one step (see WriteFileAtomically); a
// failure throws EFileWriteError naming the file and the reason, and leaves
// no half-written file.
void WriteCurvesCsv(const std::string& fileName, const std::vector<TCurveRow>& rows,
                    const std::vector<std::vector<TCurveRow>>& kept = {});
