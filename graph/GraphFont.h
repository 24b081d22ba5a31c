#pragma once

#include "Color.h"

#include <QString>

// A font as the graph files it: name, size in points, colour and the four
// style flags. Painting turns it into a QFont and a pen colour.
struct TGraphFont {
    QString Name = QStringLiteral("Arial");
    int Size = 7; // the control font: 9 pixels high at 96 dots per inch
    TColor Color = clBlack;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool operator==(const TGraphFont&) const = default;
};
