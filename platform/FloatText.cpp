#include "FloatText.h"

#include "Exception.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
std::atomic<char> gDecimalSeparator{'.'};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

char DecimalSeparator() noexcept {
    return gDecimalSeparator.load(std::memory_order_relaxed);
}

void SetDecimalSeparator(char separator) noexcept {
    gDecimalSeparator.store(separator, std::memory_order_relaxed);
}

std::string FloatToText(double value, int digits) {
    return FloatToText(value, digits, DecimalSeparator());
}

std::string FloatToText(double value, int digits, char sep) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    if (digits < 1) digits = 1;
    if (digits > 18) digits = 18;

    // Round to the wanted significant digits once; the exponent printed here
    // is the one of the rounded value (999999999999999.9 becomes 1E15).
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
    std::string s(buf);
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const size_t ePos = s.find('e');
    const int exponent = std::atoi(s.c_str() + ePos + 1);
    std::string mantissa;
    for (size_t i = 0; i < ePos; ++i)
        if (IsDigit(s[i])) mantissa += s[i];
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= -4 && exponent < digits) {
        if (exponent < 0) {
            out += '0';
            out += sep;
            out.append(static_cast<size_t>(-exponent - 1), '0');
            out += mantissa;
        } else {
            const size_t intDigits = static_cast<size_t>(exponent) + 1;
            if (mantissa.size() <= intDigits) {
                out += mantissa;
                out.append(intDigits - mantissa.size(), '0');
            } else {
                out += mantissa.substr(0, intDigits);
                out += sep;
                out += mantissa.substr(intDigits);
            }
        }
    } else {
        out += mantissa[0];
        if (mantissa.size() > 1) {
            out += sep;
            out += mantissa.substr(1);
        }
        out += 'E';
        out += std::to_string(exponent);
    }
    return out;
}

bool TryTextToFloat(const std::string& text, double& value) {
    const char sep = DecimalSeparator();
    size_t i = 0, n = text.size();
    while (i < n && IsBlank(text[i]))
        ++i;
    while (n > i && IsBlank(text[n - 1]))
        --n;

    // Rebuild the numeral with "." so that the conversion does not depend on
    // the C locale, checking the shape on the way.
    std::string plain;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    size_t mantissaDigits = 0;
    while (i < n && IsDigit(text[i])) {
        plain += text[i++];
        ++mantissaDigits;
    }
    if (i < n && text[i] == sep) {
        plain += '.';
        ++i;
        while (i < n && IsDigit(text[i])) {
            plain += text[i++];
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return false;
    bool exponent = false;
    if (!ScanExponent(std::string_view(text).substr(0, n), i, plain, exponent)) return false;
    if (i != n) return false;

    return ConvertCNumeral(plain, value);
}

bool ScanExponent(std::string_view text, size_t& i, std::string& numeral, bool& found) {
    found = false;
    const size_t n = text.size();
    if (i >= n || (text[i] != 'e' && text[i] != 'E')) return true;
    numeral += 'e';
    ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) numeral += text[i++];
    size_t digits = 0;
    while (i < n && IsDigit(text[i])) {
        numeral += text[i++];
        ++digits;
    }
    found = digits > 0;
    return found;
}

bool ConvertCNumeral(const std::string& numeral, double& value) {
    double result = 0;
    const char* last = numeral.data() + numeral.size();
    auto [ptr, ec] = std::from_chars(numeral.data(), last, result);
    if (ptr != last) return false;
    if (ec == std::errc::result_out_of_range) {
        if (std::abs(std::strtod(numeral.c_str(), nullptr)) > 1) return false;
        result = numeral[0] == '-' ? -0.0 : 0.0;
    } else if (ec != std::errc()) {
        return false;
    }
    value = result;
    return true;
}

double TextToFloat(const std::string& text) {
    double value = 0;
    if (!TryTextToFloat(text, value))
        throw EConvertError(FormatMessage("'%s' is not a valid floating point value", {text}));
    return value;
}
