#pragma once
// Position and pixel arithmetic of the bitmap slider, free of any window: the slider widget keeps
// one SliderGeometry and asks these functions where its thumb goes and what a pointer means.

#include <cstdint>

/// What the slider's arithmetic depends on. Along the track: width, thumbWidth, marginLeft and
/// marginRight (height, thumbHeight, marginTop and marginBottom when vertical).
struct SliderGeometry {
    int rangeMin = 0;
    int rangeMax = 100;
    int width = 0;
    int height = 0;
    int thumbWidth = 0;
    int thumbHeight = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int marginTop = 0;
    int marginBottom = 0;
    bool vertical = false;
};

/// Half a thumb along the track, integer division (a 15-pixel thumb gives 7).
int HalfThumb(const SliderGeometry& g);

/// Track length L = width - margins - thumb width along the track.
int TrackLength(const SliderGeometry& g);

/// The coordinate of the thumb centre for position p:
/// margin + trunc((p - rangeMin) / (rangeMax - rangeMin) * L) + half.
/// An empty range (rangeMax equal to rangeMin, a recording shorter than a second) or a track
/// shorter than the thumb puts the thumb at the low end; a position outside the range is drawn at
/// the nearer end.
int PositionToPixel(const SliderGeometry& g, int position);

/// The position for thumb centre coordinate x:
/// trunc((x - half - margin) / L * (rangeMax - rangeMin) + rangeMin), not clamped to the range.
/// An empty range or a track shorter than the thumb gives rangeMin.
int PixelToPosition(const SliderGeometry& g, int x);

/// Clamps a value first to at most rangeMax, then to at least rangeMin (so an inverted range
/// yields rangeMin), as every store of the position does.
int ClampPosition(const SliderGeometry& g, std::int64_t value);

/// The grab offset of a press at track coordinate pressX while the thumb shows `position`: the
/// distance from the thumb centre when it is at most half a thumb (a press on the thumb keeps the
/// thumb where it is under the pointer), otherwise 0 (the thumb centre jumps to the pointer).
int GrabOffset(const SliderGeometry& g, int pressX, int position);

/// The thumb-centre coordinate a drag asks for: pointer minus grab offset, held half a thumb
/// inside both ends (the upper bound applied last).
int ClampTrackCoordinate(const SliderGeometry& g, std::int64_t x);

/// The navigation keys of the slider.
enum class SliderKey { PageUp, PageDown, End, Home, Left, Up, Right, Down };

/// The value a navigation key passes to SetPosition (before the clamp).
std::int64_t KeyTarget(const SliderGeometry& g, SliderKey key, int position, int pageStep);
