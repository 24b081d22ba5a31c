#pragma once

#include "PlotGraph.h"

class QPainter;
class TSeries;

// The statistics' part of drawing one series, between its fixed bound lines
// and its line: the standard-deviation bound lines of BoundsMode (from the y
// statistics, as stored, across the series' x extent) and, when the series has
// a RegressionType and at least two points, the regression curve through the
// Fit values (or the curve list of the spline and locally weighted kinds),
// less ZeroValue. Computes what is stale first; a failing regression throws
// its error to whoever asked for the drawing. Non-finite values leave a gap.
// A graph draws this for each series once it is given it as its
// StatisticsPainter (PlotGraph.h says why the plotting core does not call it
// by itself).
void DrawSeriesStatistics(QPainter& painter, TSeries& series, const TPixelTransform& xToPixel,
                          const TPixelTransform& yToPixel, int penWidth = 1);
