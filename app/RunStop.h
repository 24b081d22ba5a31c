#pragma once

#include "Simulation.h"

#include <optional>
#include <string>

// The time at which a run pauses by itself. A run started or continued short
// of it steps up to it; one continued at or past it runs on, since the user
// who continues a run that has stopped there asks for more of it.
class TRunStop {
public:
    // None: the run goes on until paused.
    std::optional<double> Time;

    // A run starts or continues from `sim`'s time.
    void Arm(const TSimulation& sim) { ahead_ = Time && !sim.StopReached(*Time); }
    // The run will pause by itself.
    bool Ahead() const { return ahead_; }

    // One step of `sim`; true when it brought the run to its stop time. The
    // adaptive methods end that step at the stop time exactly, the
    // fixed-step ones at their first output time at or past it.
    bool Step(TSimulation& sim) {
        if (!ahead_) {
            sim.Step();
            return false;
        }
        sim.StepUntil(*Time);
        if (!sim.StopReached(*Time)) return false;
        ahead_ = false;
        return true;
    }

    // What the status bar says when the run has paused at time t.
    std::string PausedText(double t) const;

private:
    bool ahead_ = false;
};
