#pragma once
// NMEA 0183 sentences as GPS receivers write them: "$GPRMC,083000.00,A,2235.0897,N,11355.3174,E,
// 20.3,35.0,140326,,,A*6B". Only the two that carry a position are read: RMC (status A/V,
// position, speed over ground in knots, UTC date and time) and GGA (UTC time, position, fix
// quality, altitude). Any talker ("GP", "GN", "GL", ...) is accepted.

#include <cstdint>
#include <string_view>

/// How reading one sentence ended.
enum class NmeaResult {
    Ok,           ///< an RMC or GGA sentence, read
    Other,        ///< a sentence of another kind, or no sentence at all; nothing to read
    BadChecksum,  ///< the *hh checksum does not match the sentence
    Truncated,    ///< the sentence ends before the fields it needs
    Malformed,    ///< a field is not what its place demands (letters, numbers, ranges)
};

/// What one RMC or GGA sentence says.
struct NmeaFix {
    bool rmc = false;      ///< RMC (speed and date), else GGA
    bool valid = false;    ///< RMC status A, or GGA fix quality above 0
    double latitude = 0;   ///< signed decimal degrees (south negative)
    double longitude = 0;  ///< signed decimal degrees (west negative)
    double kmh = 0;        ///< RMC only: speed over ground, knots x 1.852
    double altitude = 0;   ///< GGA only, metres
    bool hasTime = false;
    double secondOfDay = 0;  ///< UTC, from hhmmss.ss
    bool hasDate = false;
    std::int64_t day = 0;  ///< RMC only: days since 1970-01-01 of the DDMMYY date
};

/// Reads one sentence: text from '$' to the end of the line (the line end may be there or not).
/// The checksum, when the sentence has one, must match.
NmeaResult ReadNmeaSentence(std::string_view sentence, NmeaFix* fix);

/// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(int year, int month, int day);

/// "ddmm.mmmm" as a number to decimal degrees: 2235.0897 -> 22.584828...
double DegreesFromNmea(double ddmm);
