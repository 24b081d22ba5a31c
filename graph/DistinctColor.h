#pragma once

#include "Color.h"

#include <span>

// How far apart two colours look: the distance of their CIE L*a*b* values
// (sRGB, D65 white), about 2.3 for a just noticeable difference. System
// colours are taken as the palette shows them.
double PerceivedDistance(TColor a, TColor b);

// Two lines this far apart are told apart at a glance: red from orange is
// not, red from magenta is.
inline constexpr double kColorsApart = 50;

// The colour for a line that must not be mistaken for any line in `taken`:
// the first of a few strong colours on white (blue, magenta, orange, teal,
// brown, purple, black) that is kColorsApart from every one of them; when
// none is, the one farthest from the nearest of them.
TColor DistinctColor(std::span<const TColor> taken);
