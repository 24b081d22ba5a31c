#pragma once

#include "ObservedData.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

// The small dialog that maps a data file's columns to the time and the two
// species when their names are not the defaults: a drop-down of the header's
// names for each, "(none)" leaving a species out. OK takes the choice only
// when it names a time and at least one species; Cancel changes nothing.
// True when the columns were taken.
bool AskDataColumns(QWidget* parent, const std::vector<std::string>& header, TDataColumns& columns);

// Replaces the dialog (tests answer without a modal loop); empty shows it.
std::function<bool(QWidget*, const std::vector<std::string>&, TDataColumns&)>& DataColumnsAnswer();
