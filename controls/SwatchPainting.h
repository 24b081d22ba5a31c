#pragma once

#include <QColor>
#include <QRect>

class QPainter;

// One-pixel outlines shared by the colour button and its palette.

// A one-pixel frame along the inside of `r`.
void FrameRect(QPainter& painter, const QRect& r, const QColor& color);
// A one-pixel bevel along the inside of `r`: top and left edges in one colour,
// bottom and right (including their corners) in the other.
void Bevel(QPainter& painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight);
