#pragma once

#include "DataSeries.h"

#include <vector>

// The statistics of a series' values: count, mean, spread, position values,
// mode, skew and kurtosis (the record is TStatistics of DataSeries.h, which
// the series keeps until its points change).

inline const char* const kNoStatisticsMessage =
    "No Statistics are available unless more than one point exists";
inline const char* const kNoDevianceMessage =
    "No skew/kurtosis are available because there is no deviance in the data";

// Orders values ascending, stably, with not-a-number values last (so that a
// stray NaN cannot break the sort).
void SortValues(std::vector<double>& values);

// The statistics of values already in ascending order. Values closer than or
// equal to tolerance count as one for the mode.
TStatistics StatisticsOfSorted(const std::vector<double>& sorted, double tolerance);

// The position value that cuts off the fraction num/den of the sorted values
// from below (lower) or from above (upper). Where the cut falls between two
// values it is their mean; 0 for no values.
double LowerPositionValue(const std::vector<double>& sorted, int num, int den);
double UpperPositionValue(const std::vector<double>& sorted, int num, int den);

// The statistics of the series' x values (in point order, already ascending)
// or of its y values (sorted), computed when the series holds none valid.
TStatistics XStatistics(TDataSeries& series);
TStatistics YStatistics(TDataSeries& series);
