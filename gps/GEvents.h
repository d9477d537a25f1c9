#pragma once
// G-sensor events of a recording: the seconds where the car braked, swerved or was knocked hard.
//
// Each axis has its median over the recording subtracted first, which takes out gravity and the
// tilt of the camera's mount. A second is marked when the horizontal magnitude sqrt(x² + y²) of
// what remains exceeds the threshold, or when any axis changed by more than twice the threshold
// since the second before. Marked seconds next to each other form one event.

#include "GpsTypes.h"

#include <vector>

/// The two thresholds, in the record's units. The change threshold is twice the magnitude's
/// unless the user set another.
struct EventThresholds {
    double magnitude = 0.35;  ///< of sqrt(x² + y²)
    double change = 0.70;     ///< of any axis from one second to the next
};

/// One event: a run of marked seconds.
struct GEvent {
    int first = 0;      ///< first marked second
    int last = 0;       ///< last marked second
    double peak = 0.0;  ///< largest horizontal magnitude (median taken off) within the run

    friend bool operator==(const GEvent&, const GEvent&) = default;
};

/// The events of a recording's G-sensor series, in time order. A threshold that is not a positive
/// finite number marks nothing by itself; values that are not finite count as 0.
std::vector<GEvent> FindGEvents(const std::vector<GSensorSample>& series, const EventThresholds& thresholds = {});

/// The second to jump to for an event: 3 s before its first second, not before 0.
int EventJumpSecond(const GEvent& event);
