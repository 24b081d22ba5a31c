#include "FormTests.h"

#include "FloatText.h"
#include "NumberSyntax.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c) {
    return IsLetter(c) || (c >= '0' && c <= '9');
}

// Deep enough for every ordinary expression; deeper questions are answered
// first from the top (TFormTests::Passes) so that the stack stays small.
constexpr int kMaxDepth = 400;

using namespace grammar;

// The forms that may be made of letters and digits only and still need the
// full test: those with a word operator (DIV, MOD).
constexpr FormSet kWordForms = kFormTable.letters & ~Set({fVariable, fNumber});

constexpr std::uint32_t Bit(TestId test) {
    return std::uint32_t{1} << test;
}

} // namespace

TFormTests::TFormTests(std::string text, const TVariableTable& variables,
                       const TFunctionTable& functions1, const TFunctionTable& functions2,
                       bool classicNumbers)
    : text_(std::move(text)), variables_(variables), functions1_(functions1),
      functions2_(functions2), classic_(classicNumbers),
      nameEBound_(variables.find(std::string_view("E")) != variables.end()),
      n_(static_cast<int>(text_.size())) {
    level_.assign(static_cast<size_t>(n_) + 1, 0);
    for (int i = 0; i < n_; ++i)
        level_[i + 1] = level_[i] + (text_[i] == '(') - (text_[i] == ')');

    for (const auto& entry : variables_)
        maxVariableLength_ = std::max(maxVariableLength_, static_cast<int>(entry.first.size()));
    identStart_.assign(static_cast<size_t>(n_) + 1, 0);
    numeralStart_.assign(static_cast<size_t>(n_) + 1, 0);
    for (int i = 0; i < n_; ++i) {
        identStart_[i] = i > 0 && IsIdentChar(text_[i - 1]) ? identStart_[i - 1] : i;
        numeralStart_[i] = i > 0 && IsNumeralChar(text_[i - 1]) ? numeralStart_[i - 1] : i;
    }
    identEnd_.assign(static_cast<size_t>(n_) + 1, n_);
    numeralEnd_.assign(static_cast<size_t>(n_) + 1, n_);
    nextOpen_.assign(static_cast<size_t>(n_) + 1, n_);
    for (int i = n_ - 1; i >= 0; --i) {
        identEnd_[i] = IsIdentChar(text_[i]) ? identEnd_[i + 1] : i;
        numeralEnd_[i] = IsNumeralChar(text_[i]) ? numeralEnd_[i + 1] : i;
        nextOpen_[i] = text_[i] == '(' ? i : nextOpen_[i + 1];
    }

    const auto key = [this](int pos) {
        return (static_cast<std::uint64_t>(level_[pos] + n_ + 1) << 32) |
               static_cast<std::uint32_t>(pos);
    };
    for (int i = 0; i < n_; ++i) {
        for (int row = 0; row < kCutCount; ++row) {
            const std::string_view op = kCutForms[row].op;
            if (text_[i] != op[0] || text_.compare(static_cast<size_t>(i), op.size(), op) != 0)
                continue;
            if (op.size() == 1 && IsSignChar(op[0]) && !BinaryCapable(i)) continue;
            ops_[row].push_back(key(i));
        }
        if (text_[i] == ',') ops_[kCommas].push_back(key(i));
    }
    for (auto& list : ops_)
        std::sort(list.begin(), list.end());

    // Per bracket level, the next and the previous marked position.
    const auto levelIndex = [this](int pos) { return static_cast<size_t>(level_[pos] + n_ + 1); };
    std::vector<int> seen(2 * static_cast<size_t>(n_) + 3);
    for (int row = 0; row < kCutCount; ++row) {
        if (!(kAllMarks >> row & 1)) continue;
        nextMark_[row].assign(static_cast<size_t>(n_) + 1, n_);
        std::fill(seen.begin(), seen.end(), n_);
        for (int i = n_ - 1; i >= 0; --i) {
            nextMark_[row][i] = seen[levelIndex(i)];
            if (Marked(row, i)) seen[levelIndex(i)] = i;
        }
        prevMark_[row].assign(static_cast<size_t>(n_) + 1, -1);
        std::fill(seen.begin(), seen.end(), -1);
        for (int i = 0; i <= n_; ++i) {
            prevMark_[row][i] = seen[levelIndex(i)];
            if (i < n_ && Marked(row, i)) seen[levelIndex(i)] = i;
        }
    }
    // A valid piece never goes below the level it starts at.
    nextDip_.assign(static_cast<size_t>(n_) + 1, n_ + 1);
    std::vector<int> stack;
    for (int i = n_; i >= 0; --i) {
        while (!stack.empty() && level_[stack.back()] >= level_[i])
            stack.pop_back();
        nextDip_[i] = stack.empty() ? n_ + 1 : stack.back();
        stack.push_back(i);
    }
    slots_.resize(1024);
}

int TFormTests::BeforeDigits(int s) const {
    while (s >= 0 && ((text_[s] >= '0' && text_[s] <= '9') || text_[s] == '.' ||
                      (!classic_ && text_[s] == DecimalSeparator())))
        --s;
    return s;
}

bool TFormTests::EndsInExponentMark(int end) const {
    // "<digits>E" starting a token: a numeral still missing its exponent.
    if (end < 2 || text_[end - 1] != 'E') return false;
    const int s = BeforeDigits(end - 2);
    // Not after a name: "X2E" is a name, so its E is no exponent mark.
    return s != end - 2 && (s < 0 || !IsIdentChar(text_[s]));
}

bool TFormTests::BinaryCapable(int j) const {
    // A sum's or difference's operator follows a complete operand. The
    // locale's numerals may also end in the separator ("5.") or a tab.
    if (j == 0) return false;
    const char before = text_[j - 1];
    const bool operandEnd = IsIdentChar(before) || before == ')' ||
                            (!classic_ && (before == DecimalSeparator() || before == '\t'));
    return operandEnd && !EndsInExponentMark(j);
}

bool TFormTests::EndsInWordOperator(int end) const {
    for (const CutForm& row : kCutForms) {
        const int width = static_cast<int>(row.op.size());
        if (width > 1 && end >= width && text_[end - 1] == row.op.back() &&
            text_.compare(static_cast<size_t>(end - width), row.op.size(), row.op) == 0)
            return true;
    }
    return false;
}

bool TFormTests::HardSign(int j) const {
    // Soft: after an operator, a bracket, a comma or a tab (a sign or a
    // negation), or an exponent sign after the E of a numeral.
    if (j == 0) return false;
    const char before = text_[j - 1];
    if (before == '(' || before == ',' || before == '\t') return false;
    for (const CutForm& row : kCutForms)
        if (row.op.size() == 1 && before == row.op[0]) return false;
    if (EndsInWordOperator(j)) return false;
    if (before != 'E') return true;
    const int s = BeforeDigits(j - 2);
    // An E with no digit before it is a name where E is bound (the variable
    // E, or the end of a longer name), so the sign after it is an operator.
    if (s == j - 2 && nameEBound_) return true;
    if (s < 0 || !IsIdentChar(text_[s]) || EndsInWordOperator(s + 1)) return false;
    return true;
}

bool TFormTests::Marked(int row, int i) const {
    const char op = kCutForms[row].op[0];
    return text_[i] == op && (!IsSignChar(op) || HardSign(i));
}

TFormTests::Cursor TFormTests::FirstAtLevel(int op, int a, int from) const {
    const auto& list = ops_[op];
    const std::uint64_t key =
        (static_cast<std::uint64_t>(level_[a] + n_ + 1) << 32) | static_cast<std::uint32_t>(from);
    return Cursor{
        &list, static_cast<size_t>(std::lower_bound(list.begin(), list.end(), key) - list.begin())};
}

int TFormTests::PositionAt(const Cursor& c, int a, int limit) const {
    if (c.index >= c.list->size()) return -1;
    const std::uint64_t key = (*c.list)[c.index];
    if (static_cast<int>(key >> 32) != level_[a] + n_ + 1) return -1;
    const int pos = static_cast<int>(key & 0xFFFFFFFFu);
    return pos < limit ? pos : -1;
}

// --- the cache -------------------------------------------------------------

namespace {
// Fibonacci hashing: the top bits of the product depend on every key bit.
size_t SlotOf(std::uint64_t key, size_t mask) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 40) & mask;
}
} // namespace

TFormTests::Slot* TFormTests::FindSlot(std::uint64_t key) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = SlotOf(key, mask);; i = (i + 1) & mask) {
        if (slots_[i].key == key) return &slots_[i];
        if (slots_[i].key == 0) return nullptr;
    }
}

TFormTests::Slot& TFormTests::InsertSlot(std::uint64_t key) {
    if (Slot* s = FindSlot(key)) return *s;
    if ((used_ + 1) * 2 > slots_.size()) {
        std::vector<Slot> old(slots_.size() * 2);
        old.swap(slots_);
        used_ = 0;
        for (const Slot& s : old)
            if (s.key != 0) InsertSlot(s.key) = s;
    }
    const size_t mask = slots_.size() - 1;
    size_t i = SlotOf(key, mask);
    while (slots_[i].key != 0)
        i = (i + 1) & mask;
    slots_[i].key = key;
    ++used_;
    return slots_[i];
}

// --- the tests -------------------------------------------------------------

bool TFormTests::Plausible(int a, int b) const {
    // Every valid expression is balanced, starts with a sign, digit, letter,
    // "." or "(" and ends with a letter, digit or ")"; locale numerals may
    // also use the locale separator or tabs at either end.
    if (a >= b || level_[a] != level_[b]) return false;
    const char first = text_[a];
    const char last = text_[b - 1];
    const bool lastOk = IsIdentChar(last) || last == ')';
    const bool firstOk =
        IsIdentChar(first) || first == '(' || first == '-' || first == '+' || first == '.';
    if (classic_) return firstOk && lastOk;
    return (firstOk || IsNumeralChar(first)) && (lastOk || IsNumeralChar(last));
}

bool TFormTests::IsVariable(int a, int b, double** cell) const {
    if (a >= b || b - a > maxVariableLength_ || !IsLetter(text_[a]) || identEnd_[a] < b)
        return false;
    const auto it = variables_.find(std::string_view(text_).substr(a, b - a));
    if (it == variables_.end()) return false;
    if (cell) *cell = it->second;
    return true;
}

bool TFormTests::IsNumber(int a, int b, double* value) const {
    if (a >= b) return false;
    const std::string_view piece = std::string_view(text_).substr(a, b - a);
    if (numeralEnd_[a] < b && piece != "PI" && piece != "-PI") return false;
    double v = 0;
    if (!ReadNumber(piece, classic_, v, nameEBound_)) return false;
    if (value) *value = v;
    return true;
}

int TFormTests::FirstOpenBracket(int a, int b) const {
    const int p = nextOpen_[a];
    return p < b ? p : -1;
}

bool TFormTests::Passes(TestId test, TTextRange r) {
    // Answers too deep for one descent are worked out first, deepest first,
    // each from the top of a fresh descent; the cache then holds them. A
    // descent that reaches the depth limit gives up without remembering
    // anything on its way back.
    std::vector<TooDeep> pending{{test, r.begin, r.end}};
    for (;;) {
        depth_ = 0;
        deferred_ = false;
        const TooDeep q = pending.back();
        const bool result = Test(q.test, q.begin, q.end);
        if (deferred_) {
            pending.push_back(deferredQuestion_);
            continue;
        }
        if (pending.size() == 1) return result;
        pending.pop_back();
    }
}

bool TFormTests::Test(TestId test, int a, int b) {
    if (deferred_) return false;
    if (test == fVariable) return IsVariable(a, b);
    if (test == fNumber) return IsNumber(a, b);
    if (!Plausible(a, b) || nextDip_[a] <= b) return false;
    if (identEnd_[a] >= b) {
        // Letters and digits only: a variable, a numeral, or DIV/MOD between
        // names. Only the tests that admit DIV and MOD need the cache.
        const FormSet letters = kFormTable.letters & kTests.members[test];
        if (!(letters & kWordForms))
            return (Has(letters, fVariable) && IsVariable(a, b)) ||
                   (Has(letters, fNumber) && IsNumber(a, b));
    }
    if (const MarkSet forbidden = kTests.forbidden[test]) {
        for (MarkSet m = forbidden; m != 0; m &= m - 1)
            if (HoldsMark(std::countr_zero(m), a, b)) return false;
    }

    const std::uint64_t key =
        (static_cast<std::uint64_t>(a + 1) << 32) | static_cast<std::uint32_t>(b);
    if (const Slot* s = FindSlot(key); s && (s->known & Bit(test)))
        return (s->value & Bit(test)) != 0;

    if (depth_ >= kMaxDepth) {
        deferred_ = true;
        deferredQuestion_ = TooDeep{test, a, b};
        return false;
    }
    ++depth_;
    const bool result = Compute(test, a, b);
    --depth_;
    if (deferred_) return false;

    Slot& s = InsertSlot(key);
    s.known |= Bit(test);
    if (result) s.value |= Bit(test);
    return result;
}

bool TFormTests::Compute(TestId test, int a, int b) {
    switch (test) {
    case fBracketed:
        return text_[a] == '(' && text_[b - 1] == ')' && Test(kExpressionTest, a + 1, b - 1);
    case fNegation:
        return text_[a] == '-' && Test(kNegationTest, a + 1, b);
    case fCall1:
        return ComputeCall1(a, b);
    case fCall2:
        return ComputeCall2(a, b);
    default:
        break;
    }
    if (test < kFormCount) return ComputeCut(kRowTests.rowOf[test], a, b);
    // An operand set: one of its forms.
    for (FormSet s = kTests.members[test]; s != 0 && !deferred_; s &= s - 1)
        if (Test(static_cast<TestId>(std::countr_zero(s)), a, b)) return true;
    return false;
}

bool TFormTests::ComputeCut(int row, int a, int b) {
    // The cuts worth trying lie between the operand sets' forbidden marks:
    // the left operand ends before the first mark it cannot hold, the right
    // one starts after the last. Answers do not depend on the order, so the
    // cheaper right operand is tried first.
    const CutForm& rule = kCutForms[row];
    const int width = static_cast<int>(rule.op.size());
    const TestId left = kRowTests.left[row], right = kRowTests.right[row];
    // An operator at the very start ends the test, unless it is passed over;
    // one that leaves nothing to its right is no cut.
    if (!rule.leadingPassedOver &&
        text_.compare(static_cast<size_t>(a), rule.op.size(), rule.op) == 0)
        return false;
    int from = a + 1;
    int to = b - width;
    for (MarkSet m = kTests.forbidden[left]; m != 0; m &= m - 1)
        to = std::min(to, NextMark(std::countr_zero(m), a) + 1);
    for (MarkSet m = kTests.forbidden[right]; m != 0; m &= m - 1)
        from = std::max(from, PrevMark(std::countr_zero(m), b) - (width - 1));
    // A right operand inside the name run that ends the piece is a variable
    // (no longer than the longest name), PI or a numeral.
    if (!(kFormTable.letters & rule.right & kWordForms) && IsIdentChar(text_[b - 1]) &&
        from + width >= identStart_[b - 1]) {
        const int numeralFrom = IsNumeralChar(text_[b - 1]) ? numeralStart_[b - 1] : b;
        from = std::max(from,
                        std::min(b - width - std::max(maxVariableLength_, 2), numeralFrom - width));
    }
    for (Cursor c = FirstAtLevel(row, a, from);; ++c.index) {
        const int p = PositionAt(c, a, to);
        if (p < 0 || deferred_) return false;
        if (Test(right, p + width, b) && Test(left, a, p)) return true;
    }
}

bool TFormTests::ComputeCall1(int a, int b) {
    const int p = FirstOpenBracket(a, b);
    if (p <= a) return false;
    if (functions1_.find(std::string_view(text_).substr(a, p - a)) == functions1_.end())
        return false;
    return Test(fBracketed, p, b);
}

bool TFormTests::ComputeCall2(int a, int b) {
    const int p = FirstOpenBracket(a, b);
    if (p <= a || text_[b - 1] != ')') return false;
    if (functions2_.find(std::string_view(text_).substr(a, p - a)) == functions2_.end())
        return false;
    const int inner = p + 1, innerEnd = b - 1;
    if (inner >= innerEnd || text_[inner] == ',') return false;
    const TestId expression = kExpressionTest;
    for (Cursor c = FirstAtLevel(kCommas, inner, inner);; ++c.index) {
        const int comma = PositionAt(c, inner, innerEnd - 1);
        if (comma < 0 || deferred_) return false;
        if (Test(expression, inner, comma) && Test(expression, comma + 1, innerEnd)) return true;
    }
}

// --- node level --------------------------------------------------------------

TTextRange TFormTests::StripBrackets(TTextRange r) {
    while (r.size() >= 2 && Passes(fBracketed, r))
        r = {r.begin + 1, r.end - 1};
    return r;
}

bool TFormTests::NodeNegation(TTextRange r, TNodeForm& node, TLastCut& last) {
    if (r.size() == 0 || text_[r.begin] != '-') return false;
    last.left = {r.begin + 1, r.end};
    last.leftWritten = true;
    if (!Passes(kNegationTest, last.left)) return false;
    node.left = StripBrackets(last.left);
    return true;
}

bool TFormTests::NodeCut(int row, TTextRange r, TNodeForm& node, TLastCut& last) {
    const CutForm& rule = kCutForms[row];
    const std::string_view text(text_);
    const size_t width = rule.op.size();
    for (size_t p = static_cast<size_t>(r.begin);; ++p) {
        p = text.find(rule.op, p);
        if (p == std::string_view::npos || p + width > static_cast<size_t>(r.end)) return false;
        const int pos = static_cast<int>(p);
        if (pos == r.begin) {
            if (rule.leadingPassedOver) continue;
            return false;
        }
        if (width == 1 && pos == r.end - 1) return false;
        TTextRange left{r.begin, pos};
        TTextRange right{pos + static_cast<int>(width), r.end};
        last.left = left;
        last.right = right;
        last.leftWritten = last.rightWritten = true;
        if (level_[pos] != level_[r.begin]) continue;
        if (!Passes(kRowTests.left[row], left)) continue;
        last.left = left = StripBrackets(left);
        if (!Passes(kRowTests.right[row], right)) continue;
        last.right = right = StripBrackets(right);
        node.left = left;
        node.right = right;
        return true;
    }
}

bool TFormTests::NodeCall1(TTextRange r, TNodeForm& node, TLastCut& last) {
    const int p = FirstOpenBracket(r.begin, r.end);
    if (p <= r.begin) return false;
    const auto it = functions1_.find(std::string_view(text_).substr(r.begin, p - r.begin));
    if (it == functions1_.end()) return false;
    last.left = {p, r.end};
    last.leftWritten = true;
    if (!Passes(fBracketed, last.left)) return false;
    last.left = node.left = StripBrackets(last.left);
    node.function = it->second;
    return true;
}

bool TFormTests::NodeCall2(TTextRange r, TNodeForm& node, TLastCut& last) {
    const int p = FirstOpenBracket(r.begin, r.end);
    if (p <= r.begin || text_[r.end - 1] != ')') return false;
    const auto it = functions2_.find(std::string_view(text_).substr(r.begin, p - r.begin));
    if (it == functions2_.end()) return false;
    const int inner = p + 1, innerEnd = r.end - 1;
    for (int comma = inner; comma < innerEnd; ++comma) {
        if (text_[comma] != ',') continue;
        if (comma == inner || comma == innerEnd - 1) return false;
        TTextRange left{inner, comma}, right{comma + 1, innerEnd};
        last.left = left;
        last.right = right;
        last.leftWritten = last.rightWritten = true;
        if (!Passes(kExpressionTest, left)) continue;
        last.left = left = StripBrackets(left);
        if (!Passes(kExpressionTest, right)) continue;
        last.right = right = StripBrackets(right);
        node.left = left;
        node.right = right;
        node.function = it->second;
        return true;
    }
    return false;
}

bool TFormTests::Classify(TTextRange r, TNodeForm& node, TLastCut& last) {
    node = TNodeForm{};
    if (IsVariable(r.begin, r.end, &node.variable)) {
        node.kind = TTermKind::Variable;
        return true;
    }
    if (IsNumber(r.begin, r.end, &node.number)) {
        node.kind = TTermKind::Number;
        return true;
    }
    if (NodeNegation(r, node, last)) {
        node.kind = TTermKind::Negate;
        return true;
    }
    for (int row = 0; row < kCutCount; ++row) {
        if (!NodeCut(row, r, node, last)) continue;
        node.kind = kCutForms[row].kind;
        double exponent = 0;
        if (node.kind == TTermKind::Power &&
            IsNumber(node.right.begin, node.right.end, &exponent)) {
            const double whole = std::trunc(exponent);
            if (whole != exponent)
                node.kind = TTermKind::Power;
            else if (whole == 2)
                node.kind = TTermKind::Square;
            else if (whole == 3)
                node.kind = TTermKind::Cube;
            else if (whole == 4)
                node.kind = TTermKind::FourthPower;
            else
                node.kind = TTermKind::IntPower;
        }
        return true;
    }
    if (NodeCall1(r, node, last)) {
        node.kind = TTermKind::Function1;
        return true;
    }
    if (NodeCall2(r, node, last)) {
        node.kind = TTermKind::Function2;
        return true;
    }
    return false;
}
