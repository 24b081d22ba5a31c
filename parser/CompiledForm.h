#pragma once

#include "Term.h"

#include <memory>
#include <vector>

// The compiled form of an expression: its terms in evaluation order and the
// cells it owns (numbers written in the expression, and every result).
// Variable cells belong to the parser's variable table.
struct TCompiledForm {
    std::vector<TTerm> terms;
    std::unique_ptr<double[]> cells;
};
