#pragma once

#include "SweepDialog.h"

#include <string>
#include <vector>

class QWidget;

// What a bifurcation diagram is asked for: the parameter by name, the range
// it is followed over and the density drawn against it (1 for N1, 2 for N2).
struct TDiagramRequest {
    std::string name;
    double from = 0, to = 1;
    int density = 1;
};

// The "Bifurcation diagram" dialog: the parameter from `choices` (choosing
// one puts its slider's span into From and To), From, To and the density.
// OK takes them into `request` only when From and To are numbers that differ
// (else the error is shown and the dialog stays); Cancel changes nothing.
// True when the request was taken.
bool AskDiagram(QWidget* parent, const std::vector<TSweepChoice>& choices,
                TDiagramRequest& request);
