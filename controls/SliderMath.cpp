#include "controls/SliderMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct Axis {
    int length;
    int thumb;
    int marginLow;
    int marginHigh;
};

Axis AlongTrack(const SliderGeometry& g)
{
    if (g.vertical)
        return {g.height, g.thumbHeight, g.marginTop, g.marginBottom};
    return {g.width, g.thumbWidth, g.marginLeft, g.marginRight};
}

// Truncates toward zero into an int, saturating instead of overflowing.
int TruncToInt(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::trunc(std::clamp(v, lo, hi)));
}

int SaturateInt(std::int64_t v)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

int HalfThumb(const SliderGeometry& g) { return AlongTrack(g).thumb / 2; }

int TrackLength(const SliderGeometry& g)
{
    const Axis a = AlongTrack(g);
    return SaturateInt(std::int64_t{a.length} - a.marginLow - a.marginHigh - a.thumb);
}

int PositionToPixel(const SliderGeometry& g, int position)
{
    const Axis a = AlongTrack(g);
    const int half = a.thumb / 2;
    const int length = TrackLength(g);
    const double span = double(g.rangeMax) - double(g.rangeMin);
    int offset = 0;
    if (span != 0.0 && length > 0) {
        // Divide first, then multiply, as the slider always has; an out-of-range position is held
        // on the track.
        const double fraction = std::clamp((double(position) - double(g.rangeMin)) / span, 0.0, 1.0);
        offset = TruncToInt(fraction * length);
    }
    return SaturateInt(std::int64_t{a.marginLow} + offset + half);
}

int PixelToPosition(const SliderGeometry& g, int x)
{
    const Axis a = AlongTrack(g);
    const int half = a.thumb / 2;
    const int length = TrackLength(g);
    const double span = double(g.rangeMax) - double(g.rangeMin);
    if (span == 0.0 || length <= 0)
        return g.rangeMin;
    return TruncToInt((double(x) - half - a.marginLow) / length * span + g.rangeMin);
}

int ClampPosition(const SliderGeometry& g, std::int64_t value)
{
    if (value > g.rangeMax)
        value = g.rangeMax;
    if (value < g.rangeMin)
        value = g.rangeMin;
    return static_cast<int>(value);
}

int GrabOffset(const SliderGeometry& g, int pressX, int position)
{
    const std::int64_t d = std::int64_t{pressX} - PositionToPixel(g, position);
    return (d >= -HalfThumb(g) && d <= HalfThumb(g)) ? static_cast<int>(d) : 0;
}

int ClampTrackCoordinate(const SliderGeometry& g, std::int64_t x)
{
    const Axis a = AlongTrack(g);
    const int half = a.thumb / 2;
    const std::int64_t low = std::int64_t{a.marginLow} + half;
    const std::int64_t high = std::int64_t{a.length} - a.marginHigh - half;
    if (x < low)
        x = low;
    if (x > high)
        x = high;
    return SaturateInt(x);
}

std::int64_t KeyTarget(const SliderGeometry& g, SliderKey key, int position, int pageStep)
{
    switch (key) {
    case SliderKey::PageUp: return std::int64_t{position} - pageStep;
    case SliderKey::PageDown: return std::int64_t{position} + pageStep;
    case SliderKey::End: return g.rangeMax;
    case SliderKey::Home: return g.rangeMin;
    case SliderKey::Left:
    case SliderKey::Up: return std::int64_t{position} - 1;
    case SliderKey::Right:
    case SliderKey::Down: return std::int64_t{position} + 1;
    }
    return position;
}
