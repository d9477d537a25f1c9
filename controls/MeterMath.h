#pragma once
// Value arithmetic of the speed meter.

/// Clamps to at most rangeMax, then to at least rangeMin.
int ClampMeterValue(long long value, int rangeMin, int rangeMax);

/// The meter value for a speed in km/h: unchanged for unit index 0 ("km/h"), otherwise
/// ("m/h") the speed times 0.6213712 truncated toward zero. The meter clamps it afterwards.
int MeterValueForSpeed(int speedKmh, int unitIndex);
