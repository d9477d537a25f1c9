#include "controls/GSensorMath.h"
#include "controls/MeterMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(GraphRow, TruncatesTheScaledValueTowardZero)
{
    EXPECT_EQ(GraphRow(10.9, kNormalScale), 89 - 13);  // 13.08
    EXPECT_EQ(GraphRow(-0.5, kNormalScale), 89);       // -0.6
    EXPECT_EQ(GraphRow(-10.9, kNormalScale), 89 + 13);
    EXPECT_EQ(GraphRow(0.4, kZoomedScale), 88);  // 1.2
}

TEST(GraphRow, LabelledRowsOfTheBackgrounds)
{
    // Picture 186 labels rows 59 and 119 with 10 and -10 (zoomed); picture 187 labels rows 41 and
    // 137 with 40 and -40.
    EXPECT_EQ(GraphRow(10, kZoomedScale), 59);
    EXPECT_EQ(GraphRow(-10, kZoomedScale), 119);
    EXPECT_EQ(GraphRow(40, kNormalScale), 41);
    EXPECT_EQ(GraphRow(-40, kNormalScale), 137);
}

TEST(GraphRow, ValuesThatAreNotNumbersLieOnTheZeroLine)
{
    EXPECT_EQ(GraphRow(std::nan(""), kZoomedScale), 89);
    EXPECT_EQ(GraphRow(std::numeric_limits<double>::infinity(), kZoomedScale), 89);
    // Huge values stay far off the chart instead of overflowing.
    EXPECT_LT(GraphRow(1e300, kZoomedScale), -100000);
    EXPECT_GT(GraphRow(-1e300, kZoomedScale), 100000);
}

std::vector<GSensorSample> Ramp(int n)
{
    std::vector<GSensorSample> s;
    for (int i = 0; i < n; ++i)
        s.push_back({double(i + 1), -double(i + 1), 2.0});
    return s;
}

TEST(GSensorSegments, AtTheFirstSampleTheCurvesStartAt106)
{
    const std::vector<GSensorSample> series = Ramp(30);
    const GSensorLines lines = GSensorSegments(series, 0, true);
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(lines.x[k].x0, 25 + 9 * k);
        EXPECT_EQ(lines.x[k].x1, 34 + 9 * k);
        EXPECT_EQ(lines.x[k].y0, 89);
        EXPECT_EQ(lines.x[k].y1, 89);
        EXPECT_EQ(lines.z[k].y1, 89);
    }
    // The segment from 97 to 106 rises from the zero line to sample 0 (x 1, y -1, z 2).
    EXPECT_EQ(lines.x[8].x0, 97);
    EXPECT_EQ(lines.x[8].x1, 106);
    EXPECT_EQ(lines.x[8].y0, 89);
    EXPECT_EQ(lines.x[8].y1, 86);
    EXPECT_EQ(lines.y[8].y1, 92);
    EXPECT_EQ(lines.z[8].y1, 83);
    // Then sample 0 to sample 1, ..., the last segment ends at x 205 with sample 11.
    EXPECT_EQ(lines.x[9].y0, 86);
    EXPECT_EQ(lines.x[9].y1, 83);
    EXPECT_EQ(lines.x[19].x1, 205);
    EXPECT_EQ(lines.x[19].y1, 89 - 3 * 12);
}

TEST(GSensorSegments, AtTheLastSampleTheRightSideFallsToZero)
{
    const std::vector<GSensorSample> series = Ramp(5);
    const GSensorLines lines = GSensorSegments(series, 4, false);
    // x of sample 4 is 5: 89 - trunc(6.0) = 83 at x 106
    EXPECT_EQ(lines.x[8].y1, 83);
    EXPECT_EQ(lines.x[9].y0, 83);
    EXPECT_EQ(lines.x[9].y1, 89);
    for (int k = 10; k < 20; ++k) {
        EXPECT_EQ(lines.x[k].y0, 89);
        EXPECT_EQ(lines.y[k].y1, 89);
    }
    // Left of it: segment 5 starts at sample 0 (x 1 -> trunc(1.2) = 1), segment 4 before it.
    EXPECT_EQ(lines.x[5].y0, 88);
    EXPECT_EQ(lines.x[4].y0, 89);
    EXPECT_EQ(lines.x[4].y1, 88);
}

TEST(GSensorSegments, EmptySeriesAndFarIndicesLieOnTheZeroLine)
{
    const std::vector<GSensorSample> none;
    const std::vector<GSensorSample> some = Ramp(3);
    for (const GSensorLines& lines : {GSensorSegments(none, 0, true), GSensorSegments(some, -50, true),
                                      GSensorSegments(some, std::numeric_limits<int>::max(), true),
                                      GSensorSegments(some, std::numeric_limits<int>::min(), false)}) {
        for (int k = 0; k < 20; ++k) {
            EXPECT_EQ(lines.x[k].y0, 89);
            EXPECT_EQ(lines.y[k].y1, 89);
            EXPECT_EQ(lines.z[k].y0, 89);
        }
    }
}

TEST(MeterMath, ValuesAreClampedIntoTheRange)
{
    EXPECT_EQ(ClampMeterValue(150, 0, 120), 120);
    EXPECT_EQ(ClampMeterValue(-5, 0, 120), 0);
    EXPECT_EQ(ClampMeterValue(60, 0, 120), 60);
    EXPECT_EQ(ClampMeterValue(5, 10, 0), 10);  // the lower bound is applied last
}

TEST(MeterMath, MilesPerHourAreTruncated)
{
    EXPECT_EQ(MeterValueForSpeed(100, 0), 100);
    EXPECT_EQ(MeterValueForSpeed(100, 1), 62);  // 62.13712
    EXPECT_EQ(MeterValueForSpeed(-8, 1), -4);   // -4.97 toward zero
    EXPECT_EQ(MeterValueForSpeed(std::numeric_limits<int>::max(), 1), 1334384490);
}

}  // namespace
