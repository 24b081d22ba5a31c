#pragma once

#include "ModelFile.h"
#include "RateTree.h"
#include "SbmlNames.h"

#include <sbml/SBMLTypes.h>

#include <map>
#include <set>
#include <string>
#include <vector>

// Reads one SBML model into a model of the program: its two variables, their
// rates from rate rules or reactions, the table from its parameters, and what
// the program's annotation keeps where the file still says it. Anything the
// program cannot run as written throws ESbmlError naming the element; what it
// ignores goes into `notes`.
class TSbmlReader {
public:
    TSbmlReader(const Model& m, std::vector<std::string>& notes) : m_(m), notes_(notes) {}

    // `result` changes only when the whole model was read; what the file
    // does not say (the time step, the solver) stays unless the annotation
    // says it.
    void Read(TModel& result);

private:
    void Refuse();
    // The model-wide element of an id (local parameters are not).
    const SBase* Element(const std::string& id) const;
    void FindVariables();
    double InitialValue(const SBase& element);
    TRateTreePtr Resolve(const std::string& id);
    TRateTreePtr ParameterName(const std::string& id, double value, const std::string& description);
    TRateTreePtr Math(const ASTNode* math, const std::string& element,
                      const std::map<std::string, TRateTreePtr>* locals = nullptr);
    TRateTreePtr ReactionRate(std::size_t k);
    double ConstantSize(const std::string& compartment, const std::string& why);

    const Model& m_;
    std::vector<std::string>& notes_;
    TSbmlNames names_;
    std::vector<const SBase*> variables_;
    std::map<std::string, TRateTreePtr> symbols_; // ids read so far
    std::set<std::string> inlining_;              // assignment rules being read
    std::vector<ParameterRow> rows_;              // in the order first used
    std::vector<std::string> rowIds_;             // their SBML ids ("@reaction@id" for a local)
    std::vector<double> rowValues_;
};
