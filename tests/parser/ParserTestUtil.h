#pragma once

#include "Exception.h"
#include "MathParser.h"

#include <string>
#include <vector>

// A parser with A=1, B=2, C=3 and X=2 bound, compiling `text`.
inline double Eval(const std::string& text, double a = 1, double b = 2, double c = 3) {
    TMathParser p;
    p.DefineVariable("A", a);
    p.DefineVariable("B", b);
    p.DefineVariable("C", c);
    p.DefineVariable("X", 2);
    p.SetExpression(text);
    return p.Value();
}

inline std::vector<TTermKind> Kinds(const std::string& text) {
    TMathParser p;
    p.SetExpression(text);
    std::vector<TTermKind> kinds;
    for (const TTerm& t : p.Terms())
        kinds.push_back(t.kind);
    return kinds;
}

// The message of the compile error of `text`, or "" when it compiles.
inline std::string CompileError(const std::string& text) {
    TMathParser p;
    try {
        p.SetExpression(text);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

// A parser with X and Y at the values given, A=2 and B=5, compiling `text`;
// the cells of X and Y are kept, for the derivative evaluators.
struct Bound {
    TMathParser parser;
    double* x;
    double* y;
    Bound(const std::string& text, double xv, double yv) {
        x = parser.DefineVariable("X", xv);
        y = parser.DefineVariable("Y", yv);
        parser.DefineVariable("A", 2);
        parser.DefineVariable("B", 5);
        parser.SetExpression(text);
    }
};
