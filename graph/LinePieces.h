#pragma once

#include <QLine>
#include <QPoint>

#include <vector>

// A solid one-pixel line through the points as separate pieces, one per
// step from a point to the next. Each piece covers both its end pixels and
// no piece depends on its neighbours, so the pieces of appended points drawn
// over a picture give exactly the pixels of drawing the whole line again
// (the painter's joined polyline leaves out or adds a pixel at some corners,
// depending on the pieces around). Steps that stay on their pixel are left
// out, and pieces that continue a row or column run in the same direction
// are merged: neither changes a pixel. A single point is one piece of no
// length, a dot.
void AppendLinePieces(const std::vector<QPoint>& points, std::vector<QLine>& pieces);
