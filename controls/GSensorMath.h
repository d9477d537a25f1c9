#pragma once
// Where the G-sensor chart draws its three polylines: 20 segments around the current sample, one
// grid column (9 pixels) per sample, zero on row 89.

#include "gps/GpsTypes.h"

#include <array>
#include <span>

/// One drawn line, from (x0, y0) to (x1, y1) in the chart's pixels.
struct GraphSegment {
    int x0, y0, x1, y1;
};

/// The lines of one axis, left to right.
using AxisSegments = std::array<GraphSegment, 20>;

/// The chart's lines for x, y and z (in that drawing order).
struct GSensorLines {
    AxisSegments x, y, z;
};

inline constexpr int kGraphZeroRow = 89;
inline constexpr double kZoomedScale = 3.0;  ///< pixels per unit after "+"
inline constexpr double kNormalScale = 1.2;  ///< pixels per unit after "-"

/// The chart row of one value: 89 - trunc(value x scale). Values that are not finite lie on the
/// zero line; very large values are held far outside the chart instead of overflowing.
int GraphRow(double value, double scale);

/// Segment k (0..19) runs from x = 25 + 9k to 34 + 9k, between samples currentIndex + k - 9 and
/// currentIndex + k - 8; a sample outside the series lies on the zero line.
GSensorLines GSensorSegments(std::span<const GSensorSample> series, int currentIndex, bool zoomed);
