// Building the tracks of a one-hour recording: 3600 records, one a second, as a camera writes
// them (a few seconds without fix at the start, then a drive through the city).

#include "gps/GpsRecord.h"
#include "gps/GpsTextTrack.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>

namespace {

std::vector<QString> OneHourOfRecords()
{
    std::vector<QString> records;
    records.reserve(3600);
    double lat = 2235.0897;   // ddmm.mmmm
    double lon = 11355.3174;  // dddmm.mmmm
    char text[128];
    for (int s = 0; s < 3600; ++s) {
        const double speed = 30.0 + 25.0 * std::sin(s / 90.0);  // knots
        const double gx = 0.05 * std::sin(s / 7.0);
        const double gy = -0.02 + 0.03 * std::cos(s / 11.0);
        if (s < 8) {
            std::snprintf(text, sizeof text, "V,%06d,000000,,,,,,%.2f,%.2f,0.98;", s, gx, gy);
        } else {
            lat += 0.0021 * std::cos(s / 300.0);
            lon += 0.0023 * std::sin(s / 300.0);
            std::snprintf(text, sizeof text, "A,%06d,140102,%.4f,N,%.4f,E,%.1f,%.2f,%.2f,0.98;", s, lat, lon, speed, gx,
                          gy);
        }
        records.push_back(QString::fromLatin1(text));
    }
    return records;
}

void BM_BuildTracksOneHour(benchmark::State& state)
{
    const std::vector<QString> records = OneHourOfRecords();
    for (auto _ : state) {
        std::vector<GpsSample> gpsTrack;
        std::vector<GSensorSample> gSensorSeries;
        benchmark::DoNotOptimize(BuildTracks(true, records, gpsTrack, gSensorSeries));
        benchmark::DoNotOptimize(gpsTrack.data());
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t(records.size()));
}
BENCHMARK(BM_BuildTracksOneHour)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
