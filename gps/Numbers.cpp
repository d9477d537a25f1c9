#include "Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

// The prefix is found by a scanner of our own that follows the C grammar of strtod; the value
// of that prefix comes from std::from_chars, which is locale-independent by definition. The
// scanner also tells whether an out-of-range value is too large or too small, because
// from_chars leaves its result untouched in that case where strtod answers inf or 0.

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::size_t pos, std::string_view word)
{
    if (s.size() - pos < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(s[pos + i]) != word[i])
            return false;
    return true;
}

// Saturating so that "1e99999999999999999999" cannot overflow; far beyond any double's range.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// An exponent "<marker>[+-]digits" at pos. Returns the position after it, or pos when there is
// none (a marker without digits is not part of the number).
std::size_t ScanExponent(std::string_view s, std::size_t pos, char marker, std::int64_t* exponent)
{
    *exponent = 0;
    if (pos >= s.size() || Lower(s[pos]) != marker)
        return pos;
    std::size_t i = pos + 1;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= s.size() || !IsDigit(s[i]))
        return pos;
    std::int64_t value = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i)
        if (value < kExponentLimit)
            value = value * 10 + (s[i] - '0');
    *exponent = negative ? -value : value;
    return i;
}

// A run of digits with at most one '.', at pos. Counts what the overflow direction needs:
// the digits before the point from the first non-zero one, the zeros after the point before
// the first non-zero digit, and whether any digit is non-zero.
struct Mantissa {
    std::size_t end = 0;
    std::size_t digits = 0;
    std::int64_t leadingMagnitude = 0;  // position of the first non-zero digit, in digits
    bool nonZero = false;
};

Mantissa ScanMantissa(std::string_view s, std::size_t pos, bool hex)
{
    Mantissa m;
    std::size_t i = pos;
    std::int64_t intSignificant = 0;
    std::int64_t fracZeros = 0;
    auto isDigit = [hex](char c) { return hex ? IsHexDigit(c) : IsDigit(c); };
    for (; i < s.size() && isDigit(s[i]); ++i) {
        ++m.digits;
        if (s[i] != '0')
            m.nonZero = true;
        if (m.nonZero && intSignificant < kExponentLimit)
            ++intSignificant;
    }
    if (i < s.size() && s[i] == '.') {
        std::size_t j = i + 1;
        bool fracNonZero = false;
        for (; j < s.size() && isDigit(s[j]); ++j) {
            ++m.digits;
            if (s[j] != '0')
                fracNonZero = true;
            if (!m.nonZero && !fracNonZero && fracZeros < kExponentLimit)
                ++fracZeros;
        }
        m.nonZero = m.nonZero || fracNonZero;
        i = j;  // a lone '.' after digits belongs to the number ("5." is 5)
    }
    m.end = i;
    m.leadingMagnitude = intSignificant > 0 ? intSignificant : -fracZeros;
    return m;
}

double OutOfRange(bool negative, bool tooLarge)
{
    double v = tooLarge ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -v : v;
}

}  // namespace

std::int32_t ReadIntegerPrefix(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsCSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        negative = s[i++] == '-';
    // Accumulated as a negative number so that the lowest value fits; saturates on the way.
    constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
    std::int64_t value = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        value = value * 10 - (s[i] - '0');
        if (value < kLowest)
            value = kLowest - 1;  // stays below the range however many digits follow
    }
    if (negative)
        return value < kLowest ? std::numeric_limits<std::int32_t>::min() : std::int32_t(value);
    return -value > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                             : std::int32_t(-value);
}

double ReadDecimalPrefix(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size() && IsCSpace(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t body = i;

    if (StartsWithNoCase(s, body, "inf"))
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    if (StartsWithNoCase(s, body, "nan"))
        return negative ? -std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::quiet_NaN();

    // Hexadecimal: "0x" followed by at least one hex digit (before or after the point);
    // otherwise the number is the "0" alone.
    if (body + 1 < s.size() && s[body] == '0' && Lower(s[body + 1]) == 'x') {
        Mantissa m = ScanMantissa(s, body + 2, true);
        if (m.digits > 0) {
            std::int64_t exponent = 0;
            std::size_t end = ScanExponent(s, m.end, 'p', &exponent);
            double value = 0.0;
            auto [ptr, ec] = std::from_chars(s.data() + body + 2, s.data() + end, value, std::chars_format::hex);
            if (ec == std::errc::result_out_of_range)
                return OutOfRange(negative, m.leadingMagnitude * 4 + exponent > 0);
            if (ec != std::errc())
                return 0.0;
            return negative ? -value : value;
        }
        return negative ? -0.0 : 0.0;
    }

    Mantissa m = ScanMantissa(s, body, false);
    if (m.digits == 0)
        return 0.0;  // no number: atof reads 0
    std::int64_t exponent = 0;
    std::size_t end = ScanExponent(s, m.end, 'e', &exponent);
    double value = 0.0;
    auto [ptr, ec] = std::from_chars(s.data() + body, s.data() + end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        return OutOfRange(negative, m.nonZero && m.leadingMagnitude + exponent > 0);
    if (ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

std::string FormatFixed6(double value)
{
    // The widest result, -DBL_MAX, is 1 + 309 + 1 + 6 characters.
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (ec != std::errc())
        return std::string();
    return std::string(buffer, end);
}

bool TruncToInt64(double value, std::int64_t* result)
{
    // Both bounds are exactly +/-2^63; NaN fails both comparisons.
    if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0))
        return false;
    *result = static_cast<std::int64_t>(value);
    return true;
}
