#pragma once

#include <string_view>

// The number test of the rate-law language: "PI", "-PI" or a numeral.
// Classic syntax: an optional sign, digits, an optional "." with at least one
// digit, an optional exponent "E" with an optional sign and at least one digit;
// "." is the separator whatever the locale. Otherwise the program's locale
// number conversion decides. Numerals too large for a double are no numbers.
//
// nameEBound: a variable named E is bound. A classic numeral may lack digits
// before its exponent ("E5" reads as 0), so "E-1" would read as the number 0
// and hide the variable E minus 1. Where E is bound the name wins: a text that
// begins (after an optional sign) with "E" and a sign is no numeral. Texts
// such as "E5" are another name (E5), not E, and keep the numeral rule.
bool ReadNumber(std::string_view text, bool classicFormat, double& value, bool nameEBound = false);

// Whether the text begins, after optional spaces and an optional sign, with
// the letter E followed by a sign: under the classic syntax a numeral with no
// digit before a signed exponent ("E-1", "-E+2"), where a bound variable E
// makes it the variable and an operator instead.
bool StartsWithSignedBareExponent(std::string_view text) noexcept;

// Characters that can occur in a numeral of either syntax (a quick filter).
bool IsNumeralChar(char c) noexcept;
