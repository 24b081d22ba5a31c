#pragma once

#include <cstdint>

struct TTerm;

// A compiled operation: reads the term's operand cells, writes its result cell.
using TMathProcedure = void (*)(const TTerm&);

// What a term computes. The numbers are part of the language's definition
// (they classify compiled expressions), so they never change.
enum class TTermKind : std::uint8_t {
    Variable = 0, // also the placeholder of an expression that is one variable or number
    Number = 1,   // makes no term; its cell is wired into the user
    Negate = 2,
    Sum = 3,
    Difference = 4,
    Product = 5,
    Quotient = 6,
    Remainder = 7,
    IntQuotient = 8,
    IntPower = 9,
    Power = 10,
    Square = 11,
    Cube = 12,
    FourthPower = 13,
    Function1 = 14,
    Function2 = 15,
};

// Whether a term of the kind reads a second operand.
constexpr bool IsTwoOperand(TTermKind kind) {
    switch (kind) {
    case TTermKind::Variable:
    case TTermKind::Number:
    case TTermKind::Negate:
    case TTermKind::Square:
    case TTermKind::Cube:
    case TTermKind::FourthPower:
    case TTermKind::Function1:
        return false;
    default:
        return true;
    }
}

// One step of a compiled expression. Terms of one expression lie next to each
// other in evaluation order, so the successor is the next element.
struct TTerm {
    const double* a = nullptr;
    const double* b = nullptr; // a square's is its a; unused by other one-operand kinds
    double* result = nullptr;
    TMathProcedure operation = nullptr;
    TTermKind kind = TTermKind::Variable;
};
