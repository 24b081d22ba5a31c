#pragma once

#include "AxisTransform.h"

#include <QPointF>
#include <QPolygon>
#include <QPolygonF>

#include <vector>

class QPainter;
class TGraphCanvas;

// While it lives, draws on an exact canvas moved by `offset`: a figure
// drawn at whole pixels lands where its exact position is. Nothing on a
// canvas that is not exact.
class TShiftToExact {
public:
    TShiftToExact(TGraphCanvas& canvas, QPointF offset);
    ~TShiftToExact();
    TShiftToExact(const TShiftToExact&) = delete;
    TShiftToExact& operator=(const TShiftToExact&) = delete;

private:
    TGraphCanvas& canvas_;
    QPointF offset_;
};

// A curve's points on the canvas: at whole pixels as the screen draws them,
// or at their exact positions (TGraphCanvas::Exact) with consecutive points
// closer than the canvas's Merge() made one, and drawn as polylines.
class TExactPolyline {
public:
    TExactPolyline(TGraphCanvas& canvas, const TAxisTransform& x, const TAxisTransform& y)
        : canvas_(canvas), x_(x), y_(y) {}

    void Clear();
    void Add(double vx, double vy);
    bool Empty() const;
    // Draws the points added, in runs of at most `run` points, each run after
    // the first starting at the last point of the one before.
    void Draw(std::size_t run = 15000);

private:
    TGraphCanvas& canvas_;
    TAxisTransform x_, y_;
    QPolygon whole_;
    QPolygonF exact_;
};
