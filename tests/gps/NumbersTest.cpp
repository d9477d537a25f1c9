// C-locale number reading and writing, checked against the C library itself in the "C" locale.

#include "gps/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <string>

namespace {

// The reference: glibc's strtod with an explicit "C" locale, which is what atof is there.
double ReferenceAtof(const std::string& text)
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text.c_str(), nullptr, c);
}

void ExpectSameDouble(double expected, double actual, const std::string& input)
{
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << "input \"" << input << "\"";
        return;
    }
    EXPECT_EQ(expected, actual) << "input \"" << input << "\"";
    EXPECT_EQ(std::signbit(expected), std::signbit(actual)) << "input \"" << input << "\"";
}

}  // namespace

TEST(NumbersTest, ReadsPrefixesLikeAtofInTheCLocale)
{
    const std::string inputs[] = {
        "",
        " ",
        "x",
        ".",
        "-",
        "+",
        "+-1",
        "-+1",
        "--1",
        "1..2",
        "5,5",
        "12.5e3x",
        "2235.0897",
        "   12.5x",
        "\t\n\v\f\r 7",
        "-.5",
        "+3",
        "+.e1",
        "1.",
        "-0",
        "-0.0",
        "007",
        "1e3",
        "1E3",
        "1e",
        "1e+",
        "1e-",
        "1e-2",
        "1e+2x",
        "1.5e",
        "e5",
        ".e5",
        "1.e5",
        "0x1A",
        "0X1a.8p1",
        "-0x10",
        "0x",
        "0xg",
        "0x.",
        "0x.8",
        "0x1p",
        "0x1p-",
        "0x1P4",
        "inf",
        "-INFINITY",
        "infinit",
        "Infinity!",
        "in",
        "nan",
        "-nan",
        "nan(123)",
        "NaN(abc",
        "nan()",
        "nanx",
        "1e400",
        "-1e400",
        "1e-400",
        "-1e-400",
        "4.9e-324",
        "2.4e-324",
        "2.2250738585072014e-308",
        "1.7976931348623157e308",
        "1.7976931348623159e308",
        "0x1p-1080",
        "0x1p2000",
        "-0x1p2000",
        "1e99999999999999999999",
        "1e-99999999999999999999",
        "0e999999",
        "0.0000e-99999",
        "\xd9\xa1",
        "\xc2\xa0"
        "5",
        "0.1",
        "0.2",
        "0.3",
        "37.6",
        "20.51",
    };
    for (const std::string& input : inputs)
        ExpectSameDouble(ReferenceAtof(input), ReadDecimalPrefix(input), input);
}

TEST(NumbersTest, ReadsIntegerPrefixesLikeAtoi)
{
    // Within 32 bits the C library is the reference; beyond them atoi is undefined and the
    // reader saturates.
    for (const char* input :
         {"", "x", "-", "+7", " \t-12.9", "1e2", "0x1A", "007", "2147483647", "-2147483648", "+-1", "12,5", "\xd9\xa1"})
        EXPECT_EQ(std::atoi(input), ReadIntegerPrefix(input)) << "input \"" << input << "\"";
    EXPECT_EQ(2147483647, ReadIntegerPrefix("2147483648"));
    EXPECT_EQ(-2147483647 - 1, ReadIntegerPrefix("-99999999999999999999999"));
}

TEST(NumbersTest, ReadsTenThousandDigitFields)
{
    const std::string huge = "1" + std::string(9999, '0');
    const std::string tiny = "0." + std::string(9998, '0') + "1";
    const std::string padded = std::string(9990, '0') + "2235.0897";
    const std::string longFraction = "2235." + std::string(9990, '0') + "1x";
    const std::string manyDigits = std::string(5000, '9') + "e-4990";
    for (const std::string& input : {huge, tiny, padded, longFraction, manyDigits})
        ExpectSameDouble(ReferenceAtof(input), ReadDecimalPrefix(input), input.substr(0, 20) + "...");
    EXPECT_TRUE(std::isinf(ReadDecimalPrefix(huge)));
    EXPECT_EQ(2235.0897, ReadDecimalPrefix(padded));
}

TEST(NumbersTest, FormatsLikePrintfPercentF)
{
    const double values[] = {0.0,
                             -0.0,
                             22.584828333,
                             113.92195666,
                             -33.5,
                             1.0 / 3.0,
                             5e-7,
                             1.5e-6,
                             2.5e-6,
                             0.0000025,
                             123456789.1234565,
                             1e300,
                             -1.7976931348623157e308,
                             4.9e-324,
                             999999.9999995};
    for (double v : values) {
        char expected[512];
        std::snprintf(expected, sizeof expected, "%f", v);  // the test process is in the C locale
        EXPECT_EQ(std::string(expected), FormatFixed6(v)) << v;
    }
}

TEST(NumbersTest, IgnoresAGermanProcessLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    // Under this locale the C library itself reads "37.6" as 37.
    const double libraryRead = std::atof("37.6");
    const double read = ReadDecimalPrefix("37.6");
    const std::string written = FormatFixed6(22.584828333);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(37.0, libraryRead);
    EXPECT_EQ(37.6, read);
    EXPECT_EQ("22.584828", written);
}
