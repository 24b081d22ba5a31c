#pragma once

#include "Sweep.h"

#include <string>

// A sweep's rows as comma-separated values, as --sweep prints them: the header
// (the parameter's name, N1min, N1max, N2min, N2max, N1last, N2last, period,
// converged), then one row per value. A run that faulted keeps its value and
// leaves its figures empty; an equilibrium has no period.
std::string SweepCsvHeader(const std::string& parameter);
std::string SweepCsvRow(const TSweepRow& row);
// The header and every row of `result`, in order.
std::string SweepCsv(const TSweepResult& result, const std::string& parameter);
