#include "controls/GSensorMath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

int GraphRow(double value, double scale)
{
    const double offset = value * scale;
    if (!std::isfinite(offset))
        return kGraphZeroRow;
    // Far beyond any chart; keeps the conversion to int defined.
    constexpr double kLimit = 1.0e6;
    return kGraphZeroRow - static_cast<int>(std::trunc(std::clamp(offset, -kLimit, kLimit)));
}

GSensorLines GSensorSegments(std::span<const GSensorSample> series, int currentIndex, bool zoomed)
{
    const double scale = zoomed ? kZoomedScale : kNormalScale;
    const auto row = [&](std::int64_t i, double GSensorSample::*axis) {
        if (i < 0 || i >= static_cast<std::int64_t>(series.size()))
            return kGraphZeroRow;
        return GraphRow(series[static_cast<std::size_t>(i)].*axis, scale);
    };
    GSensorLines lines{};
    for (int k = 0; k < 20; ++k) {
        const int x = 34 + 9 * k;
        const std::int64_t i0 = std::int64_t{currentIndex} + k - 9;
        const std::int64_t i1 = i0 + 1;
        lines.x[k] = {x - 9, row(i0, &GSensorSample::x), x, row(i1, &GSensorSample::x)};
        lines.y[k] = {x - 9, row(i0, &GSensorSample::y), x, row(i1, &GSensorSample::y)};
        lines.z[k] = {x - 9, row(i0, &GSensorSample::z), x, row(i1, &GSensorSample::z)};
    }
    return lines;
}
