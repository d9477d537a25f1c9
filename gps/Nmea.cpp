#include "Nmea.h"

#include <array>
#include <charconv>
#include <cmath>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// A whole field as a plain decimal number: digits with at most one '.', an optional leading '-'.
bool Number(std::string_view field, double* value)
{
    if (field.empty() || field.size() > 32)
        return false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (!((c >= '0' && c <= '9') || c == '.' || (c == '-' && i == 0)))
            return false;
    }
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), *value);
    return ec == std::errc() && end == field.data() + field.size() && std::isfinite(*value);
}

bool Digits(std::string_view s, std::size_t at, std::size_t n, int* value)
{
    if (s.size() < at + n)
        return false;
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9')
            return false;
        v = v * 10 + (s[i] - '0');
    }
    *value = v;
    return true;
}

// hhmmss or hhmmss.sss
bool TimeOfDay(std::string_view f, double* seconds)
{
    int h = 0, m = 0;
    double s = 0;
    if (f.size() < 6 || !Digits(f, 0, 2, &h) || !Digits(f, 2, 2, &m) || !Number(f.substr(4), &s))
        return false;
    if (h > 23 || m > 59 || s < 0 || s >= 61)
        return false;
    *seconds = h * 3600.0 + m * 60.0 + s;
    return true;
}

// A coordinate field and its hemisphere letter, as signed decimal degrees.
bool Coordinate(std::string_view value, std::string_view letter, char positive, char negative, double maxDegrees,
                double* degrees)
{
    double v = 0;
    if (!Number(value, &v) || v < 0 || letter.size() != 1 || (letter[0] != positive && letter[0] != negative))
        return false;
    if (std::fmod(v, 100.0) >= 60.0)
        return false;
    const double d = DegreesFromNmea(v);
    if (d > maxDegrees)
        return false;
    *degrees = letter[0] == negative ? -d : d;
    return true;
}

}  // namespace

std::int64_t DaysFromCivil(int year, int month, int day)
{
    // The civil-from-days inverse: years start in March so the leap day comes last.
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = unsigned(year - era * 400);
    const unsigned doy = unsigned((153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1);
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

double DegreesFromNmea(double ddmm)
{
    const double degrees = std::trunc(ddmm / 100.0);
    return degrees + std::fmod(ddmm, 100.0) / 60.0;
}

NmeaResult ReadNmeaSentence(std::string_view s, NmeaFix* fix)
{
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
        s.remove_suffix(1);
    if (s.size() < 6 || s[0] != '$')
        return NmeaResult::Other;
    const std::string_view type = s.substr(3, 3);
    const bool rmc = type == "RMC";
    if (!rmc && type != "GGA")
        return NmeaResult::Other;

    std::string_view body = s.substr(1);
    if (const std::size_t star = body.find('*'); star != std::string_view::npos) {
        if (body.size() - star != 3)
            return body.size() - star < 3 ? NmeaResult::Truncated : NmeaResult::Malformed;
        const int hi = HexValue(body[star + 1]), lo = HexValue(body[star + 2]);
        if (hi < 0 || lo < 0)
            return NmeaResult::Malformed;
        unsigned sum = 0;
        for (std::size_t i = 0; i < star; ++i)
            sum ^= std::uint8_t(body[i]);
        if (sum != unsigned(hi * 16 + lo))
            return NmeaResult::BadChecksum;
        body = body.substr(0, star);
    }

    std::array<std::string_view, 16> f{};
    std::size_t n = 0;
    while (n < f.size()) {
        const std::size_t comma = body.find(',');
        f[n++] = body.substr(0, comma);
        if (comma == std::string_view::npos)
            break;
        body.remove_prefix(comma + 1);
    }

    NmeaFix out;
    out.rmc = rmc;
    if (rmc) {
        // 1 time, 2 status, 3-4 latitude, 5-6 longitude, 7 knots, 8 course, 9 date
        if (n < 10)
            return NmeaResult::Truncated;
        if (f[2] != "A" && f[2] != "V")
            return NmeaResult::Malformed;
        out.hasTime = TimeOfDay(f[1], &out.secondOfDay);
        int d = 0, m = 0, y = 0;
        if (f[9].size() == 6 && Digits(f[9], 0, 2, &d) && Digits(f[9], 2, 2, &m) && Digits(f[9], 4, 2, &y) && d >= 1 &&
            d <= 31 && m >= 1 && m <= 12) {
            out.hasDate = true;
            out.day = DaysFromCivil(2000 + y, m, d);
        }
        if (f[2] == "A") {
            double knots = 0;
            if (!Coordinate(f[3], f[4], 'N', 'S', 90, &out.latitude) ||
                !Coordinate(f[5], f[6], 'E', 'W', 180, &out.longitude))
                return NmeaResult::Malformed;
            if (!f[7].empty() && (!Number(f[7], &knots) || knots < 0 || knots > 10000))
                return NmeaResult::Malformed;
            out.kmh = knots * 1.852;
            out.valid = true;
        }
    } else {
        // 1 time, 2-3 latitude, 4-5 longitude, 6 quality, 7 satellites, 8 HDOP, 9 altitude
        if (n < 7)
            return NmeaResult::Truncated;
        out.hasTime = TimeOfDay(f[1], &out.secondOfDay);
        int quality = 0;
        if (f[6].size() != 1 || !Digits(f[6], 0, 1, &quality))
            return NmeaResult::Malformed;
        if (quality > 0) {
            if (!Coordinate(f[2], f[3], 'N', 'S', 90, &out.latitude) ||
                !Coordinate(f[4], f[5], 'E', 'W', 180, &out.longitude))
                return NmeaResult::Malformed;
            out.valid = true;
            if (n > 9)
                Number(f[9], &out.altitude);
        }
    }
    *fix = out;
    return NmeaResult::Ok;
}
