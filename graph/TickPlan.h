#pragma once

#include <QString>

#include <functional>
#include <vector>

class TAxis;

// Sizes of label texts on the surface a plan is made for.
struct TLabelMetrics {
    std::function<int(const QString&)> Width;
    int Height = 0;    // one line of label text
    int CharWidth = 0; // the least gap between two labels
};

// One tick of an axis: its value, and whether a grid line and a label go with it.
struct TTick {
    double Value = 0;
    bool Grid = true;
    bool Labelled = false;
    QString Label; // set on every tick that may carry a label
    int Width = 0; // of the label, in pixels
};

// The ticks of one axis for one surface, made before anything is painted
// (TAxis::PlanTicks). Every tick from the first to the tick limit is kept;
// of the ticks that may carry a label, every LabelEvery-th does, with the
// smallest LabelEvery at which neighbouring labels stand at least a character
// width apart. All labels of the plan share one notation. The screen, the
// printer, the bitmap and the margin fit only read it.
struct TTickPlan {
    std::vector<TTick> Ticks;
    int LabelEvery = 1;
    int MinGap = 0;      // pixels kept between neighbouring labels
    int WidestLabel = 0; // pixels, over the labelled ticks
    int LabelHeight = 0; // pixels, 0 when nothing is labelled
};

// The label of one value in the form its magnitude asks for: a date on a time
// axis, the exponent form (1.2E+4) for very large and very small values, fixed
// point with the axis' LabelDecimals otherwise.
QString TickLabelText(const TAxis& axis, double value);

// The label of one value of a planned axis: exponent says the axis' notation,
// decimals the fixed-point digits at this tick. Values near zero (below a
// thousandth of the range) are fixed point in either notation.
QString TickLabelText(const TAxis& axis, double value, int decimals, bool exponent);

// Whether a value needs the exponent form on its own.
bool NeedsExponentForm(const TAxis& axis, double value);

// The smallest k for which labelling every k-th of these label extents
// (pixel intervals [first, second) along the axis, in tick order) leaves at
// least minGap pixels between neighbours.
int LabelSpacing(const std::vector<std::pair<int, int>>& extents, int minGap);
