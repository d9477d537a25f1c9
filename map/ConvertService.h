#pragma once
// The built-in provider's coordinate-conversion service. Its map is drawn in WGS-84, so raw GPS
// points (from=1) come back unchanged in the map's own frame (to=5).

#include <QByteArray>
#include <QUrlQuery>

/// Status codes of a conversion answer.
enum ConvertStatus : int {
    ConvertOk = 0,
    ConvertNoKey = 101,         ///< ak missing or empty
    ConvertBadFrom = 21,        ///< from is not 1
    ConvertBadTo = 22,          ///< to is not 5
    ConvertBadCoords = 24,      ///< coords missing or not "x,y;x,y..." with finite numbers
    ConvertTooManyCoords = 25,  ///< more than kMaxConvertPoints points
};

/// Points one request may carry.
inline constexpr int kMaxConvertPoints = 100;

struct ConvertAnswer {
    int status = ConvertOk;
    /// JavaScript that calls the requested callback with {status, result:[{x,y},...]}; plain JSON
    /// when the callback is missing or is not a plain script name (it is never echoed then).
    QByteArray body;
};

/// Answers one /geoconv/v1/ request.
ConvertAnswer AnswerConversion(const QUrlQuery& query);
