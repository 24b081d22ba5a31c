#pragma once

#include "Term.h"

#include <vector>

struct TTermStep;
// Runs its step and passes on to the next one; the last step returns the
// value of the term list.
using TTermStepRun = double (*)(const TTermStep* step);

// One step of a TTermProgram.
struct TTermStep {
    TTermStepRun run;
    const TTerm* term; // the first term it runs; for a step that ends, one past the last
    const TTerm* list; // the list's first term, where a rerun starts
};

// How a term list is evaluated. The arithmetic does not trap, so the
// floating-point flags are read once, after the last term: on x86-64 that
// read costs as much as a short rate law, so nothing else is tested or reset
// per evaluation. An evaluation that left a fault flag is run again term by
// term, testing after each, so that the fault reported is the first one in
// evaluation order, as if the arithmetic trapped; when that rerun finds no
// fault, the flags were left by earlier code, and the value stands.
//
// The terms run in steps: runs of up to two sums, differences, products,
// quotients, negations, squares, cubes and fourth powers are straight-line
// code, every other term is a call of its own operation, and each step passes
// on to the next by a jump rather than returning to a loop. A list none of
// whose steps can raise an exception runs without a guard and tests the flags
// in its last step; that covers the usual polynomial and rational rate laws.
//
// A program points into the term list it was made from, so that list must
// stay where it is (a moved vector keeps its elements) and outlive it.
class TTermProgram {
public:
    // No terms: Run returns 0 and touches no flags.
    TTermProgram() = default;
    explicit TTermProgram(const std::vector<TTerm>& terms);
    TTermProgram(TTermProgram&&) = default;
    TTermProgram& operator=(TTermProgram&&) = default;
    TTermProgram(const TTermProgram&) = delete;
    TTermProgram& operator=(const TTermProgram&) = delete;

    // Runs the terms in order and returns the last one's result. Faults raise
    // the platform's exceptions, the first one in evaluation order; the random
    // sequence is then left where a trapping evaluation would have stopped.
    double Run() const { return guarded_ ? RunGuarded() : steps_.front().run(steps_.data()); }

private:
    double RunGuarded() const;

    std::vector<TTermStep> steps_;
    bool guarded_ = true; // some step can raise, or there are no steps
    const TTerm* first_ = nullptr;
    const TTerm* end_ = nullptr;
};
