#pragma once

#include "Color.h"

#include <QColor>
#include <QPalette>

// The one place where the program's colour values become Qt colours: system
// colours map to the nearest role of the given palette (the application's
// palette when none is given).
QColor ToQColor(TColor color);
QColor ToQColor(TColor color, const QPalette& palette);

// A plain RGB colour value from a Qt colour (alpha dropped).
TColor FromQColor(const QColor& color);
