#pragma once

#include "Continuation.h"

#include <string>

// Branches as comma-separated values, as --continue prints them: the header
// (branch, object, the parameter's name, the state, the extremes, period,
// stable, label), then one row per row of each branch, branches numbered from 1.
std::string ContinuationCsv(const TContinuation& found, const std::string& parameter);
