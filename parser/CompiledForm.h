#pragma once

#include "Term.h"
#include "TermProgram.h"

#include <memory>
#include <vector>

// The compiled form of an expression: its terms in evaluation order, the
// cells it owns (numbers written in the expression, and every result) and the
// program that runs the terms. Variable cells belong to the parser's variable
// table.
struct TCompiledForm {
    std::vector<TTerm> terms;
    std::unique_ptr<double[]> cells;
    TTermProgram program;
};
