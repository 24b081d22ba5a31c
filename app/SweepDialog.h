#pragma once

#include "ParameterRange.h"

#include <string>
#include <vector>

class QWidget;

// A parameter that can be swept, and the span its slider covers.
struct TSweepChoice {
    std::string name;
    TParameterRange range;
};

// What the user asked to sweep: a parameter, from, to, how many values and
// how many steps per run.
struct TSweepRequest {
    std::string name;
    double from = 0;
    double to = 1;
    int count = 100;
    long long steps = 10000;
};

// The "Sweep" dialog: the parameter from `choices` (choosing one puts its
// span into From and To), From, To, the number of values and the steps per
// run; `request` gives the starting choice (by name) and counts. OK takes the
// request only when From and To are numbers (else the error is shown and the
// dialog stays); Cancel changes nothing. True when the request was taken.
bool AskSweep(QWidget* parent, const std::vector<TSweepChoice>& choices, TSweepRequest& request);
