#pragma once
// Numbers in text, read and written the way the C library does in the "C" locale, whatever the
// process locale is: '.' is always the decimal separator. Nothing here reads or changes the
// locale, so the functions are safe on any thread.

#include <cstdint>
#include <string>
#include <string_view>

/// The number at the start of the text, as atof reads it in the C locale: leading blanks
/// (space, \t, \n, \v, \f, \r) are skipped, then the longest prefix that forms a number is
/// read: an optional sign, then a decimal number with optional exponent ("-.5", "+3", "1e3"),
/// a hexadecimal one ("0x1A", "0x1.8p1"), "inf"/"infinity" or "nan"/"nan(...)" in any case.
/// Text without such a prefix reads 0. Values too large for a double read as +/-infinity
/// ("1e400"), values too small as +/-0. Any length of text is fine.
double ReadDecimalPrefix(std::string_view text);

/// The integer at the start of the text, as atoi reads it: leading blanks skipped, an optional
/// sign, then decimal digits only ("1e2" reads 1, "0x1A" reads 0, "12.9" reads 12). Text without
/// digits reads 0. Where atoi's result is undefined (beyond 32 bits) the value saturates at the
/// 32-bit limits.
std::int32_t ReadIntegerPrefix(std::string_view text);

/// The value written as printf's "%f" does in the C locale: six decimals, '-' for negative
/// values (including -0), "inf"/"nan" for the non-finite ones.
std::string FormatFixed6(double value);

/// The integer part of a double (truncated toward zero) when it fits a 64-bit integer;
/// false for infinities, NaN and values outside the range.
bool TruncToInt64(double value, std::int64_t* result);
