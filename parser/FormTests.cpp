#include "FormTests.h"

#include "FloatText.h"
#include "NumberSyntax.h"

#include <algorithm>
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

using Form = TFormTests::Form;

// The operand sets, each a list of forms.
struct FormList {
    const Form* forms;
    int count;
};
#define FORMS(...)                                                                                 \
    [] {                                                                                           \
        static constexpr Form f[] = {__VA_ARGS__};                                                 \
        return FormList{f, static_cast<int>(sizeof f / sizeof f[0])};                              \
    }()

FormList Members(Form set) {
    using F = TFormTests;
    switch (set) {
    case F::sSumLeft:
        return FORMS(F::fVariable, F::fNumber, F::fBracketed, F::fNegation, F::fDifference,
                     F::fProduct, F::fIntQuotient, F::fRemainder, F::fQuotient, F::fPower,
                     F::fCall1, F::fCall2);
    case F::sSumRight:
        return FORMS(F::fVariable, F::fNumber, F::fBracketed, F::fSum, F::fDifference, F::fProduct,
                     F::fIntQuotient, F::fRemainder, F::fQuotient, F::fPower, F::fCall1, F::fCall2);
    case F::sDiffRight:
    case F::sProductRight:
        // The right of a difference and of a product admit the same forms.
        return FORMS(F::fVariable, F::fNumber, F::fBracketed, F::fProduct, F::fIntQuotient,
                     F::fRemainder, F::fQuotient, F::fPower, F::fCall1, F::fCall2);
    case F::sProductLeft:
        return FORMS(F::fVariable, F::fNumber, F::fBracketed, F::fNegation, F::fIntQuotient,
                     F::fRemainder, F::fQuotient, F::fPower, F::fCall1, F::fCall2);
    case F::sQuotientRight:
        return FORMS(F::fVariable, F::fNumber, F::fBracketed, F::fPower, F::fCall1, F::fCall2);
    case F::sPowerOperand:
        return FORMS(F::fVariable, F::fNumber, F::fBracketed, F::fCall1, F::fCall2);
    case F::sNegOperand:
        return FORMS(F::fBracketed, F::fVariable, F::fPower, F::fCall1, F::fCall2);
    case F::sValid:
        return FORMS(F::fNumber, F::fVariable, F::fNegation, F::fSum, F::fDifference, F::fProduct,
                     F::fIntQuotient, F::fRemainder, F::fQuotient, F::fPower, F::fCall2, F::fCall1,
                     F::fBracketed);
    default:
        return FormList{nullptr, 0};
    }
}

// The operator of each two-operand form and its operand sets.
struct CutRule {
    char op;
    const char* word; // DIV and MOD
    Form left;
    Form right;
};

CutRule RuleOf(Form f) {
    using F = TFormTests;
    switch (f) {
    case F::fSum:
        return {'+', nullptr, F::sSumLeft, F::sSumRight};
    case F::fDifference:
        return {'-', nullptr, F::sSumLeft, F::sDiffRight};
    case F::fProduct:
        return {'*', nullptr, F::sProductLeft, F::sProductRight};
    case F::fIntQuotient:
        return {0, "DIV", F::sProductLeft, F::sQuotientRight};
    case F::fRemainder:
        return {0, "MOD", F::sProductLeft, F::sQuotientRight};
    case F::fQuotient:
        return {'/', nullptr, F::sProductLeft, F::sQuotientRight};
    default:
        return {'^', nullptr, F::sPowerOperand, F::sPowerOperand};
    }
}

} // namespace

TFormTests::TFormTests(std::string text, const TVariableTable& variables,
                       const TFunctionTable& functions1, const TFunctionTable& functions2,
                       bool classicNumbers)
    : text_(std::move(text)), variables_(variables), functions1_(functions1),
      functions2_(functions2), classic_(classicNumbers), n_(static_cast<int>(text_.size())) {
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

    static constexpr char kChars[] = {'+', '-', '*', '/', '^', ','};
    const auto key = [this](int pos) {
        return (static_cast<std::uint64_t>(level_[pos] + n_ + 1) << 32) |
               static_cast<std::uint32_t>(pos);
    };
    for (int i = 0; i < n_; ++i) {
        for (int op = 0; op < 6; ++op)
            if (text_[i] == kChars[op] && (op > oMinus || BinaryCapable(i)))
                ops_[op].push_back(key(i));
        if (text_.compare(static_cast<size_t>(i), 3, "DIV") == 0) ops_[oDiv].push_back(key(i));
        if (text_.compare(static_cast<size_t>(i), 3, "MOD") == 0) ops_[oMod].push_back(key(i));
    }
    for (auto& list : ops_)
        std::sort(list.begin(), list.end());

    // Per bracket level, the next and the previous marked position.
    const auto levelIndex = [this](int pos) { return static_cast<size_t>(level_[pos] + n_ + 1); };
    std::vector<int> seen(2 * static_cast<size_t>(n_) + 3);
    for (int m = 0; m < kMarkCount; ++m) {
        const auto marked = [&](int i) {
            const char c = text_[i];
            switch (m) {
            case mTimes:
                return c == '*';
            case mSlash:
                return c == '/';
            case mCaret:
                return c == '^';
            case mHardPlus:
                return c == '+' && HardSign(i);
            default:
                return c == '-' && HardSign(i);
            }
        };
        nextMark_[m].assign(static_cast<size_t>(n_) + 1, n_);
        std::fill(seen.begin(), seen.end(), n_);
        for (int i = n_ - 1; i >= 0; --i) {
            nextMark_[m][i] = seen[levelIndex(i)];
            if (marked(i)) seen[levelIndex(i)] = i;
        }
        prevMark_[m].assign(static_cast<size_t>(n_) + 1, -1);
        std::fill(seen.begin(), seen.end(), -1);
        for (int i = 0; i <= n_; ++i) {
            prevMark_[m][i] = seen[levelIndex(i)];
            if (i < n_ && marked(i)) seen[levelIndex(i)] = i;
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

bool TFormTests::EndsInExponentMark(int end) const {
    // "<digits>E" starting a token: a numeral still missing its exponent.
    if (end < 2 || text_[end - 1] != 'E') return false;
    int s = end - 2;
    while (s >= 0 && ((text_[s] >= '0' && text_[s] <= '9') || text_[s] == '.' ||
                      (!classic_ && text_[s] == DecimalSeparator())))
        --s;
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

bool TFormTests::HardSign(int j) const {
    // Soft: after an operator, a bracket, a comma or DIV/MOD (a sign or a
    // negation), or an exponent sign after the E of a numeral.
    if (j == 0) return false;
    const auto wordEndsAt = [this](int end) {
        return end >= 3 && (text_.compare(static_cast<size_t>(end - 3), 3, "DIV") == 0 ||
                            text_.compare(static_cast<size_t>(end - 3), 3, "MOD") == 0);
    };
    const char before = text_[j - 1];
    if (std::string_view("*/^(,+-\t").find(before) != std::string_view::npos) return false;
    if (wordEndsAt(j)) return false;
    if (before != 'E') return true;
    int s = j - 2;
    while (s >= 0 && ((text_[s] >= '0' && text_[s] <= '9') || text_[s] == '.' ||
                      (!classic_ && text_[s] == DecimalSeparator())))
        --s;
    if (s < 0 || !IsIdentChar(text_[s]) || wordEndsAt(s + 1)) return false;
    return true;
}

std::uint8_t TFormTests::Forbidden(Form form) {
    constexpr std::uint8_t times = 1 << mTimes, slash = 1 << mSlash, caret = 1 << mCaret,
                           plus = 1 << mHardPlus, minus = 1 << mHardMinus;
    switch (form) {
    case fBracketed:
    case fCall1:
    case fCall2:
    case sPowerOperand:
        return times | slash | caret | plus | minus;
    case fPower:
    case fNegation:
    case sNegOperand:
    case sQuotientRight:
        return times | slash | plus | minus;
    case fIntQuotient:
    case fRemainder:
    case fQuotient:
    case sProductLeft:
        return times | plus | minus;
    case fProduct:
    case sProductRight:
    case sDiffRight:
        return plus | minus;
    case fDifference:
    case sSumLeft:
        return plus;
    default:
        return 0;
    }
}

TFormTests::Cursor TFormTests::FirstAtLevel(Op op, int a, int from) const {
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
    if (!ReadNumber(piece, classic_, v)) return false;
    if (value) *value = v;
    return true;
}

int TFormTests::FirstOpenBracket(int a, int b) const {
    const int p = nextOpen_[a];
    return p < b ? p : -1;
}

bool TFormTests::Passes(Form form, TTextRange r) {
    // Answers too deep for one descent are worked out first, deepest first,
    // each from the top of a fresh descent; the cache then holds them. A
    // descent that reaches the depth limit gives up without remembering
    // anything on its way back.
    std::vector<TooDeep> pending{{form, r.begin, r.end}};
    for (;;) {
        depth_ = 0;
        deferred_ = false;
        const TooDeep q = pending.back();
        const bool result = Test(q.form, q.begin, q.end);
        if (deferred_) {
            pending.push_back(deferredQuestion_);
            continue;
        }
        if (pending.size() == 1) return result;
        pending.pop_back();
    }
}

bool TFormTests::Test(Form form, int a, int b) {
    if (deferred_) return false;
    if (form == fVariable) return IsVariable(a, b);
    if (form == fNumber) return IsNumber(a, b);
    if (!Plausible(a, b) || nextDip_[a] <= b) return false;
    if (identEnd_[a] >= b) {
        // Letters and digits only: a variable, a numeral, or DIV/MOD between
        // names. Only the sets that admit DIV and MOD need the cache.
        switch (form) {
        case sPowerOperand:
        case sQuotientRight:
            return IsVariable(a, b) || IsNumber(a, b);
        case sNegOperand:
            return IsVariable(a, b);
        case fIntQuotient:
        case fRemainder:
        case sSumLeft:
        case sSumRight:
        case sDiffRight:
        case sProductLeft:
        case sProductRight:
        case sValid:
            break;
        default:
            return false;
        }
    }
    if (const std::uint8_t forbidden = Forbidden(form)) {
        for (int m = 0; m < kMarkCount; ++m)
            if ((forbidden >> m & 1) && HoldsMark(static_cast<Mark>(m), a, b)) return false;
    }

    const std::uint64_t key =
        (static_cast<std::uint64_t>(a + 1) << 32) | static_cast<std::uint32_t>(b);
    const std::uint32_t bit = 1u << form;
    if (const Slot* s = FindSlot(key); s && (s->known & bit)) return (s->value & bit) != 0;

    if (depth_ >= kMaxDepth) {
        deferred_ = true;
        deferredQuestion_ = TooDeep{form, a, b};
        return false;
    }
    ++depth_;
    const bool result = Compute(form, a, b);
    --depth_;
    if (deferred_) return false;

    Slot& s = InsertSlot(key);
    s.known |= bit;
    if (result) s.value |= bit;
    return result;
}

bool TFormTests::Compute(Form form, int a, int b) {
    switch (form) {
    case fBracketed:
        return text_[a] == '(' && text_[b - 1] == ')' && Test(sValid, a + 1, b - 1);
    case fNegation:
        return text_[a] == '-' && Test(sNegOperand, a + 1, b);
    case fSum:
    case fDifference:
    case fProduct:
    case fIntQuotient:
    case fRemainder:
    case fQuotient:
    case fPower:
        return ComputeCut(form, a, b);
    case fCall1:
        return ComputeCall1(a, b);
    case fCall2:
        return ComputeCall2(a, b);
    default: {
        const FormList list = Members(form);
        for (int i = 0; i < list.count && !deferred_; ++i)
            if (Test(list.forms[i], a, b)) return true;
        return false;
    }
    }
}

bool TFormTests::ComputeCut(Form form, int a, int b) {
    // The operands' forbidden marks narrow the cuts worth trying; answers do
    // not depend on the order, so the cheaper right operand is tried first.
    const CutRule rule = RuleOf(form);
    const auto cutPasses = [&](int p, int width) {
        return Test(rule.right, p + width, b) && Test(rule.left, a, p);
    };
    if (rule.word) {
        // The word is found anywhere, also inside longer names; one at the
        // start is passed over. Its right operand holds no "*", "/" or hard sign.
        const Op op = rule.word[0] == 'D' ? oDiv : oMod;
        int from = a + 1;
        for (const Mark m : {mTimes, mSlash, mHardPlus, mHardMinus})
            from = std::max(from, PrevMark(m, b) - 2);
        // A right operand inside the name run that ends the piece is a
        // variable (no longer than the longest name), PI or a numeral.
        if (IsIdentChar(text_[b - 1]) && from + 3 >= identStart_[b - 1]) {
            const int numeralFrom = IsNumeralChar(text_[b - 1]) ? numeralStart_[b - 1] : b;
            from =
                std::max(from, std::min(b - 3 - std::max(maxVariableLength_, 2), numeralFrom - 3));
        }
        for (Cursor c = FirstAtLevel(op, a, from);; ++c.index) {
            const int p = PositionAt(c, a, b - 2);
            if (p < 0 || deferred_) return false;
            if (cutPasses(p, 3)) return true;
        }
    }
    // An operator in the first position ends the test, except that a
    // difference passes over a leading minus sign (it is the sign of the left
    // operand); one in the last position leaves nothing to its right.
    if (text_[a] == rule.op && form != fDifference) return false;
    const auto single = [&](int p) { return p > a && p < b - 1 && cutPasses(p, 1); };
    switch (form) {
    case fProduct: // the left operand holds no "*"
        return single(NextMark(mTimes, a));
    case fPower: // the left operand holds no "^"
        return single(NextMark(mCaret, a));
    case fQuotient: // the right operand holds no "/"
        return single(PrevMark(mSlash, b));
    case fSum: { // the left operand holds no hard "+"
        const int lastCut = NextMark(mHardPlus, a);
        for (Cursor c = FirstAtLevel(oPlus, a, a + 1);; ++c.index) {
            const int p = PositionAt(c, a, std::min(b - 1, lastCut + 1));
            if (p < 0 || deferred_) return false;
            if (cutPasses(p, 1)) return true;
        }
    }
    default: { // the right operand holds no hard "-"
        const int firstCut = std::max(a + 1, PrevMark(mHardMinus, b));
        for (Cursor c = FirstAtLevel(oMinus, a, firstCut);; ++c.index) {
            const int p = PositionAt(c, a, b - 1);
            if (p < 0 || deferred_) return false;
            if (cutPasses(p, 1)) return true;
        }
    }
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
    for (Cursor c = FirstAtLevel(oComma, inner, inner);; ++c.index) {
        const int comma = PositionAt(c, inner, innerEnd - 1);
        if (comma < 0 || deferred_) return false;
        if (Test(sValid, inner, comma) && Test(sValid, comma + 1, innerEnd)) return true;
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
    if (!Passes(sNegOperand, last.left)) return false;
    node.left = StripBrackets(last.left);
    return true;
}

bool TFormTests::NodeCut(Form form, TTextRange r, TNodeForm& node, TLastCut& last) {
    const CutRule rule = RuleOf(form);
    const std::string_view text(text_);
    const size_t width = rule.word ? 3 : 1;
    for (size_t p = static_cast<size_t>(r.begin);; ++p) {
        p = rule.word ? text.find(rule.word, p) : text.find(rule.op, p);
        if (p == std::string_view::npos || p + width > static_cast<size_t>(r.end)) return false;
        const int pos = static_cast<int>(p);
        if (pos == r.begin) {
            if (rule.word || form == fDifference) continue;
            return false;
        }
        if (!rule.word && pos == r.end - 1) return false;
        TTextRange left{r.begin, pos};
        TTextRange right{pos + static_cast<int>(width), r.end};
        last.left = left;
        last.right = right;
        last.leftWritten = last.rightWritten = true;
        if (level_[pos] != level_[r.begin]) continue;
        if (!Passes(rule.left, left)) continue;
        last.left = left = StripBrackets(left);
        if (!Passes(rule.right, right)) continue;
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
        if (!Passes(sValid, left)) continue;
        last.left = left = StripBrackets(left);
        if (!Passes(sValid, right)) continue;
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
    static constexpr std::pair<Form, TTermKind> kCuts[] = {
        {fSum, TTermKind::Sum},
        {fDifference, TTermKind::Difference},
        {fProduct, TTermKind::Product},
        {fIntQuotient, TTermKind::IntQuotient},
        {fRemainder, TTermKind::Remainder},
        {fQuotient, TTermKind::Quotient},
        {fPower, TTermKind::Power},
    };
    for (const auto& [form, kind] : kCuts) {
        if (!NodeCut(form, r, node, last)) continue;
        node.kind = kind;
        double exponent = 0;
        if (kind == TTermKind::Power && IsNumber(node.right.begin, node.right.end, &exponent)) {
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
