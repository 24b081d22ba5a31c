#pragma once

#include "PlaneModel.h"
#include "PlaneRect.h"

#include <array>
#include <vector>

// The rate at a point with every fault turned into NaN: a pole, a domain
// error or an exception of the evaluator at one point must not end a whole
// analysis, only leave that point out.
double SafeRate(TPlaneModel& model, int which, double N1, double N2) noexcept;

// Both rates sampled on the nodes of a grid of columns × rows cells over a
// rectangle, shared by the nullclines and the equilibrium search so that the
// model is evaluated once per node.
class TRateGrid {
public:
    // Cells each way, at most this many (a finer grid than any screen has
    // pixels only costs time and memory).
    static constexpr int kMaxCells = 4096;

    // At least one cell each way and at most kMaxCells; an invalid rectangle
    // gives a grid whose nodes are all NaN.
    TRateGrid(TPlaneModel& model, const TPlaneRect& rect, int columns, int rows);

    TPlaneModel& Model() const { return *model_; }
    const TPlaneRect& Rect() const { return rect_; }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }

    // Node coordinates. The end nodes are the rectangle's bounds exactly, and
    // a node falls exactly on a round value such as 0 whenever the cell size
    // allows, so that an axis nullcline lies on grid lines.
    double N1At(int i) const {
        return i == columns_ ? rect_.n1Max : rect_.n1Min + rect_.Width() * i / columns_;
    }
    double N2At(int j) const {
        return j == rows_ ? rect_.n2Max : rect_.n2Min + rect_.Height() * j / rows_;
    }

    // The sampled rate at node (i, j); NaN where it faulted.
    double At(int which, int i, int j) const { return values_[which][Node(i, j)]; }
    int Node(int i, int j) const { return j * (columns_ + 1) + i; }

    // What the sampled rate at a node is, as bits, for the cell tests that
    // would otherwise compare the same value once for each of its cells.
    enum : unsigned char {
        kNotNegative = 1, // >= 0
        kNotPositive = 2, // <= 0 (with kNotNegative: exactly 0)
        kFault = 4,       // not finite
    };
    unsigned char Flags(int which, int node) const { return flags_[which][std::size_t(node)]; }

    // True when the rate is finite at one node at least.
    bool AnyFinite(int which) const;
    // True when the rate is exactly 0 at every node where it is finite.
    bool AllZero(int which) const;
    // The median magnitude of the rate over the finite nodes: a size of the
    // rate that one pole's huge values do not distort; the largest magnitude
    // when most nodes are zero, and 0 when none is finite or all are zero.
    double TypicalSize(int which) const;

private:
    TPlaneModel* model_;
    TPlaneRect rect_;
    int columns_;
    int rows_;
    std::array<std::vector<double>, 2> values_;
    std::array<std::vector<unsigned char>, 2> flags_;
};
