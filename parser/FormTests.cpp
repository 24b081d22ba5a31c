#include "FormTests.h"

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
constexpr int kMaxDepth = 200;

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
            if (text_[i] == kChars[op]) ops_[op].push_back(key(i));
        if (text_.compare(static_cast<size_t>(i), 3, "DIV") == 0) ops_[oDiv].push_back(key(i));
        if (text_.compare(static_cast<size_t>(i), 3, "MOD") == 0) ops_[oMod].push_back(key(i));
    }
    for (auto& list : ops_)
        std::sort(list.begin(), list.end());
    slots_.resize(1024);
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

TFormTests::Slot* TFormTests::FindSlot(std::uint64_t key) {
    const size_t mask = slots_.size() - 1;
    for (size_t i = (key * 0x9E3779B97F4A7C15ull) >> 20 & mask;; i = (i + 1) & mask) {
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
    size_t i = (key * 0x9E3779B97F4A7C15ull) >> 20 & mask;
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
    if (a >= b || !IsLetter(text_[a]) || identEnd_[a] < b) return false;
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
    // each from the top of a fresh descent; the cache then holds them.
    std::vector<TooDeep> pending{{form, r.begin, r.end}};
    for (;;) {
        try {
            depth_ = 0;
            const TooDeep& q = pending.back();
            const bool result = Test(q.form, q.begin, q.end);
            if (pending.size() == 1) return result;
            pending.pop_back();
        } catch (const TooDeep& deeper) {
            pending.push_back(deeper);
        }
    }
}

bool TFormTests::Test(Form form, int a, int b) {
    if (form == fVariable) return IsVariable(a, b);
    if (form == fNumber) return IsNumber(a, b);
    if (!Plausible(a, b)) return false;

    const std::uint64_t key =
        (static_cast<std::uint64_t>(a + 1) << 32) | static_cast<std::uint32_t>(b);
    const std::uint32_t bit = 1u << form;
    if (const Slot* s = FindSlot(key); s && (s->known & bit)) return (s->value & bit) != 0;

    if (depth_ >= kMaxDepth) throw TooDeep{form, a, b};
    ++depth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{depth_};
    const bool result = Compute(form, a, b);

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
        for (int i = 0; i < list.count; ++i)
            if (Test(list.forms[i], a, b)) return true;
        return false;
    }
    }
}

bool TFormTests::ComputeCut(Form form, int a, int b) {
    const CutRule rule = RuleOf(form);
    if (rule.word) {
        // The word is found anywhere, also inside longer names; one at the
        // start is passed over.
        const Op op = rule.word[0] == 'D' ? oDiv : oMod;
        for (Cursor c = FirstAtLevel(op, a, a + 1);; ++c.index) {
            const int p = PositionAt(c, a, b - 2);
            if (p < 0) return false;
            if (Test(rule.left, a, p) && Test(rule.right, p + 3, b)) return true;
        }
    }
    // An operator in the first position ends the test, except that a
    // difference passes over a leading minus sign (it is the sign of the left
    // operand); one in the last position leaves nothing to its right.
    if (text_[a] == rule.op && form != fDifference) return false;
    static constexpr Op kOps[] = {oPlus, oMinus, oTimes, oSlash, oCaret};
    const Op op = kOps[form == fSum          ? 0
                       : form == fDifference ? 1
                       : form == fProduct    ? 2
                       : form == fQuotient   ? 3
                                             : 4];
    for (Cursor c = FirstAtLevel(op, a, a + 1);; ++c.index) {
        const int p = PositionAt(c, a, b - 1);
        if (p < 0) return false;
        if (Test(rule.left, a, p) && Test(rule.right, p + 1, b)) return true;
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
        if (comma < 0) return false;
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
