#pragma once

#include "Exception.h"
#include "ModelFile.h"

#include <string>
#include <vector>

// An SBML file that cannot be read or a model that cannot be written as SBML;
// the message says what and where.
class ESbmlError : public Exception {
    using Exception::Exception;
};

// Writes the model as SBML Level 3 Version 2: both species in one compartment
// of size 1, their initial amounts, a rate rule each, the named table rows as
// global parameters. A species is identified by its own name when that is an
// SBML identifier no parameter uses, else by N1 or N2. The time step, the
// solver settings and the table as typed (rows, value texts, descriptions,
// slider spans) and both rate texts go in an annotation of the program's own,
// so that a model read back from the file is the model written. A rate
// using an operator or function that MathML has no exact counterpart for
// (DIV, MOD, PH, RND) throws ESbmlError naming it; the model must compile.
void SaveSbmlFile(const std::string& path, const TModel& model);

// Reads an SBML model of two variables into `model`: rate rules, or reactions
// with kinetic laws in one compartment of constant size (a species in
// concentration changes by the law over the size), assignment rules and
// function definitions inlined, local parameters renamed where they clash.
// What the model holds but the program ignores (units, for one) is said in
// `notes`, one line each. Anything the program cannot run as written (events,
// delays, algebraic rules, a third variable, a piecewise function, more
// parameters than the table has rows) throws ESbmlError naming the element;
// so does a file that is not well-formed SBML, with libSBML's first error and
// its line. `model` changes only when the whole file was read.
void LoadSbmlFile(const std::string& path, TModel& model, std::vector<std::string>& notes);
