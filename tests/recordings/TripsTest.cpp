// Trip grouping on hand-made file times and fixes. One kilometre north is 0.008993 degrees of
// latitude.

#include "recordings/Trips.h"

#include <gtest/gtest.h>

namespace {

constexpr double kKm = 0.008993;

TripMember Member(std::int64_t end, std::int64_t duration, std::optional<double> firstNorthKm,
                  std::optional<double> lastNorthKm)
{
    TripMember m;
    m.timeKnown = true;
    m.endSeconds = end;
    m.durationSeconds = duration;
    if (firstNorthKm)
        m.firstFix = LatLon{22.5 + *firstNorthKm * kKm, 113.9};
    if (lastNorthKm)
        m.lastFix = LatLon{22.5 + *lastNorthKm * kKm, 113.9};
    return m;
}

}  // namespace

TEST(Trips, GroupingByGapAndDistance)
{
    TripMember unknown = Member(5000, 60, 0.0, 0.0);
    unknown.timeKnown = false;
    const struct {
        const char* name;
        std::vector<TripMember> members;
        std::vector<int> expected;
    } cases[] = {
        {"gap of exactly 120 s joins, 121 s does not",
         {Member(1000, 60, 0, 1), Member(1180, 60, 1, 2), Member(1361, 60, 2, 3)},
         {1, 1, 2}},
        {"first fix 0.9 km from the last one joins, 1.1 km does not",
         {Member(1000, 60, 0, 1), Member(1060, 60, 1.9, 3), Member(1120, 60, 4.1, 5)},
         {1, 1, 2}},
        {"a recording without GPS inside a trip keeps it together",
         {Member(1000, 60, 0, 1), Member(1060, 60, {}, {}), Member(1120, 60, 1.2, 2)},
         {1, 1, 1}},
        {"overlapping files join", {Member(1000, 300, 0, 1), Member(1100, 300, 1, 2)}, {1, 1}},
        {"a file without a time starts its own trip and ends it",
         {Member(1000, 60, 0, 0), unknown, Member(1060, 60, 0, 0)},
         {1, 2, 3}},
        {"empty list", {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GroupTrips(c.members, TripSettings{}), c.expected) << c.name;

    TripSettings wide;
    wide.tripGapSeconds = 200;
    wide.tripDistanceMeters = 5000;
    EXPECT_EQ(GroupTrips(cases[0].members, wide), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(GroupTrips(cases[1].members, wide), (std::vector<int>{1, 1, 1}));
}

TEST(Trips, PositionsOfTrackTexts)
{
    GpsSample none;  // "0.0" before the first fix
    GpsSample fix{QStringLiteral("-33.500000"), QStringLiteral("-70.500000"), QStringLiteral("SW"), 0};
    GpsSample damaged{QStringLiteral("1);alert(2"), QStringLiteral("113.9"), QString(), 0};
    const RecordingSummary s = Summarize({none, fix, damaged, fix}, {}, 4, {});
    EXPECT_FALSE(s.positions[0]);
    EXPECT_FALSE(s.positions[2]);
    ASSERT_TRUE(s.FirstFix());
    EXPECT_DOUBLE_EQ(s.FirstFix()->latitude, -33.5);
    EXPECT_DOUBLE_EQ(s.LastFix()->longitude, -70.5);
    // The trip line's text: longitude first, the seconds without a position left out.
    EXPECT_EQ(s.lineText, QStringLiteral("[-70.500000,-33.500000],[-70.500000,-33.500000]"));
    EXPECT_NEAR(DistanceMeters({22.5, 113.9}, {22.5 + kKm, 113.9}), 1000.0, 1.0);
}
