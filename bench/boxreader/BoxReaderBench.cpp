// Times the box reader on synthetic one-hour recordings written with the test movie writer:
//  1. a text track of 3600 samples at 1,000,000 units a second (with one video and one sound
//     sample a second beside it): open through the engine and read every text sample at
//     (c + 1) seconds, as the GPS text-track reader does;
//  2. the same text track beside 30 frames a second of video and 43 sound packets a second
//     (about 265,000 samples in all): open only.
// Prints the median and best of the runs in milliseconds.
//
//   boxreader_bench [RUNS]

#include "engine/Engine.h"
#include "tests/support/MovieWriter.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using namespace moviewriter;

namespace {

std::vector<Bytes> HourOfRecords()
{
    std::vector<Bytes> records;
    for (int s = 0; s < 3600; ++s) {
        char text[128];
        std::snprintf(text, sizeof text, "A,%02d%02d%02d,140326,2235.%04d,N,11355.%04d,E,%d.%d,0.01,-0.02,0.98;",
                      8 + s / 3600, s / 60 % 60, s % 60, s % 10000, (s * 7) % 10000, 30 + s % 50, s % 10);
        records.push_back(TextPayload(text));
    }
    return records;
}

struct Timing {
    double median;
    double best;
};

template <class F>
Timing Time(int runs, F&& f)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front()};
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const auto dir = std::filesystem::temp_directory_path() / ("vindrel-boxreader-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    InstallEngine(MakeBoxReaderEngine());

    // 1. One text sample a second.
    const std::string hour = (dir / "hour.mov").string();
    WriteFile(hour, WriteMovie(DashCamMovie(HourOfRecords(), 1000000)));
    long readBytes = 0, readSamples = 0;
    const Timing text = Time(runs, [&] {
        Movie movie = nullptr;
        if (EngineOpenMoviePath(hour, &movie) != noErr)
            std::abort();
        Media media = EngineTrackMedia(EngineTrackAt(movie, 3));
        const TimeScale scale = EngineMediaTimeScale(media);
        const long count = EngineMediaSampleCount(media);
        readBytes = readSamples = 0;
        std::uint8_t buffer[512];
        for (long c = 0; c < count; ++c) {
            long n = 0;
            if (EngineReadMediaSample(media, buffer, sizeof buffer, &n, TimeValue64(c + 1) * scale) == noErr) {
                readBytes += n;
                ++readSamples;
            }
        }
        EngineDisposeMovie(movie);
    });
    std::printf("one-hour text track (3600 samples, 1,000,000 units/s): open + read all: median %.3f ms, best %.3f ms"
                " (%ld samples, %ld bytes read a run, %d runs)\n",
                text.median, text.best, readSamples, readBytes, runs);

    // 2. A full hour of video and sound beside the text track.
    MovieSpec full = DashCamMovie(HourOfRecords(), 1000000);
    TrackSpec& video = full.tracks[0];
    video.samples.assign(3600 * 30, Bytes(3, 0x11));
    video.times = {{3600 * 30, 3000}};
    video.samplesPerChunk = 1;
    TrackSpec& sound = full.tracks[1];
    sound.samples.assign(3600 * 43, Bytes(2, 0x22));
    sound.mediaTimeScale = 44100;
    sound.times = {{3600 * 43, 1024}};
    sound.samplesPerChunk = 43;
    const std::string fullPath = (dir / "full.mov").string();
    WriteFile(fullPath, WriteMovie(full));
    const Timing open = Time(runs, [&] {
        Movie movie = nullptr;
        if (EngineOpenMoviePath(fullPath, &movie) != noErr)
            std::abort();
        EngineDisposeMovie(movie);
    });
    std::printf("one hour with 30 frames/s video and sound (%zu samples): open: median %.3f ms, best %.3f ms\n",
                video.samples.size() + sound.samples.size() + 3600, open.median, open.best);

    std::filesystem::remove_all(dir);
    return 0;
}
