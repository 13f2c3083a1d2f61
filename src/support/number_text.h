#ifndef VIDO_SUPPORT_NUMBER_TEXT_H_
#define VIDO_SUPPORT_NUMBER_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

namespace vido {

// General decimal format used for every number the program writes into a cell or a
// file: `precision` significant digits (15 for "%g", 5 for "%.5g"), fixed notation
// when the magnitude is at least 0.00001 and the integer digits fit within the
// precision, scientific otherwise ("1E-6", "1.5E20"); trailing zeros removed.
std::string FormatGeneral(double value, int precision = 15);

// Decimal text with "." as separator: optional blanks, optional sign, digits with an
// optional point, optional exponent, optional blanks. Nothing when the text is not a
// number (hexadecimal, "inf" and "nan" are not numbers here).
std::optional<double> ParseReal(std::string_view text);

// Decimal 32-bit integer: optional leading blanks, optional sign, digits.
std::optional<int> ParseInteger(std::string_view text);

// The conversion messages of the cell readers.
std::string NotRealMessage(std::string_view text);     // "'%s' is not a valid floating point value"
std::string NotIntegerMessage(std::string_view text);  // "'%s' is not a valid integer value"

// printf with a std::string result, for the "%d"/"%.3f" patterns of the program's texts.
// The power of two that brings `largest` (a row's largest coefficient magnitude) into
// [1, 2); 1 for 0 or a value that is not finite. Multiplying by it is exact.
double UnitScale(double largest);

std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vido

#endif  // VIDO_SUPPORT_NUMBER_TEXT_H_
