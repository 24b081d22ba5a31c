#pragma once

#include <QPoint>

#include <vector>

// Fewer vertices for the same pixels. Consecutive points on one pixel are
// always merged. For a solid one-pixel line also: a run of points in one
// pixel column becomes its first point, its lowest and highest row and its
// last point (the vertical pieces cover exactly that span), and the inner
// points of a horizontal run are dropped. Dashed and wide lines keep their
// vertices, since their pattern and joins depend on them.
void ReducePolyline(std::vector<QPoint>& points, bool solidHairline);
