// Events on simulated drives: a car whose acceleration is known second by second, seen through a
// camera mounted with a tilt (gravity leaks into x and z) and with sensor noise.

#include "gps/GEvents.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <utility>

namespace {

// Seconds of a drive: longitudinal and lateral acceleration in g, plus a vertical knock.
struct Drive {
    std::vector<double> ahead, side, knock;
    explicit Drive(int seconds) : ahead(seconds, 0.0), side(seconds, 0.0), knock(seconds, 0.0) {}
    Drive& Brake(int from, int to, double g)
    {
        for (int s = from; s <= to; ++s)
            ahead[s] = -g;
        return *this;
    }
    Drive& Gentle()
    {
        for (std::size_t s = 0; s < ahead.size(); ++s) {
            ahead[s] += 0.15 * std::sin(double(s) / 9.0);
            side[s] += 0.12 * std::cos(double(s) / 13.0);
        }
        return *this;
    }
    // What a camera tilted about its side axis records, with noise. At 25 degrees gravity alone
    // puts 0.42 g on x, more than the threshold.
    std::vector<GSensorSample> Recorded(double tiltDegrees = 25.0) const
    {
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> noise(-0.02, 0.02);
        const double tilt = tiltDegrees * 3.14159265358979 / 180.0;
        std::vector<GSensorSample> out;
        for (std::size_t s = 0; s < ahead.size(); ++s) {
            const double up = 1.0 + knock[s];
            out.push_back({ahead[s] * std::cos(tilt) + up * std::sin(tilt) + noise(rng), side[s] + noise(rng),
                           up * std::cos(tilt) - ahead[s] * std::sin(tilt) + noise(rng)});
        }
        return out;
    }
};

using Runs = std::vector<std::pair<int, int>>;

Runs RunsOf(const std::vector<GEvent>& events)
{
    Runs runs;
    for (const GEvent& e : events)
        runs.emplace_back(e.first, e.last);
    return runs;
}

}  // namespace

TEST(GEvents, SimulatedDrives)
{
    Drive knocked(120);
    knocked.knock[60] = 0.9;  // a pothole: z jumps by 0.9 g for one second
    const struct {
        const char* name;
        std::vector<GSensorSample> series;
        Runs expected;
    } cases[] = {
        {"gravity and tilt alone", Drive(300).Recorded(), {}},
        {"smooth drive", Drive(300).Gentle().Recorded(), {}},
        {"two hard brakes, each one event",
         Drive(300).Gentle().Brake(100, 102, 0.6).Brake(200, 201, 0.5).Recorded(),
         {{100, 102}, {200, 201}}},
        {"a brake at the first second", Drive(60).Brake(0, 1, 0.6).Recorded(), {{0, 1}}},
        {"a knock: the change in z, and the change back", knocked.Recorded(0.0), {{60, 61}}},
        {"no samples", {}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunsOf(FindGEvents(c.series)), c.expected) << c.name;
}

TEST(GEvents, PeakThresholdsAndJump)
{
    const std::vector<GSensorSample> series = Drive(100).Brake(50, 52, 0.6).Recorded();
    const std::vector<GEvent> events = FindGEvents(series);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NEAR(events[0].peak, 0.6 * std::cos(25.0 * 3.14159265358979 / 180.0), 0.05);
    EXPECT_EQ(EventJumpSecond(events[0]), 47);
    EXPECT_EQ(EventJumpSecond(GEvent{1, 2, 0.5}), 0);
    // A higher threshold misses the brake; thresholds that are not usable find nothing.
    EXPECT_TRUE(FindGEvents(series, {0.8, 1.6}).empty());
    EXPECT_TRUE(FindGEvents(series, {std::nan(""), -1.0}).empty());
}
