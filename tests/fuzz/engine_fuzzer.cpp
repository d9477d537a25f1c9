// Fuzz target: a movie file read by the box reader, then through the engine operations by the GPS
// text-track reader and the track builder, as the player reads a recording it opens; then by the
// readers of the other GPS families, on the file and on the bytes as text and metadata.

#include "engine/BoxReader.h"
#include "engine/Engine.h"
#ifdef VINDREL_FUZZ_GPS
#include "engine/BoxReaderGps.h"
#include "gps/GpsReaders.h"
#include "gps/GpsRecord.h"
#include "gps/GpsSource.h"
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
        const std::int64_t probes[] = {
            -1, 0, 1, end / 3, end / 2, end - 1, end, end + 1, std::int64_t(track.MediaTimeScale())};
        for (std::int64_t time : probes) {
            std::size_t n = 0;
            movie.ReadSample(track, time, buffer, sizeof buffer, &n);
            if (n > sizeof buffer)
                std::abort();
        }
    }
}

#ifdef VINDREL_FUZZ_GPS
// Every family's reader on the same bytes: as a movie, as boxes, as text and as metadata.
void ReadGpsFamilies(const std::uint8_t* data, std::size_t size)
{
    const auto source = MakeMemorySource(std::vector<std::uint8_t>(data, data + size));
    GpsSecondTable novatek, blackvue, track, gpmf, log, lines, sample;
    ReadNovatek(*source, novatek);
    ReadBlackVueBoxes(*source, blackvue);
    std::unique_ptr<BoxReader> movie;
    if (BoxReader::Open(source, &movie).ok()) {
        const std::vector<std::uint32_t> formats = TrackSampleFormats(*source);
        ReadNmeaTrack(*movie, formats, track);
        ReadGpmfTrack(*movie, formats, gpmf);
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ReadNmeaLog(text, log);
    ReadBlackVueData(text, text, -1, lines);
    ReadGpmfSample(data, size, 0.0, 1.0, sample);
    for (const GpsSecondTable* t : {&novatek, &blackvue, &track, &gpmf, &log, &lines, &sample})
        if (t->Seconds() > std::size_t(kMaxGpsSeconds))
            std::abort();
}
#endif

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

#ifdef VINDREL_FUZZ_GPS
    ReadGpsFamilies(data, size);
#endif

    // The player's road: open the file through the engine, read the third track, build the tracks.
    if (!WriteInput(data, size))
        return 0;
#ifdef VINDREL_FUZZ_GPS
    // The other families from the file, as the player reads them where the text track has none.
    const GpsTracks other = ReadOtherGpsSources(QString::fromLocal8Bit(g_path.c_str()));
    if (other.gpsTrack.size() != other.gSensorSeries.size() || other.gpsTrack.size() != other.utcMs.size())
        std::abort();
#endif
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
