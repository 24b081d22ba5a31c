#pragma once

#include "LimitCycles.h"

#include <QString>

#include <string>
#include <vector>

// How the program writes a limit cycle: the columns of --cycles and of the
// Limit cycles table, a cycle's tip on the phase plane and the status bar's
// note of a run that has settled onto one.

// N1,N2 (a point of the cycle), period, N1min, N1max, N2min, N2max,
// multiplier, kind.
extern const std::vector<std::string> kCycleColumns;
// A cycle's cells in those columns, numbers written by `number` (the table
// shows the user's separator, a file has ".").
std::vector<std::string> CycleFields(const TLimitCycle& cycle, std::string (*number)(double value));

// The tip shown while the mouse rests on a cycle: kind, period, extent and
// multiplier, one a line, numbers to 6 significant digits.
QString CycleTip(const TLimitCycle& cycle);
// "Limit cycle: period 12.3456".
QString SettledNote(double period);
// What is said of a model whose closed orbits form a family around a centre,
// as a sentence without its full stop.
std::string CentreSentence();
