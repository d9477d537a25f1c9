// The needle table as the meter draws it: every entry a straight needle about 79 pixels long from
// the pivot (93.5, 91.5), pointing at 188 - 1.63 x value degrees, red-orange at the tip and green
// near the pivot, inside the dial's area.

#include "controls/NeedleTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPivotX = 93.5;
constexpr double kPivotY = 91.5;

struct Polar {
    double along;   // distance from the pivot along the expected direction
    double across;  // distance from the expected axis
};

Polar ToPolar(const NeedlePixel& p, int value)
{
    const double a = (188.0 - 1.63 * value) * kPi / 180.0;
    const double dx = p.x + 0.5 - kPivotX;
    const double dy = -(p.y + 0.5 - kPivotY);  // y up
    return {dx * std::cos(a) + dy * std::sin(a), -dx * std::sin(a) + dy * std::cos(a)};
}

int Brightness(const QColor& c) { return c.red() + c.green() + c.blue(); }

TEST(NeedleTable, EveryEntryEndsAndStaysInsideTheDial)
{
    for (int v = 0; v < kNeedleEntryCount; ++v) {
        SCOPED_TRACE(v);
        const std::vector<NeedlePixel> pixels = NeedlePixels(v);
        EXPECT_GE(pixels.size(), 150u);
        EXPECT_LE(pixels.size(), 400u);
        for (const NeedlePixel& p : pixels) {
            EXPECT_GE(p.x, 14);
            EXPECT_LE(p.x, 174);
            EXPECT_GE(p.y, 12);
            EXPECT_LE(p.y, 106);
            EXPECT_GT(Brightness(p.colour), 0);  // black would be invisible and is never listed
        }
    }
    EXPECT_TRUE(NeedlePixels(-1).empty());
    EXPECT_TRUE(NeedlePixels(121).empty());
}

TEST(NeedleTable, NeedlesPointAtTheirValue)
{
    for (int v = 0; v < kNeedleEntryCount; ++v) {
        SCOPED_TRACE(v);
        double farthest = 0, tail = 0, weightedAcross = 0, weight = 0;
        for (const NeedlePixel& p : NeedlePixels(v)) {
            const Polar polar = ToPolar(p, v);
            const double w = Brightness(p.colour);
            // Every pixel hugs the expected axis: a 2-pixel needle with smoothed edges.
            EXPECT_LT(std::abs(polar.across), 2.5);
            weightedAcross += w * polar.across;
            weight += w;
            farthest = std::max(farthest, polar.along);
            tail = std::min(tail, polar.along);
        }
        EXPECT_NEAR(weightedAcross / weight, 0.0, 0.35);  // centred on the axis
        EXPECT_NEAR(farthest, 79.0, 2.0);
        EXPECT_LT(tail, -8.0);  // a short tail beyond the pivot
        EXPECT_GT(tail, -17.0);
    }
}

TEST(NeedleTable, TipsAtTheMarksZeroHundredTwentyAndTwoForty)
{
    // Value 0 at the lower left, 60 straight up, 120 at the lower right.
    const auto tip = [](int value) {
        NeedlePixel best{0, 0, {}};
        double far = -1;
        for (const NeedlePixel& p : NeedlePixels(value)) {
            const double d = std::hypot(p.x + 0.5 - kPivotX, p.y + 0.5 - kPivotY);
            if (d > far && Brightness(p.colour) > 150) {
                far = d;
                best = p;
            }
        }
        return best;
    };
    const NeedlePixel left = tip(0), top = tip(60), right = tip(120);
    EXPECT_NEAR(left.x, 15, 2);
    EXPECT_NEAR(left.y, 102, 2);
    EXPECT_NEAR(top.x, 93, 1);
    EXPECT_NEAR(top.y, 13, 2);
    EXPECT_NEAR(right.x, 171, 2);
    EXPECT_NEAR(right.y, 101, 2);
}

TEST(NeedleTable, RedOrangeTipGreenNearThePivot)
{
    for (int v : {0, 30, 60, 90, 120}) {
        SCOPED_TRACE(v);
        QColor tipColour, pivotColour;
        int tipBrightness = 0, pivotBrightness = 0;
        for (const NeedlePixel& p : NeedlePixels(v)) {
            const Polar polar = ToPolar(p, v);
            if (polar.along > 70 && polar.along < 76 && Brightness(p.colour) > tipBrightness) {
                tipBrightness = Brightness(p.colour);
                tipColour = p.colour;
            }
            if (polar.along > 2 && polar.along < 8 && Brightness(p.colour) > pivotBrightness) {
                pivotBrightness = Brightness(p.colour);
                pivotColour = p.colour;
            }
        }
        EXPECT_GT(tipColour.red(), 200);
        EXPECT_LT(tipColour.green(), 140);
        EXPECT_LT(tipColour.blue(), 40);
        EXPECT_GT(pivotColour.green(), pivotColour.red() + 60);
        EXPECT_GT(pivotColour.green(), 120);
    }
}

TEST(NeedleTable, EdgesAreSmoothed)
{
    // Besides full-colour pixels, every needle has many dimmer edge pixels.
    for (int v : {0, 17, 60, 101}) {
        const std::vector<NeedlePixel> pixels = NeedlePixels(v);
        int brightest = 0;
        for (const NeedlePixel& p : pixels)
            brightest = std::max(brightest, Brightness(p.colour));
        int dim = 0;
        for (const NeedlePixel& p : pixels)
            if (Brightness(p.colour) * 2 < brightest)
                ++dim;
        EXPECT_GT(dim, 60) << v;
        EXPECT_GT(brightest, 400) << v;
    }
}

TEST(NeedleTable, RecordsRunFromTheBottomRowUp)
{
    for (int v : {0, 60, 120}) {
        const std::vector<NeedlePixel> pixels = NeedlePixels(v);
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            const bool ordered = pixels[i - 1].y > pixels[i].y ||
                                 (pixels[i - 1].y == pixels[i].y && pixels[i - 1].x < pixels[i].x);
            ASSERT_TRUE(ordered) << v << " at record " << i;
        }
    }
    // Entry 0 begins at the tip's lowest row, record x 10 (drawn at x 15).
    const std::uint8_t* first = kNeedleTable[0];
    EXPECT_EQ(first[0], 10);
    EXPECT_NEAR(first[1], 103, 1);
}

}  // namespace
