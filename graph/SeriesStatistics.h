#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The summary of one coordinate (x or y) of a series' points. A series keeps
// one for its x values and one for its y values, recomputed on request after
// any change of the points.
struct TStatistics {
    bool Valid = false;
    std::string Message; // empty, or one of the two messages below
    bool Failed = false; // fewer than two values
    std::int32_t Count = 0;
    double Mean = 0;
    double Q50 = 0;
    double Mode = 0;
    double Total = 0;
    double Spread = 0; // sample standard deviation
    double Skew = 0;
    double Kurtosis = 0;
    double Q20 = 0, Q80 = 0;
    double Q25 = 0, Q75 = 0;
};

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
