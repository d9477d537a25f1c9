#include "GEvents.h"

#include <algorithm>
#include <cmath>

namespace {

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    const std::size_t mid = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(mid), values.end());
    double m = values[mid];
    if (values.size() % 2 == 0) {
        m = (m + *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(mid))) / 2.0;
    }
    return m;
}

}  // namespace

std::vector<GEvent> FindGEvents(const std::vector<GSensorSample>& series, const EventThresholds& thresholds)
{
    std::vector<GEvent> events;
    const auto usable = [](double t) { return std::isfinite(t) && t > 0.0; };
    const bool byMagnitude = usable(thresholds.magnitude);
    const bool byChange = usable(thresholds.change);
    if ((!byMagnitude && !byChange) || series.empty())
        return events;
    const std::size_t n = series.size();
    std::vector<double> x(n), y(n), z(n);
    for (std::size_t k = 0; k < n; ++k) {
        x[k] = Finite(series[k].x);
        y[k] = Finite(series[k].y);
        z[k] = Finite(series[k].z);
    }
    const double mx = Median(x), my = Median(y), mz = Median(z);
    for (std::size_t k = 0; k < n; ++k) {
        x[k] -= mx;
        y[k] -= my;
        z[k] -= mz;
    }

    bool open = false;
    for (std::size_t k = 0; k < n; ++k) {
        const double magnitude = std::hypot(x[k], y[k]);
        bool marked = byMagnitude && magnitude > thresholds.magnitude;
        if (!marked && byChange && k > 0) {
            const double jump =
                std::max({std::fabs(x[k] - x[k - 1]), std::fabs(y[k] - y[k - 1]), std::fabs(z[k] - z[k - 1])});
            marked = jump > thresholds.change;
        }
        if (!marked) {
            open = false;
            continue;
        }
        if (open) {
            events.back().last = int(k);
            events.back().peak = std::max(events.back().peak, magnitude);
        } else {
            events.push_back(GEvent{int(k), int(k), magnitude});
            open = true;
        }
    }
    return events;
}

int EventJumpSecond(const GEvent& event) { return std::max(0, event.first - 3); }
