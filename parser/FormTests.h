#pragma once

#include "Grammar.h"
#include "Term.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

using TVariableTable = std::map<std::string, double*, std::less<>>;
using TFunctionTable = std::map<std::string, TMathProcedure, std::less<>>;

// A piece of the prepared expression text, [begin, end).
struct TTextRange {
    int begin = 0;
    int end = 0;
    int size() const { return end - begin; }
};

// How one node of the expression is built: its kind and its operand texts.
struct TNodeForm {
    TTermKind kind = TTermKind::Variable;
    TTextRange left;
    TTextRange right;
    double number = 0;                 // kind 1
    double* variable = nullptr;        // kind 0
    TMathProcedure function = nullptr; // kinds 14, 15
};

// What a failed classification leaves in the node's operand texts: the last
// cut tried (shown in the syntax-error message).
struct TLastCut {
    bool leftWritten = false;
    bool rightWritten = false;
    TTextRange left;
    TTextRange right;
};

// The form tests of the language over one prepared text (upper case, trimmed,
// no blanks). Every text a test looks at is a piece of that text, so answers
// are remembered per (form, piece): the plain recursive tests ask the same
// question of the same piece exponentially often. The remembered answers do
// not change which cut a node takes: nodes always scan their cuts in order.
class TFormTests {
public:
    TFormTests(std::string text, const TVariableTable& variables, const TFunctionTable& functions1,
               const TFunctionTable& functions2, bool classicNumbers);

    const std::string& Text() const { return text_; }
    std::string_view Piece(TTextRange r) const {
        return std::string_view(text_).substr(static_cast<size_t>(r.begin),
                                              static_cast<size_t>(r.size()));
    }

    // The piece without its redundant enclosing brackets.
    TTextRange StripBrackets(TTextRange r);

    // The first form that the piece passes, in the order nodes are classified,
    // with the cut it takes. False when none passes; `last` then holds the
    // last cut written.
    bool Classify(TTextRange r, TNodeForm& form, TLastCut& last);

    // Whether the piece passes the test (a form, or one form of an operand set).
    bool Passes(grammar::TestId test, TTextRange r);

private:
    using TestId = grammar::TestId;
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t known = 0;
        std::uint32_t value = 0;
    };
    struct TooDeep {
        TestId test;
        int begin, end;
    };

    bool Test(TestId test, int a, int b);
    bool Compute(TestId test, int a, int b);
    bool ComputeCut(int row, int a, int b);
    bool ComputeCall1(int a, int b);
    bool ComputeCall2(int a, int b);
    bool IsVariable(int a, int b, double** cell = nullptr) const;
    bool IsNumber(int a, int b, double* value = nullptr) const;
    bool Plausible(int a, int b) const;
    int FirstOpenBracket(int a, int b) const;
    // Operator positions are listed per row of the grammar, then the commas.
    static constexpr int kCommas = grammar::kCutCount;
    // Position of the first balanced occurrence of op at or after `from`
    // (balanced: at the bracket level of `a`), or -1 before `limit`.
    struct Cursor {
        const std::vector<std::uint64_t>* list;
        size_t index;
    };
    Cursor FirstAtLevel(int op, int a, int from) const;

    // A hard "+" or "-" cannot be a numeral's sign or a negation: it can only
    // be a sum's or a difference's operator.
    bool HardSign(int j) const;
    bool BinaryCapable(int j) const;
    bool EndsInExponentMark(int end) const;
    // The position before the run of numeral digits (and separators) that
    // ends at s, walking backwards; -1 when the run starts the text.
    int BeforeDigits(int s) const;
    bool EndsInWordOperator(int end) const;
    bool Marked(int row, int i) const;
    // First position after `a` at a's bracket level with the row's mark (n_ if none).
    int NextMark(int row, int a) const { return nextMark_[row][static_cast<size_t>(a)]; }
    // Last position before `b` at b's bracket level with the row's mark (-1 if none).
    int PrevMark(int row, int b) const { return prevMark_[row][static_cast<size_t>(b)]; }
    bool HoldsMark(int row, int a, int b) const { return NextMark(row, a) < b; }
    int PositionAt(const Cursor& c, int a, int limit) const;

    // Node-level forms (they write the node's operand texts as they go).
    bool NodeCut(int row, TTextRange r, TNodeForm& node, TLastCut& last);
    bool NodeNegation(TTextRange r, TNodeForm& node, TLastCut& last);
    bool NodeCall1(TTextRange r, TNodeForm& node, TLastCut& last);
    bool NodeCall2(TTextRange r, TNodeForm& node, TLastCut& last);

    Slot* FindSlot(std::uint64_t key);
    Slot& InsertSlot(std::uint64_t key);

    std::string text_;
    const TVariableTable& variables_;
    const TFunctionTable& functions1_;
    const TFunctionTable& functions2_;
    bool classic_;
    // A variable named E is bound: "E" followed by a sign is that variable
    // and an operator, never a numeral without digits before its exponent.
    bool nameEBound_;
    int n_;
    std::vector<int> level_; // "(" minus ")" before each position, n + 1 values
    int maxVariableLength_ = 0;
    std::vector<int> identStart_;   // start of the identifier run holding each position
    std::vector<int> numeralStart_; // start of the numeral-character run holding each position
    std::vector<int> identEnd_;     // end of the identifier run starting at each position
    std::vector<int> numeralEnd_;   // end of the numeral-character run at each position
    std::vector<int> nextOpen_;     // next "(" at or after each position
    std::vector<int> nextDip_;      // first later position below this one's bracket level
    std::vector<int> nextMark_[grammar::kCutCount];
    std::vector<int> prevMark_[grammar::kCutCount];
    // For each operator: its positions keyed (level << 32 | position), sorted.
    std::vector<std::uint64_t> ops_[kCommas + 1];
    std::vector<Slot> slots_;
    size_t used_ = 0;
    int depth_ = 0;
    bool deferred_ = false; // a descent hit the depth limit and is giving up
    TooDeep deferredQuestion_{};
};
