#include "CustomParser.h"

#include "ParserErrors.h"
#include "TermListBuilder.h"

#include <algorithm>

namespace {

std::string UpperCase(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsIdentifier(const std::string& s) {
    const auto letter = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
    };
    if (s.empty() || !letter(s[0])) return false;
    return std::all_of(s.begin() + 1, s.end(),
                       [&](char c) { return letter(c) || (c >= '0' && c <= '9'); });
}

} // namespace

bool IsVariableName(const std::string& name) {
    return IsIdentifier(name);
}

bool SameVariableName(const std::string& a, const std::string& b) {
    return UpperCase(a) == UpperCase(b);
}

TCustomParser::TCustomParser() = default;

TCustomParser::~TCustomParser() = default;

void TCustomParser::FreeCompiledForm() {
    compiled_ = TCompiledForm{};
}

void TCustomParser::SetExpression(const std::string& text) {
    FreeCompiledForm();
    expression_ = text;
    if (text.empty()) return;
    try {
        Compile();
    } catch (const std::exception& e) {
        FreeCompiledForm();
        if (!OnParserError) throw;
        OnParserError(*this, e);
    }
}

void TCustomParser::Compile() {
    std::string text = UpperCase(expression_);
    const size_t first = text.find_first_not_of(' ');
    text = first == std::string::npos ? std::string()
                                      : text.substr(first, text.find_last_not_of(' ') - first + 1);
    if (text.find(' ') != std::string::npos) throw EExpressionHasBlanks();
    if (std::count(text.begin(), text.end(), '(') != std::count(text.begin(), text.end(), ')'))
        throw EMissMatchingBracket();

    TFormTests tests(std::move(text), variables_, functions1_, functions2_, classicNumberformat_);
    const TTextRange whole =
        tests.StripBrackets(TTextRange{0, static_cast<int>(tests.Text().size())});
    TTermListBuilder builder(tests);
    compiled_ = builder.Build(whole);
}

double TCustomParser::GetValue() {
    return compiled_.program.Run();
}

double* TCustomParser::LetterCell(const std::string& upperName) {
    if (upperName.size() != 1) return nullptr;
    switch (upperName[0]) {
    case 'A':
        return &fA;
    case 'B':
        return &fB;
    case 'C':
        return &fC;
    case 'D':
        return &fD;
    case 'E':
        return &fE;
    case 'X':
        return &fX;
    case 'Y':
        return &fY;
    case 'T':
        return &fT;
    default:
        return nullptr;
    }
}

double* TCustomParser::DefineVariable(const std::string& name, double value) {
    const std::string upper = UpperCase(name);
    if (const auto it = variables_.find(upper); it != variables_.end()) {
        *it->second = value;
        return it->second;
    }
    double* cell = LetterCell(upper);
    if (!cell) {
        if (!IsIdentifier(upper)) throw EBadName(upper);
        ownedVariables_.push_back(std::make_unique<double>(0));
        cell = ownedVariables_.back().get();
    }
    *cell = value;
    variables_.emplace(upper, cell);
    return cell;
}

double TCustomParser::VariableValue(const std::string& name) const {
    const auto it = variables_.find(UpperCase(name));
    return it == variables_.end() ? 0 : *it->second;
}

bool TCustomParser::HasVariable(const std::string& name) const {
    return variables_.contains(UpperCase(name));
}

void TCustomParser::RemoveVariables() {
    SetExpression(std::string());
    variables_.clear();
    ownedVariables_.clear();
}

void TCustomParser::AddFunctionOneParam(const std::string& name, TMathProcedure operation) {
    if (!functions1_.emplace(name, operation).second)
        throw EDuplicateFunction(FormatMessage("Function %s is already defined", {name}));
}

void TCustomParser::AddFunctionTwoParam(const std::string& name, TMathProcedure operation) {
    if (!functions2_.emplace(name, operation).second)
        throw EDuplicateFunction(FormatMessage("Function %s is already defined", {name}));
}
