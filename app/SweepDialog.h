#pragma once

#include "ParameterRange.h"
#include "Sweep.h"

#include <string>
#include <vector>

class QWidget;

// A parameter that can be swept, and the span its slider covers.
struct TSweepChoice {
    std::string name;
    TParameterRange range;
};

// The "Sweep" dialog: the parameter from `choices` (choosing one puts its
// span into From and To), From, To, the number of values, the most steps per
// run and whether each run follows the one before; `request` gives the
// starting choice (by name), counts and follow, or, naming no parameter yet,
// 100 values. OK takes the name, From, To, the counts and follow into the
// request only when From and To are numbers (else the error is shown and the
// dialog stays); Cancel changes nothing. True when the request was taken.
bool AskSweep(QWidget* parent, const std::vector<TSweepChoice>& choices, TSweepRequest& request);
