#pragma once
// Shared types of the recording data: one decoded GPS record, one G-sensor reading, and how
// usable a recording's GPS log is.

#include <QString>

#include <cstdint>

/// One decoded GPS record. Coordinates stay text from parsing to the map page: the page
/// receives exactly these characters.
struct GpsSample {
    QString latitude = QStringLiteral("0.0");   ///< decimal degrees, "%f", "-" for south
    QString longitude = QStringLiteral("0.0");  ///< decimal degrees, "%f", "-" for west
    QString hemispheres;                        ///< 0 to 2 letters, latitude's then longitude's (e.g. "NE")
    std::int32_t speed = 0;                     ///< km/h as the speed meter shows it

    friend bool operator==(const GpsSample&, const GpsSample&) = default;
};

/// One G-sensor reading, fields 8 to 10 of a record, unscaled.
struct GSensorSample {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;

    friend bool operator==(const GSensorSample&, const GSensorSample&) = default;
};

/// How usable a recording's GPS log is; decides between the map page and the status pages.
enum GpsStatus : std::int32_t {
    NoGpsFile = 0,   ///< no GPS log could be opened
    GpsPresent = 1,  ///< GPS data usable, the map is shown
    NoGpsInfo = 2,   ///< a log exists but fewer than 20 % of its records are valid fixes
};

/// "NoGpsFile", "GpsPresent" or "NoGpsInfo"; "Unknown" for any other value.
const char* GpsStatusName(GpsStatus status);
