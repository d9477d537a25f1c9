#pragma once
// The readers of the GPS families, one per family, and the table they fill: at most one fix and
// one acceleration reading a second. Kept apart from GpsSource.h so that tests and the fuzzer can
// hand them bytes directly. No Qt here.

#include "engine/BoxReader.h"

#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

/// A track is read for at most two days of seconds: a real recording is minutes long, and a
/// damaged time cannot make a table larger than this.
constexpr std::int64_t kMaxGpsSeconds = 48 * 3600;

/// One fix or no-fix reading.
struct GpsReading {
    bool valid = false;     ///< a fix
    bool hasSpeed = false;  ///< the reading carries a speed (a GGA sentence does not)
    double latitude = 0;    ///< signed decimal degrees
    double longitude = 0;
    double kmh = 0;
    std::int64_t utcMs = std::numeric_limits<std::int64_t>::min();
};

/// What a reader met: the items (sentences, blocks, records) it took, and those it skipped
/// because they end early (truncated) or are whole but not what their layout demands
/// (malformed: a wrong checksum, an impossible field).
struct GpsReadCounts {
    std::size_t read = 0;
    std::size_t truncated = 0;
    std::size_t malformed = 0;
};

/// The readings of a recording by second, and what the reader met on the way.
class GpsSecondTable {
public:
    GpsReadCounts counts;

    /// Keeps the best reading of the second: a fix with a speed before a fix without one before
    /// no fix; the first of equals. Seconds outside [0, kMaxGpsSeconds) are dropped.
    void AddFix(std::int64_t second, const GpsReading& reading);
    /// Keeps the first acceleration (in g) of the second.
    void AddAcceleration(std::int64_t second, double x, double y, double z);

    bool Empty() const { return slots_.empty(); }
    std::size_t Seconds() const { return slots_.size(); }

    struct Slot {
        bool hasFix = false;
        GpsReading fix;
        bool hasAcceleration = false;
        double x = 0, y = 0, z = 0;
    };
    const std::vector<Slot>& Slots() const { return slots_; }

private:
    Slot* At(std::int64_t second);
    std::vector<Slot> slots_;
};

/// The NMEA sentences of one text (lines ending in LF or CR LF), all taken as readings of one
/// second. Returns the number of sentences read.
int ReadNmeaText(std::string_view text, std::int64_t second, GpsSecondTable& table);

/// An NMEA log: element k is the k-th second counted from the first sentence with a valid time.
void ReadNmeaLog(std::string_view text, GpsSecondTable& table);

/// A text or subtitle track ('text', 'tx3g', 'sbtl') whose samples hold NMEA sentences: element k
/// from the sample that covers second k. formats: the sample format of each track, in order.
void ReadNmeaTrack(const BoxReader& movie, const std::vector<std::uint32_t>& formats, GpsSecondTable& table);

/// GPS blocks of the Novatek layout, through the movie box's 'gps ' index, or where it is missing
/// or gives nothing, by looking for them in the first 64 MiB of the file.
void ReadNovatek(const ByteSource& file, GpsSecondTable& table);

/// One Novatek GPS block from the start of its 'free' box: false when neither field layout is
/// plausible. second gets the block's UTC time in seconds since 1970.
bool ReadNovatekBlock(const std::uint8_t* box, std::size_t size, GpsReading* reading, std::int64_t* second);

/// BlackVue's boxes in a top-level 'free' box of the file.
void ReadBlackVueBoxes(const ByteSource& file, GpsSecondTable& table);

/// BlackVue's GPS lines ("[ms]$GPRMC,...") and acceleration records. startMs: the 'sttm' value,
/// or a negative number when there is none (the first line's time is the start then).
void ReadBlackVueData(std::string_view gpsLines, std::string_view accelRecords, std::int64_t startMs,
                      GpsSecondTable& table);

/// The GoPro metadata track (handler 'meta', format 'gpmd').
void ReadGpmfTrack(const BoxReader& movie, const std::vector<std::uint32_t>& formats, GpsSecondTable& table);

/// The key-length-value records of one metadata sample that spans [startSecond, startSecond +
/// seconds) of media time.
void ReadGpmfSample(const std::uint8_t* data, std::size_t size, double startSecond, double seconds,
                    GpsSecondTable& table);
