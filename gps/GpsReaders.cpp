#include "GpsReaders.h"

#include "Nmea.h"
#include "engine/BoxReaderGps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

constexpr std::uint32_t Code(const char (&c)[5])
{
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

std::uint32_t BE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint16_t BE16(const std::uint8_t* p) { return std::uint16_t((p[0] << 8) | p[1]); }
std::uint32_t LE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}
float LEFloat(const std::uint8_t* p)
{
    const std::uint32_t bits = LE32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

constexpr double kGravity = 9.80665;
constexpr std::int64_t kMsPerDay = 86400000;
// Texts and boxes read whole are at most this large: far more than a day of sentences a second.
constexpr std::uint64_t kMaxTextBytes = 64u << 20;

int Rank(const GpsReading& r) { return r.valid ? (r.hasSpeed ? 2 : 1) : 0; }

// Counts a sentence's result; true when it was read.
bool Count(NmeaResult result, GpsReadCounts& counts)
{
    switch (result) {
    case NmeaResult::Ok: ++counts.read; return true;
    case NmeaResult::Truncated: ++counts.truncated; return false;
    case NmeaResult::BadChecksum:
    case NmeaResult::Malformed: ++counts.malformed; return false;
    case NmeaResult::Other: return false;
    }
    return false;
}

GpsReading FromNmea(const NmeaFix& fix)
{
    GpsReading r;
    r.valid = fix.valid;
    r.hasSpeed = fix.rmc;
    r.latitude = fix.latitude;
    r.longitude = fix.longitude;
    r.kmh = fix.kmh;
    if (fix.hasTime && fix.hasDate)
        r.utcMs = fix.day * kMsPerDay + std::int64_t(std::llround(fix.secondOfDay * 1000));
    return r;
}

// Calls f for every line of text (without its line end).
template <class F>
void ForEachLine(std::string_view text, F&& f)
{
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        f(line);
        if (nl == std::string_view::npos)
            break;
        text.remove_prefix(nl + 1);
    }
}

bool ReadBytes(const ByteSource& source, std::uint64_t offset, std::uint64_t size, std::vector<std::uint8_t>* out)
{
    if (size > kMaxTextBytes)
        return false;
    out->resize(std::size_t(size));
    return size == 0 || source.ReadAt(offset, out->data(), std::size_t(size)).ok();
}

std::string_view AsText(const std::vector<std::uint8_t>& bytes)
{
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

}  // namespace

// ---- the table ----------------------------------------------------------------------------------

GpsSecondTable::Slot* GpsSecondTable::At(std::int64_t second)
{
    if (second < 0 || second >= kMaxGpsSeconds)
        return nullptr;
    if (std::size_t(second) >= slots_.size())
        slots_.resize(std::size_t(second) + 1);
    return &slots_[std::size_t(second)];
}

void GpsSecondTable::AddFix(std::int64_t second, const GpsReading& reading)
{
    Slot* slot = At(second);
    if (!slot)
        return;
    if (!slot->hasFix || Rank(reading) > Rank(slot->fix)) {
        slot->hasFix = true;
        slot->fix = reading;
    }
}

void GpsSecondTable::AddAcceleration(std::int64_t second, double x, double y, double z)
{
    Slot* slot = At(second);
    if (!slot || slot->hasAcceleration || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z))
        return;
    slot->hasAcceleration = true;
    slot->x = x;
    slot->y = y;
    slot->z = z;
}

// ---- NMEA text ----------------------------------------------------------------------------------

int ReadNmeaText(std::string_view text, std::int64_t second, GpsSecondTable& table)
{
    int read = 0;
    ForEachLine(text, [&](std::string_view line) {
        const std::size_t dollar = line.find('$');
        if (dollar == std::string_view::npos)
            return;
        NmeaFix fix;
        if (!Count(ReadNmeaSentence(line.substr(dollar), &fix), table.counts))
            return;
        table.AddFix(second, FromNmea(fix));
        ++read;
    });
    return read;
}

void ReadNmeaLog(std::string_view text, GpsSecondTable& table)
{
    // Seconds of the day run on across midnight: a time more than twelve hours before the last
    // one starts the next day.
    bool started = false;
    double first = 0, last = 0, dayOffset = 0;
    std::int64_t knownDay = -1;
    ForEachLine(text, [&](std::string_view line) {
        const std::size_t dollar = line.find('$');
        if (dollar == std::string_view::npos)
            return;
        NmeaFix fix;
        if (!Count(ReadNmeaSentence(line.substr(dollar), &fix), table.counts) || !fix.hasTime)
            return;
        if (fix.hasDate)
            knownDay = fix.day;
        double t = fix.secondOfDay + dayOffset;
        if (started && t < last - 43200) {
            dayOffset += 86400;
            t += 86400;
        }
        if (!started) {
            started = true;
            first = std::floor(t);
        }
        last = t;
        GpsReading r = FromNmea(fix);
        if (!fix.hasDate && knownDay >= 0)
            r.utcMs = knownDay * kMsPerDay + std::int64_t(std::llround(fix.secondOfDay * 1000));
        table.AddFix(std::int64_t(std::floor(t) - first), r);
    });
}

void ReadNmeaTrack(const BoxReader& movie, const std::vector<std::uint32_t>& formats, GpsSecondTable& table)
{
    for (std::size_t t = 0; t < movie.TrackCount() && table.Empty(); ++t) {
        const BoxTrack& track = movie.TrackAt(t);
        const std::uint32_t format = t < formats.size() ? formats[t] : 0;
        const std::uint32_t handler = track.HandlerType();
        const bool textual = format == Code("text") || format == Code("tx3g") || format == Code("sbtl") ||
                             handler == Code("text") || handler == Code("sbtl") || handler == Code("subt");
        if (!textual)
            continue;
        const std::int64_t scale = track.MediaTimeScale();
        const std::int64_t end = track.SampleTableDuration();
        std::uint8_t buffer[4096];
        std::string_view text;  // of the sample read last: a sample longer than a second is read once
        std::uint64_t lastIndex = ~std::uint64_t(0);
        for (std::int64_t k = 0; k < kMaxGpsSeconds && k * scale < end; ++k) {
            SampleLocation where;
            if (!track.FindSample(k * scale, &where).ok())
                continue;
            if (where.index != lastIndex) {
                lastIndex = where.index;
                text = {};
                std::size_t n = 0;
                const BoxResult r = movie.ReadSample(where, buffer, sizeof buffer, &n);
                if (!r.ok() || n < 2) {
                    ++(r.status == BoxStatus::Truncated || r.ok() ? table.counts.truncated : table.counts.malformed);
                    continue;
                }
                // A 16-bit length, the text, then perhaps style boxes.
                const std::size_t length = BE16(buffer);
                if (length + 2 > n) {
                    ++table.counts.truncated;
                    continue;
                }
                text = std::string_view(reinterpret_cast<const char*>(buffer + 2), length);
            }
            ReadNmeaText(text, k, table);
        }
    }
}

// ---- Novatek ------------------------------------------------------------------------------------

namespace {

constexpr std::size_t kNovatekHead = 0x60;  // the fields end at 0x5C
// Blocks come one a second, sometimes a few; an index claiming more is cut here.
constexpr std::uint64_t kMaxNovatekBlocks = std::uint64_t(kMaxGpsSeconds) * 4;
constexpr std::uint64_t kNovatekScanLimit = 64u << 20;

bool ReadNovatekFields(const std::uint8_t* b, std::size_t base, GpsReading* reading, std::int64_t* second)
{
    const std::uint32_t hour = LE32(b + base), minute = LE32(b + base + 4), sec = LE32(b + base + 8);
    const std::uint32_t year = LE32(b + base + 12), month = LE32(b + base + 16), day = LE32(b + base + 20);
    const char status = char(b[base + 24]), ns = char(b[base + 25]), ew = char(b[base + 26]);
    const double lat = LEFloat(b + base + 28), lon = LEFloat(b + base + 32), knots = LEFloat(b + base + 36);
    const double course = LEFloat(b + base + 40);
    if (hour > 23 || minute > 59 || sec > 59 || year > 99 || month < 1 || month > 12 || day < 1 || day > 31)
        return false;
    if (status != 'A' && status != 'V')
        return false;
    const bool letters = (ns == 'N' || ns == 'S') && (ew == 'E' || ew == 'W');
    if (!letters && !(status == 'V' && ns == 0 && ew == 0))
        return false;
    if (!std::isfinite(lat) || !std::isfinite(lon) || !std::isfinite(knots) || !std::isfinite(course))
        return false;
    if (lat < 0 || lat > 9000 || lon < 0 || lon > 18000 || std::fmod(lat, 100.0) >= 60 || std::fmod(lon, 100.0) >= 60 ||
        knots < 0 || knots > 2000 || course < -360 || course > 360)
        return false;
    GpsReading r;
    r.valid = status == 'A';
    r.hasSpeed = true;
    if (r.valid) {
        r.latitude = DegreesFromNmea(lat) * (ns == 'S' ? -1 : 1);
        r.longitude = DegreesFromNmea(lon) * (ew == 'W' ? -1 : 1);
        r.kmh = knots * 1.852;
    }
    const std::int64_t days = DaysFromCivil(int(2000 + year), int(month), int(day));
    *second = days * 86400 + hour * 3600 + minute * 60 + sec;
    r.utcMs = *second * 1000;
    *reading = r;
    return true;
}

// Blocks by their time: the first block's second is element 0.
struct NovatekSeconds {
    GpsSecondTable& table;
    bool started = false;
    std::int64_t first = 0;
    std::size_t accepted = 0;

    void Add(const ByteSource& file, std::uint64_t offset)
    {
        std::uint8_t head[kNovatekHead];
        if (offset > file.Size() || file.Size() - offset < kNovatekHead ||
            !file.ReadAt(offset, head, sizeof head).ok()) {
            ++table.counts.truncated;
            return;
        }
        if (BE32(head + 4) != Code("free") || std::memcmp(head + 8, "GPS ", 4) != 0 || BE32(head) < kNovatekHead) {
            ++table.counts.malformed;
            return;
        }
        GpsReading r;
        std::int64_t t = 0;
        if (!ReadNovatekBlock(head, sizeof head, &r, &t)) {
            ++table.counts.malformed;
            return;
        }
        ++table.counts.read;
        if (!started) {
            started = true;
            first = t;
        }
        table.AddFix(t - first, r);
        ++accepted;
    }
};

void NovatekIndex(const ByteSource& file, NovatekSeconds& seconds)
{
    BoxSpan moov, index;
    if (!FindMovieBox(file, &moov) || !FindChild(file, moov, Code("gps "), &index) || index.PayloadSize() < 8)
        return;
    std::uint8_t head[8];
    if (!file.ReadAt(index.payload, head, sizeof head).ok())
        return;
    const std::uint64_t count =
        std::min({std::uint64_t(BE32(head + 4)), (index.PayloadSize() - 8) / 8, kMaxNovatekBlocks});
    std::vector<std::uint8_t> entries;
    if (!ReadBytes(file, index.payload + 8, count * 8, &entries))
        return;
    for (std::uint64_t i = 0; i < count; ++i)
        seconds.Add(file, BE32(entries.data() + i * 8));
}

void NovatekScan(const ByteSource& file, NovatekSeconds& seconds)
{
    // The blocks lie among the media data: look for "free" + "GPS " after a size, in the boxes
    // at the top of the file that hold data, within the first 64 MiB.
    std::vector<BoxSpan> top;
    ListBoxes(file, 0, file.Size(), 4096, &top);
    constexpr std::size_t kChunk = 1u << 20;
    std::vector<std::uint8_t> chunk;
    const std::uint8_t pattern[8] = {'f', 'r', 'e', 'e', 'G', 'P', 'S', ' '};
    for (const BoxSpan& box : top) {
        if (box.start >= kNovatekScanLimit)
            break;
        if (box.type == Code("free")) {
            seconds.Add(file, box.start);
            continue;
        }
        if (box.type != Code("mdat"))
            continue;
        const std::uint64_t end = std::min(box.end, kNovatekScanLimit);
        for (std::uint64_t pos = box.payload; pos + 4 < end && seconds.accepted < kMaxNovatekBlocks; pos += kChunk) {
            // Each chunk overlaps the next by the pattern's length less one.
            const std::size_t n = std::size_t(std::min<std::uint64_t>(kChunk + 7, end - pos));
            chunk.resize(std::max(chunk.size(), n));
            if (!file.ReadAt(pos, chunk.data(), n).ok())
                break;
            const std::uint8_t* p = chunk.data();
            const std::uint8_t* last = chunk.data() + n;
            while ((p = std::search(p, last, pattern, pattern + 8)) != last) {
                const std::uint64_t at = pos + std::uint64_t(p - chunk.data());
                if (at >= 4)
                    seconds.Add(file, at - 4);
                ++p;
            }
        }
    }
}

}  // namespace

bool ReadNovatekBlock(const std::uint8_t* box, std::size_t size, GpsReading* reading, std::int64_t* second)
{
    if (size < 0x5C)
        return false;
    // The common layout has the hour at 0x30; some cameras write everything 0x20 bytes earlier.
    return ReadNovatekFields(box, 0x30, reading, second) || ReadNovatekFields(box, 0x10, reading, second);
}

void ReadNovatek(const ByteSource& file, GpsSecondTable& table)
{
    NovatekSeconds seconds{table};
    NovatekIndex(file, seconds);
    if (seconds.accepted == 0)
        NovatekScan(file, seconds);
}

// ---- BlackVue -----------------------------------------------------------------------------------

void ReadBlackVueData(std::string_view gpsLines, std::string_view accelRecords, std::int64_t startMs,
                      GpsSecondTable& table)
{
    ForEachLine(gpsLines, [&](std::string_view line) {
        // "[1773477000000]$GPRMC,..."
        if (line.empty())
            return;
        const std::size_t close = line.find(']');
        bool digits = line[0] == '[' && close != std::string_view::npos && close >= 2 && close <= 19;
        std::int64_t ms = 0;
        for (std::size_t i = 1; digits && i < close; ++i) {
            digits = line[i] >= '0' && line[i] <= '9';
            ms = ms * 10 + (line[i] - '0');
        }
        if (!digits) {
            ++table.counts.malformed;
            return;
        }
        if (startMs < 0)
            startMs = ms;
        if (ms < startMs)
            return;
        NmeaFix fix;
        if (!Count(ReadNmeaSentence(line.substr(close + 1), &fix), table.counts))
            return;
        table.AddFix((ms - startMs) / 1000, FromNmea(fix));
    });
    // 10-byte records: milliseconds from the start, then x, y, z in 1/128 g; FFFFFFFF ends them.
    const auto* p = reinterpret_cast<const std::uint8_t*>(accelRecords.data());
    for (std::size_t i = 0; i < accelRecords.size(); i += 10) {
        if (accelRecords.size() - i < 10) {
            ++table.counts.truncated;
            break;
        }
        const std::uint32_t ms = BE32(p + i);
        if (ms == 0xFFFFFFFFu)
            break;
        ++table.counts.read;
        table.AddAcceleration(ms / 1000, std::int16_t(BE16(p + i + 4)) / 128.0, std::int16_t(BE16(p + i + 6)) / 128.0,
                              std::int16_t(BE16(p + i + 8)) / 128.0);
    }
}

void ReadBlackVueBoxes(const ByteSource& file, GpsSecondTable& table)
{
    std::vector<BoxSpan> top;
    ListBoxes(file, 0, file.Size(), 4096, &top);
    for (const BoxSpan& box : top) {
        if (box.type != Code("free"))
            continue;
        std::vector<BoxSpan> inside;
        ListChildren(file, box, 64, &inside);
        std::int64_t start = -1;
        std::vector<std::uint8_t> gps, accel;
        bool found = false;
        for (const BoxSpan& b : inside) {
            std::uint8_t v[8];
            if (b.type == Code("sttm") && b.PayloadSize() >= 8 && file.ReadAt(b.payload, v, 8).ok())
                start = std::int64_t((std::uint64_t(BE32(v)) << 32 | BE32(v + 4)) & 0x7FFFFFFFFFFFFFFF);
            else if (b.type == Code("gps ") && gps.empty())
                found |= ReadBytes(file, b.payload, b.PayloadSize(), &gps);
            else if (b.type == Code("3gf ") && accel.empty())
                found |= ReadBytes(file, b.payload, b.PayloadSize(), &accel);
        }
        if (!found)
            continue;
        ReadBlackVueData(AsText(gps), AsText(accel), start, table);
        if (!table.Empty())
            return;
    }
}

// ---- GoPro GPMF ---------------------------------------------------------------------------------

namespace {

struct Klv {
    std::uint32_t key;
    char type;
    std::size_t structSize;
    std::size_t repeat;
    const std::uint8_t* data;
};

// The values of one stream, gathered until its end.
struct GpmfStream {
    std::vector<double> scale;
    int fix = -1;  // GPSF; -1 when the stream has none
    std::int64_t utcMs = std::numeric_limits<std::int64_t>::min();
    std::optional<Klv> gps5, gps9, accl;
};

double Scale(const std::vector<double>& s, std::size_t i)
{
    const double v = s.empty() ? 1.0 : i < s.size() ? s[i] : s.back();
    return v == 0 ? 1.0 : v;
}

double ReadValue(char type, const std::uint8_t* p)
{
    switch (type) {
    case 'l': return double(std::int32_t(BE32(p)));
    case 'L': return double(BE32(p));
    case 's': return double(std::int16_t(BE16(p)));
    case 'S': return double(BE16(p));
    case 'b': return double(std::int8_t(p[0]));
    case 'B': return double(p[0]);
    default: return 0;
    }
}

std::size_t TypeSize(char type)
{
    switch (type) {
    case 'l':
    case 'L': return 4;
    case 's':
    case 'S': return 2;
    case 'b':
    case 'B': return 1;
    default: return 0;
    }
}

// "yymmddhhmmss.sss"
std::int64_t GpsUtc(const Klv& item)
{
    if (item.structSize * item.repeat < 16)
        return std::numeric_limits<std::int64_t>::min();
    int v[6];
    for (int i = 0; i < 6; ++i) {
        const char a = char(item.data[2 * i]), b = char(item.data[2 * i + 1]);
        if (a < '0' || a > '9' || b < '0' || b > '9')
            return std::numeric_limits<std::int64_t>::min();
        v[i] = (a - '0') * 10 + (b - '0');
    }
    int ms = 0;
    for (int i = 13; i < 16; ++i) {
        const char c = char(item.data[i]);
        if (c < '0' || c > '9')
            return std::numeric_limits<std::int64_t>::min();
        ms = ms * 10 + (c - '0');
    }
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 60)
        return std::numeric_limits<std::int64_t>::min();
    return (DaysFromCivil(2000 + v[0], v[1], v[2]) * 86400 + v[3] * 3600 + v[4] * 60 + v[5]) * 1000 + ms;
}

struct GpmfContext {
    double start;    // media seconds where the sample starts
    double seconds;  // its length
    GpsSecondTable& table;
};

void FinishStream(const GpmfStream& s, const GpmfContext& c)
{
    auto at = [&](std::size_t j, std::size_t n) { return c.start + c.seconds * double(j) / double(n); };
    GpsReadCounts& counts = c.table.counts;
    if (s.gps5)
        ++(s.gps5->structSize == 20 && s.gps5->type == 'l' ? counts.read : counts.malformed);
    if (s.gps9)
        ++(s.gps9->structSize == 32 ? counts.read : counts.malformed);
    if (s.accl)
        ++(TypeSize(s.accl->type) > 0 && s.accl->structSize == 3 * TypeSize(s.accl->type) ? counts.read
                                                                                          : counts.malformed);
    if (s.gps5 && s.gps5->structSize == 20 && s.gps5->type == 'l') {
        const std::size_t n = s.gps5->repeat;
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint8_t* p = s.gps5->data + j * 20;
            GpsReading r;
            r.latitude = double(std::int32_t(BE32(p))) / Scale(s.scale, 0);
            r.longitude = double(std::int32_t(BE32(p + 4))) / Scale(s.scale, 1);
            r.kmh = double(std::int32_t(BE32(p + 12))) / Scale(s.scale, 3) * 3.6;
            r.hasSpeed = true;
            const bool fix = s.fix >= 0 ? s.fix > 0 : (r.latitude != 0 || r.longitude != 0);
            r.valid = fix && std::fabs(r.latitude) <= 90 && std::fabs(r.longitude) <= 180 && r.kmh >= 0;
            if (!r.valid)
                r = GpsReading{};
            if (s.utcMs != std::numeric_limits<std::int64_t>::min())
                r.utcMs = s.utcMs + std::int64_t(c.seconds * 1000 * double(j) / double(n));
            c.table.AddFix(std::int64_t(std::floor(at(j, n))), r);
        }
    }
    if (s.gps9 && s.gps9->structSize == 32) {
        // latitude, longitude, altitude, 2-D and 3-D speed, days since 2000, seconds of the day
        // (32-bit each), then DOP and fix (16-bit).
        const std::size_t n = s.gps9->repeat;
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint8_t* p = s.gps9->data + j * 32;
            GpsReading r;
            r.latitude = double(std::int32_t(BE32(p))) / Scale(s.scale, 0);
            r.longitude = double(std::int32_t(BE32(p + 4))) / Scale(s.scale, 1);
            r.kmh = double(std::int32_t(BE32(p + 12))) / Scale(s.scale, 3) * 3.6;
            r.hasSpeed = true;
            const double days = double(std::int32_t(BE32(p + 20))) / Scale(s.scale, 5);
            const double secs = double(std::int32_t(BE32(p + 24))) / Scale(s.scale, 6);
            const int fix = int(BE16(p + 30) / Scale(s.scale, 8));
            r.valid = fix > 0 && std::fabs(r.latitude) <= 90 && std::fabs(r.longitude) <= 180 && r.kmh >= 0;
            if (!r.valid)
                r = GpsReading{};
            if (days >= 0 && days < 100 * 366 && secs >= 0 && secs < 86401)
                r.utcMs = (DaysFromCivil(2000, 1, 1) + std::int64_t(days)) * kMsPerDay + std::int64_t(secs * 1000);
            c.table.AddFix(std::int64_t(std::floor(at(j, n))), r);
        }
    }
    if (s.accl && s.accl->structSize == 3 * TypeSize(s.accl->type) && TypeSize(s.accl->type) > 0) {
        const std::size_t w = TypeSize(s.accl->type);
        const std::size_t n = s.accl->repeat;
        for (std::size_t j = 0; j < n; ++j) {
            const std::uint8_t* p = s.accl->data + j * 3 * w;
            c.table.AddAcceleration(std::int64_t(std::floor(at(j, n))),
                                    ReadValue(s.accl->type, p) / Scale(s.scale, 0) / kGravity,
                                    ReadValue(s.accl->type, p + w) / Scale(s.scale, 1) / kGravity,
                                    ReadValue(s.accl->type, p + 2 * w) / Scale(s.scale, 2) / kGravity);
        }
    }
}

// Walks the records in [p, end): containers (type 0) are entered up to a small depth; the
// values of a stream are gathered in `stream` and read when the stream ends.
void WalkKlv(const std::uint8_t* p, const std::uint8_t* end, int depth, GpmfStream* stream, const GpmfContext& c)
{
    if (depth > 8)
        return;
    while (end - p >= 8) {
        Klv item{BE32(p), char(p[4]), p[5], BE16(p + 6), p + 8};
        const std::size_t length = item.structSize * item.repeat;
        const std::size_t padded = (length + 3) & ~std::size_t(3);
        if (padded > std::size_t(end - p) - 8) {
            // Cut short or damaged: nothing after it in this container can be trusted.
            ++c.table.counts.truncated;
            return;
        }
        if (item.key == 0) {
            ++c.table.counts.malformed;
            return;
        }
        if (item.type == 0) {
            if (item.key == Code("STRM")) {
                GpmfStream inner;
                WalkKlv(item.data, item.data + length, depth + 1, &inner, c);
                FinishStream(inner, c);
            } else {
                WalkKlv(item.data, item.data + length, depth + 1, stream, c);
            }
        } else if (stream) {
            const std::size_t w = TypeSize(item.type);
            if (item.key == Code("SCAL") && w > 0 && item.structSize % w == 0) {
                stream->scale.clear();
                for (std::size_t i = 0; i < length / w && i < 16; ++i)
                    stream->scale.push_back(ReadValue(item.type, item.data + i * w));
            } else if (item.key == Code("GPSF") && w > 0 && length >= w) {
                stream->fix = int(ReadValue(item.type, item.data));
            } else if (item.key == Code("GPSU") && item.type == 'U') {
                stream->utcMs = GpsUtc(item);
            } else if (item.key == Code("GPS5")) {
                stream->gps5 = item;
            } else if (item.key == Code("GPS9")) {
                stream->gps9 = item;
            } else if (item.key == Code("ACCL")) {
                stream->accl = item;
            }
        }
        p += 8 + padded;
    }
    if (p != end)
        ++c.table.counts.truncated;  // less than a record header left
}

}  // namespace

void ReadGpmfSample(const std::uint8_t* data, std::size_t size, double startSecond, double seconds,
                    GpsSecondTable& table)
{
    if (!std::isfinite(startSecond) || !std::isfinite(seconds) || seconds < 0)
        return;
    const GpmfContext c{startSecond, seconds, table};
    WalkKlv(data, data + size, 0, nullptr, c);
}

void ReadGpmfTrack(const BoxReader& movie, const std::vector<std::uint32_t>& formats, GpsSecondTable& table)
{
    for (std::size_t t = 0; t < movie.TrackCount() && t < formats.size(); ++t) {
        const BoxTrack& track = movie.TrackAt(t);
        if (track.HandlerType() != Code("meta") || formats[t] != Code("gpmd"))
            continue;
        const double scale = track.MediaTimeScale();
        std::vector<std::uint8_t> buffer(1u << 16);
        // Sample by sample through their time spans.
        std::int64_t time = 0;
        for (std::uint64_t i = 0; i < std::uint64_t(kMaxGpsSeconds) * 4; ++i) {
            SampleLocation where;
            if (!track.FindSample(time, &where).ok() || where.duration <= 0 ||
                double(where.decodeTime) / scale >= double(kMaxGpsSeconds))
                break;
            time = where.decodeTime + where.duration;
            if (where.size > (16u << 20))
                continue;
            if (where.size > buffer.size())
                buffer.resize(where.size);
            std::size_t n = 0;
            if (!movie.ReadSample(where, buffer.data(), buffer.size(), &n).ok())
                continue;
            ReadGpmfSample(buffer.data(), n, double(where.decodeTime) / scale, double(where.duration) / scale, table);
        }
        if (!table.Empty())
            return;
    }
}
