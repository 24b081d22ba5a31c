#pragma once

// The rate-law language.
//
//   expression  := number | variable | negation | call | "(" expression ")"
//                | expression OPERATOR expression      (a row of kCutForms)
//   negation    := "-" ( "(" expression ")" | variable | power | call )
//   call        := NAME1 "(" expression ")" | NAME2 "(" expression "," expression ")"
//   number      := "PI" | "-PI" | a numeral (NumberSyntax.h); where a variable E
//                  is bound, "E" and a sign start no numeral ("E-1" is E minus 1)
//
// Each two-operand form says which forms may stand on either side of its
// operator. A text takes the first form that fits, in the order: variable,
// number, negation, the rows below, the calls; a two-operand form takes the
// first cut from the left at which both operands fit. Together these give
// the grouping: sums group from the right (A+B+C is A+(B+C)), differences
// from the left ((A-B)-C), and a sum after a difference takes it as its left
// operand ((A-B)+C); products group from the right; DIV, MOD and / group
// from the left and bind tighter than a product to their right (A*B/C is
// A*(B/C)); ^ binds tightest and does not chain (A^B^C is refused).
//
// Unary minus: a negation stands only where a left operand of +, -, *, DIV,
// MOD or / may stand, or as the whole text; after an operator a "-" can only
// be the sign of a numeral (A*-2 is valid, A*-B and A+-B are not), so -A^2 is
// -(A^2) and -2^2 is -4.
//
// Everything the form tests know about the operators is derived from the one
// table kCutForms: the cuts they scan, the operand sets they cache, the
// operator marks that rule out a whole form, and the characters after which
// a "+" or "-" is a sign.

#include "Term.h"

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace grammar {

// The forms a text can have; also the bit of each form in a FormSet.
enum Form : std::uint8_t {
    fVariable,
    fNumber,
    fBracketed,
    fNegation,
    fSum,
    fDifference,
    fProduct,
    fIntQuotient,
    fRemainder,
    fQuotient,
    fPower,
    fCall1,
    fCall2,
    kFormCount
};

using FormSet = std::uint32_t;

constexpr FormSet Set(std::initializer_list<Form> forms) {
    FormSet s = 0;
    for (const Form f : forms)
        s |= FormSet{1} << f;
    return s;
}
constexpr bool Has(FormSet s, Form f) {
    return (s >> f & 1) != 0;
}

constexpr FormSet kPrimary = Set({fVariable, fNumber, fBracketed});
constexpr FormSet kCall = Set({fCall1, fCall2});
// What may stand right of DIV, MOD and /.
constexpr FormSet kFactor = kPrimary | Set({fPower}) | kCall;
// What may stand right of *, and left of it without a sign.
constexpr FormSet kTerm = kFactor | Set({fIntQuotient, fRemainder, fQuotient});

// A two-operand form: its operator and the forms each operand may take.
struct CutForm {
    Form form;
    TTermKind kind;
    std::string_view op;
    FormSet left;
    FormSet right;
    // An operator at the very start is passed over (a sign, or the start of a
    // name) instead of ending the test.
    bool leadingPassedOver;
};

// In the order a text is classified.
// clang-format off
inline constexpr CutForm kCutForms[] = {
    // form        kind                    op     left operand                                     right operand                               leading op passed over
    {fSum,         TTermKind::Sum,         "+",   kTerm | Set({fNegation, fDifference, fProduct}), kTerm | Set({fSum, fDifference, fProduct}), false},
    {fDifference,  TTermKind::Difference,  "-",   kTerm | Set({fNegation, fDifference, fProduct}), kTerm | Set({fProduct}),                     true},
    {fProduct,     TTermKind::Product,     "*",   kTerm | Set({fNegation}),                        kTerm | Set({fProduct}),                     false},
    {fIntQuotient, TTermKind::IntQuotient, "DIV", kTerm | Set({fNegation}),                        kFactor,                                     true},
    {fRemainder,   TTermKind::Remainder,   "MOD", kTerm | Set({fNegation}),                        kFactor,                                     true},
    {fQuotient,    TTermKind::Quotient,    "/",   kTerm | Set({fNegation}),                        kFactor,                                     false},
    {fPower,       TTermKind::Power,       "^",   kPrimary | kCall,                                kPrimary | kCall,                            false},
};
// clang-format on
constexpr int kCutCount = static_cast<int>(std::size(kCutForms));

constexpr FormSet kNegationOperand = Set({fBracketed, fVariable, fPower}) | kCall;
constexpr FormSet kExpression = (FormSet{1} << kFormCount) - 1;

// --- derived from the table ---------------------------------------------------

// The row of a two-operand form, or -1.
constexpr int RowOf(int form) {
    for (int i = 0; i < kCutCount; ++i)
        if (kCutForms[i].form == form) return i;
    return -1;
}

// A "+" or "-" may also be a sign; as an operator it follows a complete operand.
constexpr bool IsSignChar(char c) {
    return c == '+' || c == '-';
}

// Operator marks: bit i stands for the one-character operator of row i, found
// outside brackets (a sign character only where it cannot be a sign). A form
// that cannot hold a mark is ruled out at once when the text holds it.
using MarkSet = std::uint32_t;
constexpr MarkSet kAllMarks = [] {
    MarkSet m = 0;
    for (int i = 0; i < kCutCount; ++i)
        if (kCutForms[i].op.size() == 1) m |= MarkSet{1} << i;
    return m;
}();

struct FormTable {
    MarkSet marks[kFormCount]{}; // the marks a text of the form may hold
    FormSet letters = 0;         // forms a text of letters and digits only may have
};

constexpr MarkSet MarksOf(const FormTable& t, FormSet s) {
    MarkSet m = 0;
    for (int f = 0; f < kFormCount; ++f)
        if (Has(s, static_cast<Form>(f))) m |= t.marks[f];
    return m;
}

// Both by a fixed point, since the operand sets refer to each other.
constexpr FormTable kFormTable = [] {
    FormTable t;
    t.letters = Set({fVariable, fNumber});
    for (bool changed = true; changed;) {
        changed = false;
        const auto update = [&](Form f, MarkSet marks, bool letters) {
            if ((t.marks[f] | marks) != t.marks[f]) changed = true;
            t.marks[f] |= marks;
            if (letters && !Has(t.letters, f)) {
                t.letters |= FormSet{1} << f;
                changed = true;
            }
        };
        for (int i = 0; i < kCutCount; ++i) {
            const CutForm& row = kCutForms[i];
            const MarkSet own = kAllMarks & (MarkSet{1} << i);
            update(row.form, own | MarksOf(t, row.left) | MarksOf(t, row.right),
                   row.op.size() > 1 && (t.letters & row.left) && (t.letters & row.right));
        }
        update(fNegation, MarksOf(t, kNegationOperand), false);
    }
    return t;
}();

// Every question the form tests answer: a form (its own number), or whether
// a text has one of the forms of an operand set (numbers from kFormCount on).
// Each is one bit of the tests' cache.
using TestId = std::uint8_t;

struct TestTable {
    FormSet members[32]{};
    MarkSet forbidden[32]{}; // marks no member can hold
    int count = 0;
};

constexpr TestTable kTests = [] {
    TestTable t;
    const auto add = [&](FormSet members) {
        for (int i = 0; i < t.count; ++i)
            if (t.members[i] == members) return;
        t.members[t.count++] = members;
    };
    for (int f = 0; f < kFormCount; ++f)
        add(FormSet{1} << f);
    add(kExpression);
    add(kNegationOperand);
    for (const CutForm& row : kCutForms) {
        add(row.left);
        add(row.right);
    }
    for (int i = 0; i < t.count; ++i)
        t.forbidden[i] = kAllMarks & ~MarksOf(kFormTable, t.members[i]);
    return t;
}();

constexpr TestId TestOf(FormSet members) {
    for (int i = 0; i < kTests.count; ++i)
        if (kTests.members[i] == members) return static_cast<TestId>(i);
    return 0xFF;
}

// The tests the form tests ask most, looked up once.
struct RowTests {
    TestId left[kCutCount]{};
    TestId right[kCutCount]{};
    int rowOf[kFormCount]{};
};
constexpr RowTests kRowTests = [] {
    RowTests t;
    for (int i = 0; i < kCutCount; ++i) {
        t.left[i] = TestOf(kCutForms[i].left);
        t.right[i] = TestOf(kCutForms[i].right);
    }
    for (int f = 0; f < kFormCount; ++f)
        t.rowOf[f] = RowOf(f);
    return t;
}();
constexpr TestId kExpressionTest = TestOf(kExpression);
constexpr TestId kNegationTest = TestOf(kNegationOperand);

static_assert(TestOf(Set({fSum})) == fSum, "a single form is its own test");
static_assert(kTests.count <= 32, "one cache bit per test");

} // namespace grammar
