#pragma once

#include "Exception.h"

// Compile errors of the rate-law language. Evaluation faults are not among
// them: those are the platform's floating-point and integer exceptions.
class EMathParserError : public Exception {
    using Exception::Exception;
};

class EExpressionHasBlanks : public EMathParserError {
public:
    EExpressionHasBlanks() : EMathParserError("Expression has blanks") {}
};

class EMissMatchingBracket : public EMathParserError {
public:
    EMissMatchingBracket() : EMathParserError("Missing brackets in expression") {}
};

class ESyntaxError : public EMathParserError {
    using EMathParserError::EMathParserError;
};

class ETooManyNestings : public EMathParserError {
public:
    ETooManyNestings() : EMathParserError("Expression contains too many nestings") {}
};

class EExpressionTooComplex : public EMathParserError {
public:
    EExpressionTooComplex() : EMathParserError("Expression is too complex") {}
};

class EParserInternalError : public EMathParserError {
public:
    EParserInternalError() : EMathParserError("TMathParser internal error") {}
};

// The message is the refused name itself, upper-cased.
class EBadName : public EMathParserError {
    using EMathParserError::EMathParserError;
};

// A function table refuses a second function of the same name.
class EDuplicateFunction : public EMathParserError {
    using EMathParserError::EMathParserError;
};

// A function whose derivative the dual evaluation does not know.
class ENoDerivative : public EMathParserError {
    using EMathParserError::EMathParserError;
};
