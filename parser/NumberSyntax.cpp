#include "NumberSyntax.h"

#include "FloatText.h"

#include <numbers>
#include <string>

namespace {

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

bool ReadClassic(std::string_view text, double& value) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    std::string plain;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    size_t digits = 0;
    plain += '0'; // "E5" and ".5" read with a zero in front
    while (i < n && IsDigit(text[i])) {
        plain += text[i++];
        ++digits;
    }
    if (i < n && text[i] == '.') {
        plain += text[i++];
        size_t fraction = 0;
        while (i < n && IsDigit(text[i])) {
            plain += text[i++];
            ++fraction;
        }
        if (fraction == 0) return false;
        digits += fraction;
    }
    bool exponent = false;
    if (!ScanExponent(text, i, plain, exponent)) return false;
    // A lone sign (or nothing) is no numeral: "A*-" must not read as A*0.
    if (i != n || (digits == 0 && !exponent)) return false;

    return ConvertCNumeral(plain, value);
}

} // namespace

bool IsNumeralChar(char c) noexcept {
    return IsDigit(c) || c == '.' || c == '+' || c == '-' || c == 'E' || c == 'e' || c == ' ' ||
           c == '\t' || c == DecimalSeparator();
}

bool StartsWithSignedBareExponent(std::string_view text) noexcept {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    return i + 1 < n && (text[i] == 'E' || text[i] == 'e') &&
           (text[i + 1] == '+' || text[i + 1] == '-');
}

bool ReadNumber(std::string_view text, bool classicFormat, double& value, bool nameEBound) {
    if (text == "PI") {
        value = std::numbers::pi;
        return true;
    }
    if (text == "-PI") {
        value = -std::numbers::pi;
        return true;
    }
    // (The locale conversion wants a digit before the exponent anyway.)
    if (nameEBound && StartsWithSignedBareExponent(text)) return false;
    if (classicFormat) return ReadClassic(text, value);
    return TryTextToFloat(std::string(text), value);
}
