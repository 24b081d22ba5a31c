#pragma once

#include <functional>

class TDataSeries;
class TDataSupplier;
class TSeries;
struct TDataSourceSettings;

// Refills a series from the data source its Source settings name (nothing
// when there is none, or the source cannot be found or opened). A series of a
// graph is held during the refill, so that the graph repaints once, after it.
void LoadFromSource(TDataSeries& series);
void LoadFromSource(TSeries& series);

// Refills a series from a supplier by the row choice of its source settings:
// skips the header rows, takes every RowSamplingFrequency-th row, and adds the
// rows whose x and y columns both convert. The series keeps its points when
// either column is not found. `alive` tells, after each point, whether the
// series still exists (a too-many-points handler may destroy it); the filling
// stops when it does not, and the result is false then.
bool LoadFromSupplier(TDataSeries& series, TDataSupplier& supplier,
                      const TDataSourceSettings& settings, const std::function<bool()>& alive);
