#pragma once

#include "CustomParser.h"
#include "RandomSequence.h"

// The parser the application uses: the one-letter variables A, B, C, D, E, X,
// Y, T bound to its own fields, fifteen one-argument functions (TAN, SIN,
// COS, SINH, COSH, ARCTAN, EXP, LN, SQRT, ABS, HEAV, SIGN, ZERO, PH, RND) and
// two two-argument ones (MAX, MIN).
class TMathParser : public TCustomParser {
public:
    TMathParser();

    double A() const { return fA; }
    void SetA(double v) { fA = v; }
    double B() const { return fB; }
    void SetB(double v) { fB = v; }
    double C() const { return fC; }
    void SetC(double v) { fC = v; }
    double D() const { return fD; }
    void SetD(double v) { fD = v; }
    double E() const { return fE; }
    void SetE(double v) { fE = v; }
    double T() const { return fT; }
    void SetT(double v) { fT = v; }
    double X() const { return fX; }
    void SetX(double v) { fX = v; }
    double Y() const { return fY; }
    void SetY(double v) { fY = v; }
};
