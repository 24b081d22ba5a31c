#pragma once

#include "CompiledForm.h"
#include "FormTests.h"
#include "Term.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// A name DefineVariable takes: a letter or "_", then letters, digits and "_".
bool IsVariableName(const std::string& name);
// Whether two names are one variable: names are read without letter case.
bool SameVariableName(const std::string& a, const std::string& b);

// Compiles a rate law once into a flat term list and evaluates it cheaply many
// times against variables bound by reference. It knows the operators and the
// call syntax but no function names (TMathParser registers those).
//
// Callers define the variables first, then set the expression; afterwards
// they change values through DefineVariable or the kept cell pointer and read
// Value.
class TCustomParser {
public:
    // Receives every exception of a failed compile instead of the caller.
    using TMathParserExceptionEvent =
        std::function<void(TCustomParser& Sender, const std::exception& E)>;

    TCustomParser();
    virtual ~TCustomParser();
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;

    // The expression exactly as last assigned. Setting it compiles at once; an
    // empty text only drops the compiled form. A failed compile leaves no
    // compiled form (Value reads 0) and raises, unless OnParserError is set.
    const std::string& Expression() const { return expression_; }
    void SetExpression(const std::string& text);

    // True: numerals always use "."; false: the locale's number conversion.
    bool ClassicNumberformat() const { return classicNumberformat_; }
    void SetClassicNumberformat(bool classic) { classicNumberformat_ = classic; }

    // Evaluates the compiled form (0 without one). Faults surface as the
    // platform's exceptions (EZeroDivide, EOverflow, EInvalidOp, EDivByZero);
    // the compiled form stays usable.
    double Value() { return GetValue(); }
    double GetValue();

    // The variable's cell, made if new (names are case-insensitive); the same
    // pointer for every later call with that name until RemoveVariables.
    // Throws EBadName for a name that is not an identifier.
    double* DefineVariable(const std::string& name, double value);
    // 0 when there is no such variable.
    double VariableValue(const std::string& name) const;
    bool HasVariable(const std::string& name) const;
    // Drops the compiled form (Expression becomes empty) and every variable,
    // the one-letter ones included, until they are defined again.
    void RemoveVariables();

    // Function tables; names must be upper case. A name is accepted once.
    void AddFunctionOneParam(const std::string& name, TMathProcedure operation);
    void AddFunctionTwoParam(const std::string& name, TMathProcedure operation);

    // The compiled terms in evaluation order (empty without a compiled form).
    const std::vector<TTerm>& Terms() const { return compiled_.terms; }
    // The function tables, by name.
    const TFunctionTable& FunctionsOneParam() const { return functions1_; }
    const TFunctionTable& FunctionsTwoParam() const { return functions2_; }

    TMathParserExceptionEvent OnParserError;

protected:
    // Storage of the one-letter variables A, B, C, D, E, X, Y, T.
    double fA = 0, fB = 0, fC = 0, fD = 0, fE = 0, fX = 0, fY = 0, fT = 0;

private:
    void Compile();
    void FreeCompiledForm();
    double* LetterCell(const std::string& upperName);

    std::string expression_;
    bool classicNumberformat_ = true;
    TVariableTable variables_;
    std::vector<std::unique_ptr<double>> ownedVariables_;
    TFunctionTable functions1_;
    TFunctionTable functions2_;
    TCompiledForm compiled_;
};
