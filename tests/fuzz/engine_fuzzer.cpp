// Fuzz target: a movie file read by the box reader, then through the engine operations by the GPS
// text-track reader and the track builder, as the player reads a recording it opens.

#include "playback/BoxReader.h"
#include "playback/Engine.h"
#ifdef VINDREL_FUZZ_GPS
#include "gps/GpsRecord.h"
#include "gps/GpsTextTrack.h"
#endif

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string g_path;

void RemoveFile() { ::unlink(g_path.c_str()); }

bool WriteInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = ::open(g_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    ::close(fd);
    return done == size;
}

// Every way of asking the reader for samples, bounded in number.
void ReadAllSamples(const BoxReader& movie)
{
    std::uint8_t buffer[512];
    for (std::size_t t = 0; t < movie.TrackCount(); ++t) {
        const BoxTrack& track = movie.TrackAt(t);
        const std::uint64_t count = track.SampleCount() < 256 ? track.SampleCount() : 256;
        for (std::uint64_t i = 0; i < count; ++i) {
            SampleLocation at;
            if (track.LocateSample(i, &at).ok()) {
                std::size_t n = 0;
                movie.ReadSample(at, buffer, sizeof buffer, &n);
                if (n > sizeof buffer)
                    std::abort();
            }
        }
        const std::int64_t end = track.SampleTableDuration();
        const std::int64_t probes[] = {-1, 0, 1, end / 3, end / 2, end - 1, end, end + 1,
                                       std::int64_t(track.MediaTimeScale())};
        for (std::int64_t time : probes) {
            std::size_t n = 0;
            movie.ReadSample(track, time, buffer, sizeof buffer, &n);
            if (n > sizeof buffer)
                std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* dir = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::getenv("TMPDIR");
    g_path = std::string(dir ? dir : "/tmp") + "/vindrel-fuzz-" + std::to_string(::getpid()) + ".mov";
    std::atexit(RemoveFile);
    InstallEngine(MakeBoxReaderEngine());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The reader alone, over memory.
    std::unique_ptr<BoxReader> movie;
    if (BoxReader::Open(MakeMemorySource(std::vector<std::uint8_t>(data, data + size)), &movie).ok())
        ReadAllSamples(*movie);
    movie.reset();

    // The player's road: open the file through the engine, read the third track, build the tracks.
    if (!WriteInput(data, size))
        return 0;
    Movie m = nullptr;
    const OSErr err = EngineOpenMoviePath(g_path, &m);
    const std::string reason = CurrentEngine().LastErrorText();
    if (err != noErr) {
        if (m != nullptr || reason.empty())
            std::abort();  // a failure must leave no movie and give its reason
        return 0;
    }
    EngineMovieTimeScale(m);
    EngineMovieDuration(m);
#ifdef VINDREL_FUZZ_GPS
    TextTrackData track;
    ReadGpsTextTrack(m, track);
    std::vector<GpsSample> gpsTrack;
    std::vector<GSensorSample> gSensorSeries;
    BuildTracks(track, gpsTrack, gSensorSeries);
#endif
    EngineDisposeMovie(m);
    return 0;
}
