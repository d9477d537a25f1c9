#pragma once
// The speed meter's needle for every value 0..120, generated at build time by vindrel_needle_gen
// (tools/needle) from the needle's geometry. Entry v is a list of 5-byte records
// (x, y, blue, green, red) ending with a record whose first two bytes are 0; record (x, y) is
// drawn at (x + 5, y) of the meter.

#include <QColor>

#include <cstdint>
#include <vector>

inline constexpr int kNeedleEntryCount = 121;
inline constexpr int kNeedleRecordSize = 5;
inline constexpr int kNeedleXOffset = 5;

extern const std::uint8_t* const kNeedleTable[kNeedleEntryCount];

/// One needle pixel in meter coordinates.
struct NeedlePixel {
    int x;
    int y;
    QColor colour;

    friend bool operator==(const NeedlePixel&, const NeedlePixel&) = default;
};

/// The pixels of the needle for `value` (an index 0..120; any other value gives none).
std::vector<NeedlePixel> NeedlePixels(int value);
