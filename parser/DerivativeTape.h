#pragma once

#include "CustomParser.h"
#include "DerivativeRule.h"
#include "FpFaults.h"
#include "TermProgram.h"

#include <memory>
#include <vector>

// A compiled rate law prepared for forward-mode differentiation in two of its
// variable cells. Every cell the terms read or write gets a numbered slot
// (slot 0 is the constant zero); each term becomes a step saying by which
// rule its result's derivatives follow from its operands'. An evaluator keeps
// its own derivatives per slot and updates them step by step in Walk.
//
// It works on a copy of the terms whose results go to cells of its own, so
// it never writes the parser's cells; it reads the variable cells as they
// are at each call. It stands for the compiled form it was made from, and it
// keeps pointers to the parser's cells, so the parser must outlive it.
//
// RND reads the numbers that the parser's next evaluation will draw, without
// drawing them, so the random sequence stays where it is.
class TDerivativeTape {
public:
    struct Step {
        TDerivativeRule rule;
        int a, b, result; // slots; b is 0 for one-operand terms
    };

    // Throws ENoDerivative when the expression calls a function whose
    // derivative is not known.
    TDerivativeTape(const TCustomParser& parser, const double* cell1, const double* cell2);

    int SlotCount() const { return slotCount_; }
    // The slots of the two cells, or -1 for a cell the expression never reads.
    int Slot1() const { return slot1_; }
    int Slot2() const { return slot2_; }
    // The slot that holds the expression's value.
    int ResultSlot() const { return resultSlot_; }

    // Evaluates the terms exactly as the parser's Value would, then calls
    // step(step, a, b, r) for each step in evaluation order with the values
    // of its operands and result (b is 0 for one-operand terms), and returns
    // the value; 0 without a compiled form. An evaluation fault is thrown
    // before any step is visited. Faults raised in the steps are dropped:
    // the derivatives' faults are not the evaluation's.
    template <class StepFunction> double Walk(StepFunction&& step) {
        if (terms_.empty()) return 0;
        const double value = Run();
        // A placeholder makes no step, so steps and terms pair up when there are steps.
        const TTerm* term = terms_.data();
        for (const Step& s : steps_) {
            step(s, *term->a, s.b ? *term->b : 0.0, *term->result);
            ++term;
        }
        fpfaults::Begin();
        return value;
    }

private:
    double Run();

    std::vector<TTerm> terms_; // the parser's terms, results in cells_
    TTermProgram program_;     // runs terms_
    std::vector<Step> steps_;
    std::unique_ptr<double[]> cells_;
    std::vector<double*> drawn_; // numbers read by the RND terms, in order
    int slotCount_ = 1;
    int slot1_ = -1, slot2_ = -1;
    int resultSlot_ = 0;
};
