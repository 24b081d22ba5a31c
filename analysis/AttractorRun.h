#pragma once

#include "Sweep.h"

#include <atomic>
#include <cmath>
#include <deque>

// One run of a sweep, taken on until it reaches its attractor, and what it
// found there.
//
// An equilibrium is reached when each rate is below kRestTolerance (per unit
// of time) of its density, or of kRestTolerance of the densities' scale (the
// largest density since the discarded steps) for a density smaller than
// that, and the rates have fallen since a while before. A cycle is reached
// when two successive returns to a section agree with those a period before
// to kReturnTolerance of the densities' scale over that period; the section
// is the level halfway across the range of the density that moved most over
// a stretch of the run, crossed rising, located by the run's own method. A
// period may span up to kMaxReturnsBack returns, so a cycle that crosses the
// level more than once a period is found too. Rings smaller than a thousandth
// of the scale are not taken for cycles.
class TAttractorRun {
public:
    static constexpr double kRestTolerance = 1e-6;   // per unit of time, of the density
    static constexpr double kReturnTolerance = 1e-6; // of the scale
    static constexpr int kMaxReturnsBack = 8;

    // `sim` has been started; the run takes at most `steps` steps, looks for
    // the attractor after the first `discard` (with `settle` false it takes
    // every step and looks for nothing), and stops soon after a cancel
    // request.
    TAttractorRun(TSweepSimulation& sim, long long steps, long long discard, bool settle,
                  const std::atomic<bool>& cancel)
        : sim_(sim), steps_(steps), discard_(discard), settle_(settle), cancel_(cancel) {}

    // Runs and fills the figures, period and convergence of `row`, state
    // Done. False (the row untouched) when cancelled. Throws what the
    // simulation throws, and EInvalidOp or EOverflow for densities that are
    // not finite.
    bool Run(TSweepRow& row);

private:
    // The least and greatest of each density (0: N1) over a stretch.
    struct TExtent {
        double lo[2] = {HUGE_VAL, HUGE_VAL};
        double hi[2] = {-HUGE_VAL, -HUGE_VAL};
        void Add(int which, double v);
        void Add(const TDensities& d) {
            Add(0, d.n1);
            Add(1, d.n2);
        }
        void Add(const TExtent& other);
        double Span() const;
        double Scale() const;
    };
    struct TReturn {
        double t = 0;
        double across = 0; // the other density where the section was crossed
        TExtent since;     // the stretch from the return before
    };

    void Look(const TDensities& d);
    void Refine(const TDensities& d);
    enum class TLook { Going, Found, NewSection };
    void AddReturn(const TCrossing& crossing);
    TLook CycleFound();
    bool AtRest(const TDensities& d);
    void EndBlock();
    void ChooseSection(const TExtent& over);
    static void Fill(TSweepRow& row, const TExtent& extent);

    TSweepSimulation& sim_;
    long long steps_, discard_;
    bool settle_;
    const std::atomic<bool>& cancel_;

    TDensities before_[2]; // the two samples before the last, oldest first
    int samples_ = 0;      // samples since the discarded steps, up to 2
    double scale_ = 0;
    TExtent tail_;    // every sample since the discarded steps
    TExtent current_; // since the last return
    // The stretch the section comes from. Stretches start this long and
    // double while no return comes, so that a slow cycle is spanned in the end.
    static constexpr long long kFirstBlock = 64;
    TExtent block_;
    long long blockSteps_ = 0, blockLength_ = kFirstBlock;
    int blockReturns_ = 0;
    bool watching_ = false;
    int sectionDensity_ = 0; // 0: N1, 1: N2
    double level_ = 0;
    std::deque<TReturn> returns_;
    long long looks_ = 0;
    long long restLook_ = -1; // the look that first found the rates small
    double restRates_ = 0;    // the larger rate then
    // What Run fills in.
    TExtent found_;
    double period_ = 0;
    bool converged_ = false;
};
