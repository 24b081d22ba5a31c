#pragma once

#include "RateTree.h"
#include "SbmlFile.h"

#include <sbml/SBMLTypes.h>

#include <functional>
#include <memory>
#include <string>

// A value as libSBML files it: to 15 significant digits.
double FiledValue(double value);

// A rate law as MathML. `rate` names it in the message of a function MathML
// has no exact counterpart for (ESbmlError).
std::unique_ptr<ASTNode> MathOfRateTree(const TRateTree& tree, const std::string& rate);

// The MathML of a rate law as libSBML writes it, numbers to 15 significant
// digits: two laws with the same text are the same in a file.
std::string MathText(const TRateTree& tree);

// Where a piece of MathML is read: the model's function definitions, which
// calls are replaced by, what each identifier stands for, and the element the
// math belongs to, for messages.
struct TMathSource {
    const Model* model = nullptr;
    std::function<TRateTreePtr(const std::string& id)> resolve;
    std::string element;
};

// The rate law a piece of MathML computes, operation for operation. MathML
// without an exact counterpart in the rate-law language throws ESbmlError
// naming the element.
TRateTreePtr RateTreeOfMath(const ASTNode& math, const TMathSource& source);
