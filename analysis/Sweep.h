#pragma once

#include "Stepper.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Parameter sweeps: the same model run for many values of one parameter, one
// simulation per thread on every core, each run taken on until it has
// reached its attractor (an equilibrium or a cycle) and its row summarising
// that attractor (the data of an orbit diagram). The sweep knows nothing of
// how a step is done: the simulation is behind TSweepSimulation.

struct TDensities {
    double n1 = 0;
    double n2 = 0;
};

// One simulation as a sweep drives it. Each worker thread has its own (with
// its own parsers), so nothing in it needs a lock.
class TSweepSimulation {
public:
    virtual ~TSweepSimulation() = default;
    // Makes a fresh run with the swept parameter at `value`: the model's
    // start densities, its other parameters, the value bound, nothing
    // watched. Throws an exception derived from std::exception on a fault
    // (its message is the row's message).
    virtual void Start(double value) = 0;
    // The same run started from `state` instead of the model's densities.
    virtual void Follow(double value, TDensities state) = 0;
    // One step; the densities after it. Throws on a fault as Start does.
    virtual TDensities Step() = 0;
    // Both rates at the densities of the last step. Throws as Start does.
    virtual TDensities Rates() = 0;
    // From the next step on, the sign changes of `section` are located as
    // the run's method locates events (an empty function: none).
    virtual void Watch(TEventFunction section) = 0;
    // The sign changes of the watched function during the last step, in
    // time order.
    virtual const std::vector<TCrossing>& Crossings() const = 0;
    // An Euler step of this simulation so far changed a density by more
    // than half of its value.
    virtual bool EulerStepTooLarge() const { return false; }
};

// Makes one simulation. Called on the thread that runs the sweep, once per
// worker, before any worker starts.
using TSweepFactory = std::function<std::unique_ptr<TSweepSimulation>()>;

// The most steps a run takes unless told otherwise: enough for the cycles and
// equilibria of the shipped examples to be reached except within a percent
// or so of a bifurcation, where a run honestly ends unsettled.
inline constexpr long long kDefaultSweepSteps = 1'000'000;

struct TSweepOptions {
    double from = 0;
    double to = 1;
    int count = 1; // values from `from` to `to`, both ends included
    // The most steps of a run.
    long long steps = kDefaultSweepSteps;
    // Steps run before the attractor is looked for (or, for a fixed tail,
    // left out of the figures); below 0: none, or steps / 2 for a fixed tail.
    long long discard = -1;
    int threads = 0; // workers; 0: one per core
    // Each run starts from the final state of the run before it (the first
    // from the model's densities, and so does the run after one that
    // faulted), so the runs go one after another in value order.
    bool follow = false;
    // False: every run takes all its steps and its figures come from the
    // steps after the discarded ones, whatever the run was doing then.
    bool settle = true;
};

// A sweep as the user asks for it, by Run > Sweep... or --sweep: the swept
// parameter by name and the options of its runs.
struct TSweepRequest {
    std::string name;
    TSweepOptions options;
};

// What is wrong with the request, "" when nothing: no parameter named, or
// options that RunSweep refuses (with the message it gives them). Whether the
// model has such a parameter is the model's to say.
std::string SweepRequestError(const TSweepRequest& request);

enum class TSweepRowState { NotRun, Done, Faulted };

// One run's figures. A run that reached an equilibrium has its extrema
// there; one that reached a cycle has them over the cycle's last period. A
// run that reached neither within its steps (or ran a fixed tail) has them
// over the time between its last two returns to the section, when it had
// two, otherwise over the steps after the discarded ones.
struct TSweepRow {
    double value = 0;
    TSweepRowState state = TSweepRowState::NotRun;
    double n1Min = 0, n1Max = 0;
    double n2Min = 0, n2Max = 0;
    double n1Last = 0, n2Last = 0;
    std::string message; // the fault of a Faulted row
    // The cycle's period, or for an unsettled run the time between its last
    // two returns; 0 for an equilibrium or a run with fewer returns.
    double period = 0;
    bool converged = false; // reached its equilibrium or cycle
};

struct TSweepResult {
    std::vector<TSweepRow> rows; // one per value, in value order
    bool cancelled = false;      // some rows were not run
    std::string error;           // options or factory refused: no row ran
    // Some run's Euler step changed a density by more than half of its value.
    bool eulerStepTooLarge = false;
};

// Shared with the caller while the sweep runs: a request to stop and the
// number of runs finished (done or faulted), which RunSweep sets to 0 when it
// begins. OnProgress, when set, is called after each finished run with
// (finished, count), from a worker thread (or the calling one) but never two
// at once; it must not throw. A cancel request made before the sweep begins
// runs nothing.
//
// OnRow, when set, takes the rows instead of the result: each row is handed
// over in value order as soon as it and every row before it are finished,
// never two at once, so that a long sweep is written out as it goes and
// keeps no more than a few thousand rows. It must not throw.
struct TSweepControl {
    std::atomic<bool> cancel{false};
    std::atomic<int> finished{0};
    std::function<void(int finished, int count)> OnProgress;
    std::function<void(const TSweepRow& row)> OnRow;
};

// The most values a sweep takes.
inline constexpr int kMaxSweepValues = 10'000'000;

// The swept values: count evenly spaced values, the first exactly `from` and
// the last exactly `to` (a count of 1 gives `from`); the i-th of them alone.
std::vector<double> SweepValues(double from, double to, int count);
double SweepValue(double from, double to, int count, int i);

// Runs the sweep and returns when every worker has ended. A run that faults
// gives its row state Faulted and the message, and the others go on. After a
// cancel request the runs under way stop within a few thousand steps, and
// every row not finished stays NotRun. A sweep that follows its runs takes
// one worker whatever `threads` says.
TSweepResult RunSweep(const TSweepOptions& options, const TSweepFactory& factory,
                      TSweepControl* control = nullptr);
