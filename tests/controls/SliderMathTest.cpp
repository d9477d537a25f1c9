#include "controls/SliderMath.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// The volume slider: 85 pixels wide, a 15-pixel thumb, range 0..100.
SliderGeometry Volume()
{
    SliderGeometry g;
    g.rangeMin = 0;
    g.rangeMax = 100;
    g.width = 85;
    g.height = 15;
    g.thumbWidth = 15;
    g.thumbHeight = 15;
    return g;
}

TEST(SliderMath, VolumeSliderPositionAndPixelAgree)
{
    const SliderGeometry g = Volume();
    // trunc(0.3 x 70) + 7 and trunc(21 / 70 x 100).
    EXPECT_EQ(PositionToPixel(g, 30), 28);
    EXPECT_EQ(PixelToPosition(g, 28), 30);
    EXPECT_EQ(PositionToPixel(g, 0), 7);
    EXPECT_EQ(PositionToPixel(g, 100), 77);
    EXPECT_EQ(PixelToPosition(g, 7), 0);
    EXPECT_EQ(PixelToPosition(g, 77), 100);
    // trunc(43 / 70 x 100) = trunc(61.43)
    EXPECT_EQ(PixelToPosition(g, 50), 61);
}

TEST(SliderMath, ProgressSliderOfARecording)
{
    SliderGeometry g = Volume();
    g.width = 590;
    g.rangeMax = 61;  // a 61-second recording: one position per second
    EXPECT_EQ(TrackLength(g), 575);
    EXPECT_EQ(PositionToPixel(g, 61), 582);  // 575 + 7
    EXPECT_EQ(PositionToPixel(g, 30), 289);  // trunc(30 / 61 x 575) = 282, + 7
    EXPECT_EQ(PixelToPosition(g, 289), 29);  // trunc(282 / 575 x 61) = trunc(29.92)
}

TEST(SliderMath, PressWithinHalfAThumbKeepsTheThumbUnderThePointer)
{
    const SliderGeometry g = Volume();
    // Thumb centre at 28 for position 30.
    EXPECT_EQ(GrabOffset(g, 35, 30), 7);
    EXPECT_EQ(GrabOffset(g, 21, 30), -7);
    EXPECT_EQ(GrabOffset(g, 28, 30), 0);
    EXPECT_EQ(GrabOffset(g, 36, 30), 0);  // 8 pixels away: the thumb jumps to the pointer
    EXPECT_EQ(GrabOffset(g, 20, 30), 0);
}

TEST(SliderMath, DraggingBeyondTheEndsStopsHalfAThumbInside)
{
    const SliderGeometry g = Volume();
    EXPECT_EQ(ClampTrackCoordinate(g, -500), 7);
    EXPECT_EQ(ClampTrackCoordinate(g, 500), 78);  // 85 - 7
    EXPECT_EQ(ClampPosition(g, PixelToPosition(g, 7)), 0);
    // 78 maps to trunc(71 / 70 x 100) = 101, which the clamp holds at 100.
    EXPECT_EQ(PixelToPosition(g, 78), 101);
    EXPECT_EQ(ClampPosition(g, PixelToPosition(g, 78)), 100);
}

TEST(SliderMath, TrackShorterThanTheThumbLetsTheUpperBoundWin)
{
    SliderGeometry g = Volume();
    g.width = 10;
    EXPECT_EQ(ClampTrackCoordinate(g, 0), 3);  // low bound 7, then high bound 10 - 7 = 3
    EXPECT_EQ(PositionToPixel(g, 50), 7);
    EXPECT_EQ(PixelToPosition(g, 3), 0);
}

TEST(SliderMath, EmptyRangeKeepsTheThumbAtTheLowEnd)
{
    // A recording shorter than a second: range 0..0.
    SliderGeometry g = Volume();
    g.width = 590;
    g.rangeMax = 0;
    EXPECT_EQ(PositionToPixel(g, 0), 7);
    EXPECT_EQ(PixelToPosition(g, 300), 0);
    g.rangeMin = g.rangeMax = 42;
    EXPECT_EQ(PositionToPixel(g, 42), 7);
    EXPECT_EQ(PixelToPosition(g, 582), 42);
}

TEST(SliderMath, SliderWithoutChannelHasNoTrack)
{
    SliderGeometry g;  // width 0 before any picture is loaded
    g.thumbWidth = 15;
    EXPECT_EQ(PositionToPixel(g, 50), 7);
    EXPECT_EQ(PixelToPosition(g, 40), 0);
}

TEST(SliderMath, ExtremeRangesNeitherOverflowNorWrap)
{
    SliderGeometry g = Volume();
    g.rangeMin = std::numeric_limits<int>::min();
    g.rangeMax = std::numeric_limits<int>::max();
    EXPECT_EQ(PositionToPixel(g, g.rangeMin), 7);
    EXPECT_EQ(PositionToPixel(g, g.rangeMax), 77);
    EXPECT_EQ(PixelToPosition(g, 7), g.rangeMin);
    EXPECT_EQ(PixelToPosition(g, 77), g.rangeMax);
    // A position left outside a narrowed range is drawn at the nearer end.
    g.rangeMin = 0;
    g.rangeMax = 10;
    EXPECT_EQ(PositionToPixel(g, 1000000), 77);
    EXPECT_EQ(PositionToPixel(g, -1000000), 7);
}

TEST(SliderMath, KeysNearTheEndsClamp)
{
    const SliderGeometry g = Volume();
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::PageUp, 10, 20)), 0);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::PageDown, 95, 20)), 100);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::PageDown, 30, 20)), 50);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::End, 30, 20)), 100);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::Home, 30, 20)), 0);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::Left, 0, 20)), 0);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::Up, 5, 20)), 4);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::Right, 100, 20)), 100);
    EXPECT_EQ(ClampPosition(g, KeyTarget(g, SliderKey::Down, 5, 20)), 6);

    SliderGeometry wide = g;
    wide.rangeMax = std::numeric_limits<int>::max();
    EXPECT_EQ(ClampPosition(wide, KeyTarget(wide, SliderKey::PageDown, wide.rangeMax, 20)), wide.rangeMax);
}

TEST(SliderMath, ClampAppliesTheUpperBoundFirst)
{
    SliderGeometry g = Volume();
    g.rangeMin = 50;
    g.rangeMax = 40;  // inverted: the lower bound, applied last, wins
    EXPECT_EQ(ClampPosition(g, 45), 50);
    EXPECT_EQ(ClampPosition(g, 0), 50);
}

}  // namespace
