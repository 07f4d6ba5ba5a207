#pragma once

#include <optional>
#include <string>
#include <string_view>

// Decimal numbers read and written the same way on every machine and in
// WebAssembly, whatever the C library's locale: the page and the command
// line must write the same bytes for the same numbers.
namespace labo {

// "64.2", "64,2", "-3", ".5", "1e3": a decimal number with a point or a
// comma. Anything else (empty, "nan", "inf", "0x10", "1.2.3", trailing
// text) gives nothing, as does a value too large for a double.
std::optional<double> ParseDecimal(std::string_view text);

// A number as someone types it, in a field or a link: what ParseDecimal
// reads, and also with its thousands set apart by a space, a no-break space
// or a narrow no-break space ("2 620,1", as French writes them), with a
// minus sign (U+2212) for the hyphen, and blanks around it.
std::optional<double> ParseTypedDecimal(std::string_view text);

// x rounded to `decimals` places, with `separator` before them: "-0,5000".
// No sign is written for a value that rounds to zero.
std::string FormatFixed(double x, int decimals, char separator);

// The shortest of FormatFixed(x, 0 to 9, separator) that ParseDecimal reads
// back as x; 9 places if none does.
std::string FormatShortest(double x, char separator);

}  // namespace labo
