#pragma once

#include "Color.h"

#include <QString>

#include <cstdint>

// A mark drawn over or under the series: a vertical or horizontal line, a
// square or a free line, with a caption. Kept by the graph in ID order.
struct TMark {
    std::int32_t ID = 0;
    double X1Value = 0;
    double Y1Value = 0;
    double X2Value = 0;
    double Y2Value = 0;
    TColor Color = clBlack;
    QString Caption;
    std::uint8_t TypeOfMark = 0;   // 0 vertical, 1 horizontal, 2 square, 3 line
    std::uint8_t MarkPosition = 0; // caption corner of a horizontal line
    bool WhenDrawn = false;        // false: before the series, true: after

    bool operator==(const TMark&) const = default;
};
