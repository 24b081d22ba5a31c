#pragma once

#include <string>
#include <string_view>

// General number text: the shortest form of a value rounded to `digits`
// significant digits, plain between 0.0001 and 10^digits, scientific outside
// (1E-5, 1.5E-7, 1E15, 1.23456789012346E17), with the process-wide decimal
// separator. Not-a-number and infinities read "NAN", "INF" and "-INF".
std::string FloatToText(double value, int digits = 15);
// The same with a given decimal separator, for text that leaves the program in
// a fixed form whatever the user's separator (comma-separated values).
std::string FloatToText(double value, int digits, char separator);

// The reverse: optional blanks around an optional sign, digits with at most
// one decimal separator, an optional exponent. Anything else throws
// EConvertError "'%s' is not a valid floating point value".
double TextToFloat(const std::string& text);

// The same without the exception: false when the text is not a number.
bool TryTextToFloat(const std::string& text, double& value);

// Reads an optional exponent ("E" or "e", an optional sign, at least one
// digit) at text[i], appending it to `numeral` in the C form and moving i past
// it. `found` tells whether there was one; false when an "E" has no digits.
bool ScanExponent(std::string_view text, size_t& i, std::string& numeral, bool& found);

// Converts a numeral already in the C form ("-12.5e3", made by a caller that
// checked its own syntax) to a double. A value too large for a double is no
// number; one too small reads as zero of its sign.
bool ConvertCNumeral(const std::string& numeral, double& value);

// The decimal separator of every number text the program reads or writes.
// One value for the whole process; "." unless changed, so that model files
// move between machines.
char DecimalSeparator() noexcept;
void SetDecimalSeparator(char separator) noexcept;
