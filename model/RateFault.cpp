#include "RateFault.h"

#include "CustomParser.h"
#include "Exception.h"
#include "ParameterRow.h"

#include <cctype>
#include <vector>

namespace {

bool NameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool NamePart(char c) {
    return NameStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string NameFault(const TCustomParser& parser, const std::string& text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            // A numeral, with its exponent: 2E5 and 1.5e-3 hold no name.
            while (i < text.size() &&
                   (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'))
                ++i;
            if (i + 1 < text.size() && (text[i] == 'E' || text[i] == 'e')) {
                std::size_t j = i + 1;
                if (text[j] == '+' || text[j] == '-') ++j;
                if (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
                    i = j;
                    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
                        ++i;
                }
            }
            continue;
        }
        if (!NameStart(c)) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && NamePart(text[i]))
            ++i;
        const std::string name = text.substr(start, i - start);
        const std::string upper = Upper(name);
        const bool call = i < text.size() && text[i] == '(';
        if (upper.find("DIV") != std::string::npos || upper.find("MOD") != std::string::npos)
            continue;
        if (call) {
            if (parser.FunctionsOneParam().contains(upper) ||
                parser.FunctionsTwoParam().contains(upper))
                continue;
            if (parser.HasVariable(name) || upper == "PI")
                return FormatMessage("'%s' is no function: write %s*(...) for a product",
                                     {name, name});
            return FormatMessage("unknown function '%s'", {name});
        }
        if (parser.HasVariable(name) || upper == "PI" ||
            parser.FunctionsOneParam().contains(upper) ||
            parser.FunctionsTwoParam().contains(upper))
            continue;
        return FormatMessage("unknown name '%s'", {name});
    }
    return {};
}

std::string BracketFault(const std::string& typed) {
    std::vector<std::size_t> open;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] == '(') open.push_back(i);
        if (typed[i] != ')') continue;
        if (open.empty())
            return FormatMessage("the bracket at position %s closes nothing",
                                 {std::to_string(i + 1)});
        open.pop_back();
    }
    if (!open.empty())
        return FormatMessage("the bracket at position %s is not closed",
                             {std::to_string(open.back() + 1)});
    return {};
}

} // namespace

std::string RateFault(const TCustomParser& parser, const std::string& typed) {
    std::string fault = NameFault(parser, RemoveBlanks(typed));
    if (fault.empty()) fault = BracketFault(typed);
    return fault;
}
