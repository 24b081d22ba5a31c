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
// span into From and To), From, To, the number of values and the steps per
// run; `request` gives the starting choice (by name) and counts, or, naming
// no parameter yet, 100 values of 10000 steps. OK takes the name, From, To
// and the counts into the request only when From and To are numbers (else the
// error is shown and the dialog stays); Cancel changes nothing. True when the
// request was taken.
bool AskSweep(QWidget* parent, const std::vector<TSweepChoice>& choices, TSweepRequest& request);
