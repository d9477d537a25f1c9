#include "controls/MeterMath.h"

#include <cmath>

int ClampMeterValue(long long value, int rangeMin, int rangeMax)
{
    if (value > rangeMax)
        value = rangeMax;
    if (value < rangeMin)
        value = rangeMin;
    return static_cast<int>(value);
}

int MeterValueForSpeed(int speedKmh, int unitIndex)
{
    if (unitIndex == 0)
        return speedKmh;
    // |speed x 0.62| stays inside the int range, so the truncation cannot overflow.
    return static_cast<int>(std::trunc(speedKmh * 0.6213712));
}
