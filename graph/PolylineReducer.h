#pragma once

#include <QPoint>

#include <vector>

// Fewer vertices for the same pixels of a solid one-pixel line: inner
// vertices that only continue a straight row or column run in the same
// direction are dropped. Other lines keep their vertices, since their dash
// pattern and joins depend on them.
void ReducePolyline(std::vector<QPoint>& points, bool solidHairline);
