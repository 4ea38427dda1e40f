// Decimal floating-point numbers read and written with "." as the point, whatever the locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvalen::core {

// The whole text as one number in from_chars' general form: an optional "-", digits with an
// optional "." (".5" and "5." included) and an optional exponent, or "inf", "infinity", "nan" and
// "nan(…)" in any case. Nullopt for anything else (a "+", blanks, hexadecimal, a half exponent) and
// for a finite number beyond the type's range or so small that it reads as 0.
std::optional<double> read_decimal(std::string_view text);
std::optional<long double> read_long_decimal(std::string_view text);

// The value as printf's "%.{significant}g" writes it in the C locale.
std::string write_general(double value, int significant);

// A finite value in plain fixed notation with the fewest decimals that read back exactly.
std::string write_shortest_fixed(double value);

}  // namespace morvalen::core
