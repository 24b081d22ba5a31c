#pragma once

#include "CompiledModel.h"
#include "Equilibria.h"
#include "PlaneRect.h"

#include <vector>

// An orbit sketched through a point, to show the flow around it without a
// run: followed forward and backward for a while, by the model's flow at its
// own tolerances.
struct TSketchOptions {
    double duration = 50; // each way, in the model's time
    TPlaneRect bounds;    // the orbit ends where it leaves them
    bool stiff = false;   // BDF, as a stiff model's runs use
    double relTol = 1e-7;
    long maxSteps = 4000; // each way
};

// The orbit through (n1, n2) in time order, from where the backward part
// ended to where the forward part did. Each part ends after `duration`, on
// leaving the bounds (the last point outside them), on a fault of the rates
// or the integrator, or after maxSteps. A start outside the bounds gives
// that point alone. The model's cells are left as they were.
std::vector<TCurvePoint> SketchOrbit(TCompiledModel& model, double n1, double n2,
                                     const TSketchOptions& options);
