#pragma once

#include "ParserErrors.h"

#include <string>

class TCustomParser;

// A rate that the model could not take, with the species it belongs to (1 or
// 2), so that the window can put the focus where the fault is.
class ERateError : public EMathParserError {
public:
    ERateError(int species, const std::string& message)
        : EMathParserError(message), species_(species) {}
    int Species() const { return species_; }

private:
    int species_;
};

// Where a rate text that did not compile goes wrong, in words, for the start
// of the message: the first name `parser` does not know ("unknown name 'M'",
// "unknown function 'FOO'"), a name before a bracket that is no function
// ("'R' is no function: write R*(...) for a product"), or a bracket without
// its partner, by its position in `typed` counted from 1. Empty when none
// of these is found: the parser's own message then says it alone.
//
// Names are read from the text with its blanks removed, as the parser reads
// it, so "N 1" is N1. A run of letters holding DIV or MOD may be those
// operators written without blanks and is never called unknown.
std::string RateFault(const TCustomParser& parser, const std::string& typed);
