#pragma once

#include <string_view>

// The number test of the rate-law language: "PI", "-PI" or a numeral.
// Classic syntax: an optional sign, digits, an optional "." with at least one
// digit, an optional exponent "E" with an optional sign and at least one digit;
// "." is the separator whatever the locale. Otherwise the program's locale
// number conversion decides. Numerals too large for a double are no numbers.
bool ReadNumber(std::string_view text, bool classicFormat, double& value);

// Characters that can occur in a numeral of either syntax (a quick filter).
bool IsNumeralChar(char c) noexcept;
