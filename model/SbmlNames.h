#pragma once

#include "ParameterRow.h"
#include "RateTree.h"

#include <string>
#include <vector>

// The program's own annotation in an SBML file: what SBML has no place for.
inline const std::string kSbmlNamespace = "urn:tarnivell:sbml:model:1";
inline const std::string kSbmlPrefix = "tarnivell";
// The densities as the rate texts name them.
inline const std::string kDensityNames[2] = {"N1", "N2"};

// Names unique without regard to letter case, as the rate-law language reads
// them.
class TSbmlNames {
public:
    bool Taken(const std::string& name) const;
    // `name` itself when free, else the first free of name_2, name_3, ...
    std::string Claim(const std::string& name);

private:
    std::vector<std::string> taken_;
};

// A numeral the annotation holds, with the user's decimal separator, as the
// program's number texts are read.
std::string WithSeparator(std::string numeral);
// A value as the table shows it: exact, with the user's decimal separator.
std::string ValueText(double value);

// The tree of the rate law `parser` holds compiled from the table `rows`, the
// densities named `densities`.
TRateTreePtr CompiledTree(TMathParser& parser, const std::vector<ParameterRow>& rows,
                          const std::string (&densities)[2]);
// The tree a rate text compiles to with the table `rows`.
TRateTreePtr CompiledTree(const std::vector<ParameterRow>& rows, const std::string& rate);
