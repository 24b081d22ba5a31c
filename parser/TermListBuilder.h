#pragma once

#include "CompiledForm.h"
#include "FormTests.h"

// Builds the term list of a prepared expression: classifies each node, lays
// the terms out in a grid of 20 depths by 50 positions (the language's
// nesting and width limits) and links them deepest row first.
class TTermListBuilder {
public:
    static constexpr int kMaxDepth = 20;
    static constexpr int kMaxWidth = 50;

    explicit TTermListBuilder(TFormTests& tests) : tests_(tests) {}

    // Throws the compile errors of the language.
    TCompiledForm Build(TTextRange whole);

private:
    // An operand cell before the cells exist: a variable cell, or an index
    // into the compiled form's own cells.
    struct CellRef {
        double* variable = nullptr;
        int owned = -1;
    };
    struct PendingTerm {
        TTermKind kind = TTermKind::Variable;
        CellRef a, b;
        int result = -1; // index into the owned cells
        TMathProcedure function = nullptr;
    };
    struct Node {
        TTextRange text;
        int depth;
        int position;
        int side;       // 1: first operand of its parent's term, 2: second
        int parentTerm; // index into terms_
    };

    void Visit(const Node& node);
    int MakeChildSlot(int childDepth);
    void Wire(const Node& node, CellRef cell);
    [[noreturn]] void SyntaxError(TTextRange text, const TLastCut& last) const;

    TFormTests& tests_;
    std::vector<PendingTerm> terms_;
    std::vector<double> owned_; // initial values of the owned cells
    int grid_[kMaxDepth + 1][kMaxWidth + 1];
    int counter_[kMaxDepth + 1];
    int greatestDepth_ = 0;
    bool root_ = true;
};
