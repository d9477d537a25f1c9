#include "BoxReader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::uint32_t Code(const char (&c)[5])
{
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

std::uint16_t BE16(const std::uint8_t* p) { return std::uint16_t((p[0] << 8) | p[1]); }
std::uint32_t BE32(const std::uint8_t* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) |
           std::uint32_t(p[3]);
}
std::uint64_t BE64(const std::uint8_t* p) { return (std::uint64_t(BE32(p)) << 32) | BE32(p + 4); }

std::string Num(std::uint64_t v) { return std::to_string(v); }

BoxResult Malformed(const std::string& detail) { return BoxResult::Fail(BoxStatus::Malformed, detail); }
BoxResult Truncated(const std::string& detail) { return BoxResult::Fail(BoxStatus::Truncated, detail); }

// ---- byte sources -------------------------------------------------------------------------------

class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }

    BoxResult ReadAt(std::uint64_t offset, void* out, std::size_t n) const override
    {
        if (offset > size_ || n > size_ - offset)
            return Truncated("the file ends at byte " + Num(size_) + ", before byte " +
                             Num(offset + n));
        auto* dst = static_cast<std::uint8_t*>(out);
        while (n > 0) {
            const std::size_t step = std::min<std::size_t>(n, 1u << 30);
            const ssize_t got = ::pread(fd_, dst, step, static_cast<off_t>(offset));
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                return BoxResult::Fail(BoxStatus::IoError, std::strerror(errno));
            }
            if (got == 0)
                return BoxResult::Fail(BoxStatus::IoError, "the file became shorter while open");
            dst += got;
            offset += static_cast<std::uint64_t>(got);
            n -= static_cast<std::size_t>(got);
        }
        return {};
    }

private:
    int fd_;
    std::uint64_t size_;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t Size() const override { return bytes_.size(); }
    BoxResult ReadAt(std::uint64_t offset, void* out, std::size_t n) const override
    {
        if (offset > bytes_.size() || n > bytes_.size() - offset)
            return Truncated("the data ends at byte " + Num(bytes_.size()) + ", before byte " +
                             Num(offset + n));
        if (n > 0)
            std::memcpy(out, bytes_.data() + offset, n);
        return {};
    }

private:
    std::vector<std::uint8_t> bytes_;
};

// ---- boxes --------------------------------------------------------------------------------------

struct Box {
    std::uint32_t type = 0;
    std::uint64_t start = 0;
    std::uint64_t payload = 0;  // first byte after the header
    std::uint64_t end = 0;      // one past the last byte
    std::uint64_t PayloadSize() const { return end - payload; }
};

bool Printable(std::uint32_t code)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned c = (code >> shift) & 0xFF;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

}  // namespace

// ---- public helpers -----------------------------------------------------------------------------

BoxResult BoxResult::Fail(BoxStatus status, const std::string& detail)
{
    const char* prefix = "";
    switch (status) {
    case BoxStatus::Ok: prefix = ""; break;
    case BoxStatus::NotFound: prefix = "cannot open: "; break;
    case BoxStatus::IoError: prefix = "read error: "; break;
    case BoxStatus::Truncated: prefix = "truncated: "; break;
    case BoxStatus::Malformed: prefix = "malformed: "; break;
    case BoxStatus::NoSample: prefix = "no sample: "; break;
    case BoxStatus::TooLarge: prefix = "too large: "; break;
    }
    BoxResult r;
    r.status = status;
    r.message = prefix + detail;
    return r;
}

std::string FourCCText(std::uint32_t code)
{
    static const char hex[] = "0123456789abcdef";
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned c = (code >> shift) & 0xFF;
        if (c >= 0x20 && c <= 0x7E && c != '\\') {
            s += char(c);
        } else {
            s += "\\x";
            s += hex[c >> 4];
            s += hex[c & 15];
        }
    }
    return s;
}

bool DataReference::SelfContained() const
{
    return (flags & 1) && (type == Code("alis") || type == Code("url ") || type == Code("urn "));
}

BoxResult OpenFileSource(const std::string& path, std::shared_ptr<const ByteSource>* source)
{
    source->reset();
    if (path.empty() || path.find('\0') != std::string::npos)
        return BoxResult::Fail(BoxStatus::NotFound, "no such file");
    // O_NONBLOCK keeps a FIFO from blocking the open; it means nothing for a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return BoxResult::Fail(BoxStatus::NotFound, std::strerror(errno));
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int e = errno;
        ::close(fd);
        return BoxResult::Fail(BoxStatus::IoError, std::strerror(e));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return BoxResult::Fail(BoxStatus::NotFound, "not a regular file");
    }
    try {
        *source = std::make_shared<FileSource>(fd, static_cast<std::uint64_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return BoxResult::Fail(BoxStatus::IoError, "out of memory");
    }
    return {};
}

std::shared_ptr<const ByteSource> MakeMemorySource(std::vector<std::uint8_t> bytes)
{
    return std::make_shared<MemorySource>(std::move(bytes));
}

// ---- sample lookup ------------------------------------------------------------------------------

BoxResult BoxTrack::FindSample(std::int64_t mediaTime, SampleLocation* out) const
{
    if (mediaTime < 0)
        return BoxResult::Fail(BoxStatus::NoSample, "time " + std::to_string(mediaTime) +
                                                        " lies before the first sample");
    if (mediaTime >= sttsTotalTime_)
        return BoxResult::Fail(BoxStatus::NoSample,
                               "time " + std::to_string(mediaTime) + " lies past the last sample, "
                               "which ends at " + std::to_string(sttsTotalTime_));
    // The last run that starts at or before the time; runs of zero duration never hold it, and
    // the one after them starts at the same time, so upper_bound steps past them.
    auto it = std::upper_bound(timeRuns_.begin(), timeRuns_.end(), mediaTime,
                               [](std::int64_t t, const TimeRun& r) { return t < r.firstTime; });
    if (it == timeRuns_.begin())
        return Malformed("time-to-sample table does not start at 0");
    const TimeRun& run = *(it - 1);
    if (run.delta == 0)
        return Malformed("time-to-sample table has no sample at " + std::to_string(mediaTime));
    const std::uint64_t step = std::uint64_t(mediaTime - run.firstTime) / run.delta;
    const std::uint64_t index = run.firstSample + step;
    if (index >= sampleCount_)
        return Malformed("time-to-sample table gives sample " + Num(index + 1) +
                         " but the size table has " + Num(sampleCount_));
    BoxResult r = LocateSample(index, out);
    if (r) {
        out->decodeTime = run.firstTime + std::int64_t(step * run.delta);
        out->duration = run.delta;
    }
    return r;
}

BoxResult BoxTrack::LocateSample(std::uint64_t index, SampleLocation* out) const
{
    if (index >= sampleCount_)
        return BoxResult::Fail(BoxStatus::NoSample, "sample " + Num(index + 1) +
                                                        " does not exist; the track has " +
                                                        Num(sampleCount_));
    if (index >= chunkedSamples_)
        return Malformed("no chunk holds sample " + Num(index + 1) + "; the chunks hold " +
                         Num(chunkedSamples_));
    auto it = std::upper_bound(chunkRuns_.begin(), chunkRuns_.end(), index,
                               [](std::uint64_t s, const ChunkRun& r) { return s < r.firstSample; });
    if (it == chunkRuns_.begin() || (it - 1)->samplesPerChunk == 0)
        return Malformed("no chunk holds sample " + Num(index + 1));
    const ChunkRun& run = *(it - 1);
    const std::uint64_t chunkInRun = (index - run.firstSample) / run.samplesPerChunk;
    const std::uint64_t chunk = run.firstChunk + chunkInRun;
    if (chunk >= chunkOffsets_.size())
        return Malformed("sample " + Num(index + 1) + " lies in chunk " + Num(chunk + 1) +
                         " of " + Num(chunkOffsets_.size()));
    const std::uint64_t firstInChunk = run.firstSample + chunkInRun * run.samplesPerChunk;
    std::uint64_t within = 0;
    std::uint32_t size = 0;
    if (constantSize_ != 0) {
        within = (index - firstInChunk) * constantSize_;
        size = constantSize_;
    } else {
        within = sizePrefix_[index] - sizePrefix_[firstInChunk];
        size = static_cast<std::uint32_t>(sizePrefix_[index + 1] - sizePrefix_[index]);
    }
    const std::uint64_t base = chunkOffsets_[chunk];
    if (within > std::numeric_limits<std::uint64_t>::max() - base)
        return Malformed("sample " + Num(index + 1) + " lies beyond any file offset");
    out->index = index;
    out->offset = base + within;
    out->size = size;
    out->decodeTime = 0;
    out->duration = 0;
    return {};
}

BoxResult BoxReader::ReadSample(const SampleLocation& sample, std::uint8_t* buffer,
                                std::size_t capacity, std::size_t* byteCount) const
{
    if (byteCount)
        *byteCount = 0;
    if (sample.size > capacity)
        return BoxResult::Fail(BoxStatus::TooLarge, "sample " + Num(sample.index + 1) + " is " +
                                                        Num(sample.size) + " bytes; the buffer holds " +
                                                        Num(capacity));
    const std::uint64_t fileSize = source_->Size();
    if (sample.offset > fileSize || sample.size > fileSize - sample.offset)
        return Truncated("sample " + Num(sample.index + 1) + " (bytes " + Num(sample.offset) +
                         " to " + Num(sample.offset + sample.size) +
                         ") lies past the end of the file at " + Num(fileSize));
    if (sample.size > 0 && !buffer)
        return BoxResult::Fail(BoxStatus::TooLarge, "no buffer");
    if (BoxResult r = source_->ReadAt(sample.offset, buffer, sample.size); !r)
        return r;
    if (byteCount)
        *byteCount = sample.size;
    return {};
}

BoxResult BoxReader::ReadSample(const BoxTrack& track, std::int64_t mediaTime, std::uint8_t* buffer,
                                std::size_t capacity, std::size_t* byteCount,
                                SampleLocation* where) const
{
    if (byteCount)
        *byteCount = 0;
    SampleLocation location;
    if (BoxResult r = track.FindSample(mediaTime, &location); !r)
        return r;
    if (where)
        *where = location;
    return ReadSample(location, buffer, capacity, byteCount);
}

// ---- the parser ---------------------------------------------------------------------------------

// Fills the tables of one track. Kept apart from the tree walk so the walk stays readable.
class BoxTrackBuilder {
public:
    BoxTrackBuilder(const ByteSource& source, BoxTrack& track, std::size_t number,
                    std::uint64_t* movieTableBytes)
        : source_(source), track_(track), number_(number), movieTableBytes_(movieTableBytes)
    {
    }

    BoxResult Header(const Box& box);  // tkhd
    BoxResult MediaHeader(const Box& box);
    BoxResult Handler(const Box& box);
    BoxResult DataRefs(const Box& box);
    BoxResult Tables(const Box* stts, const Box* stsc, const Box* stsz, const Box* stz2,
                     const Box* stco, const Box* co64);

private:
    BoxResult Bad(const std::string& detail) const
    {
        return Malformed(detail + " (track " + Num(number_) + ")");
    }
    // Reads up to `want` bytes of a small box's payload and checks its version.
    BoxResult Small(const Box& box, std::uint8_t* buf, std::size_t want, std::size_t need,
                    unsigned maxVersion, std::size_t* got);
    // Reads `count` entries of `size` bytes from `offset` in blocks, passing each to f.
    template <class F>
    BoxResult Entries(std::uint64_t offset, std::uint64_t count, std::size_t size, F&& f);
    BoxResult TableHead(const Box& box, std::size_t headSize, std::uint8_t* head);
    BoxResult EntryCount(const Box& box, const char* name, std::size_t width, std::uint64_t& count);
    // Counts the memory a table's lookup entries will take against the movie's budget.
    BoxResult Budget(const char* table, std::uint64_t entries, std::uint64_t entrySize);

    BoxResult Sizes(const Box& box, bool compact);
    BoxResult TimeToSample(const Box& box);
    BoxResult ChunkOffsets(const Box& box, bool wide);
    BoxResult SampleToChunk(const Box& box);

    const ByteSource& source_;
    BoxTrack& track_;
    std::size_t number_;
    std::uint64_t* movieTableBytes_;
};

BoxResult BoxTrackBuilder::Small(const Box& box, std::uint8_t* buf, std::size_t want,
                                 std::size_t need, unsigned maxVersion, std::size_t* got)
{
    const std::uint64_t size = box.PayloadSize();
    if (size < need)
        return Bad("'" + FourCCText(box.type) + "' is too short (" + Num(size) + " bytes)");
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, want));
    if (BoxResult r = source_.ReadAt(box.payload, buf, n); !r)
        return r;
    if (buf[0] > maxVersion)
        return Bad("'" + FourCCText(box.type) + "' has unknown version " + Num(buf[0]));
    *got = n;
    return {};
}

BoxResult BoxTrackBuilder::Header(const Box& box)
{
    std::uint8_t b[24];
    std::size_t got = 0;
    if (BoxResult r = Small(box, b, sizeof b, 4, 1, &got); !r)
        return r;
    const std::size_t need = b[0] == 1 ? 24 : 16;
    if (got < need)
        return Bad("'tkhd' is too short (" + Num(got) + " bytes)");
    track_.trackId_ = BE32(b + (b[0] == 1 ? 20 : 12));
    return {};
}

BoxResult BoxTrackBuilder::MediaHeader(const Box& box)
{
    std::uint8_t b[32];
    std::size_t got = 0;
    if (BoxResult r = Small(box, b, sizeof b, 4, 1, &got); !r)
        return r;
    const bool v1 = b[0] == 1;
    if (got < (v1 ? 32u : 20u))
        return Bad("'mdhd' is too short (" + Num(box.PayloadSize()) + " bytes)");
    const std::uint32_t scale = BE32(b + (v1 ? 20 : 12));
    if (scale == 0 || scale > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return Bad("media time scale " + Num(scale) + " is out of range");
    track_.mediaTimeScale_ = scale;
    track_.mediaDuration_ = v1 ? BE64(b + 24) : BE32(b + 16);
    return {};
}

BoxResult BoxTrackBuilder::Handler(const Box& box)
{
    std::uint8_t b[12];
    std::size_t got = 0;
    if (BoxResult r = Small(box, b, sizeof b, 12, 0, &got); !r)
        return r;
    // The handler (QuickTime: the component subtype) follows the pre-defined / component type word.
    track_.handlerType_ = BE32(b + 8);
    return {};
}

BoxResult BoxTrackBuilder::DataRefs(const Box& box)
{
    std::uint8_t head[8];
    std::size_t got = 0;
    if (BoxResult r = Small(box, head, sizeof head, 8, 0, &got); !r)
        return r;
    const std::uint64_t count = BE32(head + 4);
    const std::uint64_t room = (box.PayloadSize() - 8) / 12;  // an entry is at least 12 bytes
    if (count > room)
        return Bad("dref entry count " + Num(count) + " exceeds its box");
    std::uint64_t pos = box.payload + 8;
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint8_t e[16];
        if (box.end - pos < 12)
            return Bad("dref entry " + Num(i + 1) + " does not fit its box");
        if (BoxResult r = source_.ReadAt(pos, e, 12); !r)
            return r;
        std::uint64_t size = BE32(e);
        std::uint64_t header = 8;
        if (size == 1) {
            if (box.end - pos < 20)
                return Bad("dref entry " + Num(i + 1) + " does not fit its box");
            if (BoxResult r = source_.ReadAt(pos, e, 16); !r)
                return r;
            size = BE64(e + 8);
            header = 16;
        } else if (size == 0) {
            size = box.end - pos;
        }
        if (size < header + 4)
            return Bad("dref entry " + Num(i + 1) + " declares " + Num(size) + " bytes, too few");
        if (size > box.end - pos)
            return Bad("dref entry " + Num(i + 1) + " (" + Num(size) + " bytes) is longer than its box");
        std::uint8_t vf[4];
        if (BoxResult r = source_.ReadAt(pos + header, vf, 4); !r)
            return r;
        if (track_.dataRefs_.size() < BoxLimits::kMaxDataReferences) {
            DataReference ref;
            ref.type = BE32(e + 4);
            ref.flags = BE32(vf) & 0xFFFFFF;
            track_.dataRefs_.push_back(ref);
        }
        pos += size;
    }
    return {};
}

template <class F>
BoxResult BoxTrackBuilder::Entries(std::uint64_t offset, std::uint64_t count, std::size_t size, F&& f)
{
    constexpr std::uint64_t kBlock = 4096;
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(std::min(count, kBlock)) * size);
    std::uint64_t done = 0;
    while (done < count) {
        const std::uint64_t n = std::min(count - done, kBlock);
        if (BoxResult r = source_.ReadAt(offset + done * size, buf.data(), static_cast<std::size_t>(n) * size); !r)
            return r;
        for (std::uint64_t i = 0; i < n; ++i)
            if (BoxResult r = f(done + i, buf.data() + i * size); !r)
                return r;
        done += n;
    }
    return {};
}

BoxResult BoxTrackBuilder::TableHead(const Box& box, std::size_t headSize, std::uint8_t* head)
{
    std::size_t got = 0;
    return Small(box, head, headSize, headSize, 0, &got);
}

// The entry count of a table with a version/flags word and a 32-bit count before its entries of
// `width` bytes, checked against the room in its box and the entry limit before anything is
// allocated for it.
BoxResult BoxTrackBuilder::EntryCount(const Box& box, const char* name, std::size_t width, std::uint64_t& count)
{
    std::uint8_t head[8];
    if (BoxResult r = TableHead(box, sizeof head, head); !r)
        return r;
    count = BE32(head + 4);
    if (count > (box.PayloadSize() - 8) / width)
        return Bad(std::string(name) + " entry count " + Num(count) + " exceeds its box");
    if (count > BoxLimits::kMaxTableEntries)
        return Bad(std::string(name) + " entry count " + Num(count) + " exceeds the limit");
    return {};
}

BoxResult BoxTrackBuilder::Budget(const char* table, std::uint64_t entries, std::uint64_t entrySize)
{
    // entries < 2^32 and entrySize <= 24: no overflow.
    *movieTableBytes_ += entries * entrySize;
    if (*movieTableBytes_ > BoxLimits::kMaxTableBytes)
        return Bad(std::string("the sample tables need more than ") +
                   Num(BoxLimits::kMaxTableBytes >> 20) + " MiB at '" + table + "'");
    return {};
}

BoxResult BoxTrackBuilder::Sizes(const Box& box, bool compact)
{
    const char* name = compact ? "stz2" : "stsz";
    std::uint8_t head[12];
    if (BoxResult r = TableHead(box, sizeof head, head); !r)
        return r;
    const std::uint64_t count = BE32(head + 8);
    const std::uint64_t room = box.PayloadSize() - 12;
    unsigned bits = 32;
    if (compact) {
        bits = head[7];
        if (bits != 4 && bits != 8 && bits != 16)
            return Bad("stz2 field size " + Num(bits) + " is not 4, 8 or 16");
    } else if (const std::uint32_t constant = BE32(head + 4); constant != 0) {
        if (count > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
            return Bad("stsz sample count " + Num(count) + " is more than a track can hold");
        track_.constantSize_ = constant;
        track_.sampleCount_ = count;
        return {};
    }
    if ((count * bits + 7) / 8 > room)
        return Bad(std::string(name) + " sample count " + Num(count) + " exceeds its box");
    if (count > BoxLimits::kMaxSampleSizes)
        return Bad(std::string(name) + " sample count " + Num(count) + " exceeds the limit of " +
                   Num(BoxLimits::kMaxSampleSizes));
    if (BoxResult r = Budget(name, count + 1, sizeof(std::uint64_t)); !r)
        return r;
    track_.sampleCount_ = count;
    auto& prefix = track_.sizePrefix_;
    prefix.clear();
    prefix.reserve(static_cast<std::size_t>(count) + 1);
    prefix.push_back(0);
    if (bits == 4) {
        const std::uint64_t bytes = (count + 1) / 2;
        return Entries(box.payload + 12, bytes, 1, [&](std::uint64_t, const std::uint8_t* p) {
            prefix.push_back(prefix.back() + (p[0] >> 4));
            if (prefix.size() <= count)
                prefix.push_back(prefix.back() + (p[0] & 15));
            return BoxResult{};
        });
    }
    const std::size_t width = bits / 8;
    return Entries(box.payload + 12, count, width, [&](std::uint64_t, const std::uint8_t* p) {
        const std::uint32_t v = width == 1 ? p[0] : width == 2 ? BE16(p) : BE32(p);
        prefix.push_back(prefix.back() + v);
        return BoxResult{};
    });
}

BoxResult BoxTrackBuilder::TimeToSample(const Box& box)
{
    std::uint64_t count = 0;
    if (BoxResult r = EntryCount(box, "stts", 8, count); !r)
        return r;
    if (BoxResult r = Budget("stts", count, sizeof(BoxTrack::TimeRun)); !r)
        return r;
    auto& runs = track_.timeRuns_;
    runs.reserve(static_cast<std::size_t>(count));
    std::uint64_t samples = 0;
    std::int64_t time = 0;
    BoxResult r = Entries(box.payload + 8, count, 8, [&](std::uint64_t i, const std::uint8_t* p) {
        const std::uint32_t n = BE32(p);
        const std::uint32_t delta = BE32(p + 4);
        if (n == 0)
            return BoxResult{};
        runs.push_back({samples, time, n, delta});
        samples += n;
        const std::uint64_t span = std::uint64_t(n) * delta;  // both below 2^32: no overflow
        if (span > std::uint64_t(std::numeric_limits<std::int64_t>::max() - time))
            return Bad("stts durations overflow 64 bits at entry " + Num(i + 1));
        time += std::int64_t(span);
        return BoxResult{};
    });
    track_.sttsTotalSamples_ = samples;
    track_.sttsTotalTime_ = time;
    return r;
}

BoxResult BoxTrackBuilder::ChunkOffsets(const Box& box, bool wide)
{
    const char* name = wide ? "co64" : "stco";
    const std::size_t width = wide ? 8 : 4;
    std::uint64_t count = 0;
    if (BoxResult r = EntryCount(box, name, width, count); !r)
        return r;
    if (BoxResult r = Budget(name, count, sizeof(std::uint64_t)); !r)
        return r;
    auto& offsets = track_.chunkOffsets_;
    offsets.reserve(static_cast<std::size_t>(count));
    return Entries(box.payload + 8, count, width, [&](std::uint64_t, const std::uint8_t* p) {
        offsets.push_back(wide ? BE64(p) : BE32(p));
        return BoxResult{};
    });
}

BoxResult BoxTrackBuilder::SampleToChunk(const Box& box)
{
    std::uint64_t count = 0;
    if (BoxResult r = EntryCount(box, "stsc", 12, count); !r)
        return r;
    if (BoxResult r = Budget("stsc", std::min(count, std::uint64_t(track_.chunkOffsets_.size())),
                             sizeof(BoxTrack::ChunkRun));
        !r)
        return r;
    const std::uint64_t chunks = track_.chunkOffsets_.size();
    auto& runs = track_.chunkRuns_;
    runs.reserve(static_cast<std::size_t>(std::min(count, chunks)));
    std::uint32_t previous = 0;
    BoxResult r = Entries(box.payload + 8, count, 12, [&](std::uint64_t i, const std::uint8_t* p) {
        const std::uint32_t first = BE32(p);
        if (first == 0)
            return Bad("stsc entry " + Num(i + 1) + " starts at chunk 0");
        if (i == 0 && first != 1)
            return Bad("stsc starts at chunk " + Num(first) + ", not 1");
        if (first <= previous)
            return Bad("stsc entry " + Num(i + 1) + " goes back to chunk " + Num(first));
        previous = first;
        // Entries for chunks the offset table does not have describe nothing.
        if (first - 1 < chunks)
            runs.push_back({0, first - 1, BE32(p + 4)});
        return BoxResult{};
    });
    if (!r)
        return r;
    std::uint64_t samples = 0;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const std::uint64_t next = i + 1 < runs.size() ? runs[i + 1].firstChunk : chunks;
        runs[i].firstSample = samples;
        samples += (next - runs[i].firstChunk) * runs[i].samplesPerChunk;  // < 2^24 * 2^32
    }
    track_.chunkedSamples_ = samples;
    return {};
}

BoxResult BoxTrackBuilder::Tables(const Box* stts, const Box* stsc, const Box* stsz,
                                  const Box* stz2, const Box* stco, const Box* co64)
{
    if (!stsz && !stz2)
        return Bad("sample table has no sample sizes (stsz)");
    if (!stts)
        return Bad("sample table has no sample times (stts)");
    if (!stsc)
        return Bad("sample table has no sample-to-chunk table (stsc)");
    if (!stco && !co64)
        return Bad("sample table has no chunk offsets (stco)");
    if (BoxResult r = stsz ? Sizes(*stsz, false) : Sizes(*stz2, true); !r)
        return r;
    if (BoxResult r = TimeToSample(*stts); !r)
        return r;
    if (BoxResult r = stco ? ChunkOffsets(*stco, false) : ChunkOffsets(*co64, true); !r)
        return r;
    return SampleToChunk(*stsc);
}

class BoxMovieParser {
public:
    BoxMovieParser(const ByteSource& source, BoxReader& movie) : source_(source), movie_(movie) {}

    BoxResult Run();

private:
    // Reads the header of the box at pos inside [.., end) of the parent. *done is set (with Ok)
    // at a QuickTime list terminator: four zero bytes closing a container.
    BoxResult Header(std::uint64_t pos, std::uint64_t end, std::uint32_t parent, Box* box, bool* done);
    // Calls f(child, depth) for every child box of parent.
    template <class F>
    BoxResult Children(const Box& parent, int depth, F&& f);

    BoxResult ParseMovie(const Box& moov, int depth);
    BoxResult MovieHeader(const Box& mvhd);
    BoxResult TrackBox(const Box& trak, int depth, std::size_t number);

    const ByteSource& source_;
    BoxReader& movie_;
    std::uint64_t boxes_ = 0;
    std::uint64_t tableBytes_ = 0;
    std::vector<BoxStatus> damagedStatus_;  // of each damaged track, in track order
};

BoxResult BoxMovieParser::Header(std::uint64_t pos, std::uint64_t end, std::uint32_t parent,
                                 Box* box, bool* done)
{
    *done = false;
    const std::uint64_t left = end - pos;
    std::uint8_t b[16];
    if (left < 8) {
        if (left == 4) {
            if (BoxResult r = source_.ReadAt(pos, b, 4); !r)
                return r;
            if (BE32(b) == 0) {
                *done = true;
                return {};
            }
        }
        return Malformed(Num(left) + " stray bytes at the end of '" + FourCCText(parent) + "'");
    }
    if (++boxes_ > BoxLimits::kMaxBoxes)
        return Malformed("more than " + Num(BoxLimits::kMaxBoxes) + " boxes");
    if (BoxResult r = source_.ReadAt(pos, b, 8); !r)
        return r;
    std::uint64_t size = BE32(b);
    box->type = BE32(b + 4);
    std::uint64_t header = 8;
    if (size == 1) {
        if (left < 16)
            return Malformed("'" + FourCCText(box->type) + "' has a 64-bit size that does not fit '" +
                             FourCCText(parent) + "'");
        if (BoxResult r = source_.ReadAt(pos + 8, b + 8, 8); !r)
            return r;
        size = BE64(b + 8);
        header = 16;
    } else if (size == 0) {
        size = left;  // to the end of the parent
    }
    if (size < header)
        return Malformed("'" + FourCCText(box->type) + "' declares " + Num(size) +
                         " bytes, less than its header");
    if (size > left)
        return Malformed("'" + FourCCText(box->type) + "' (" + Num(size) +
                         " bytes) is longer than its parent '" + FourCCText(parent) + "' (" +
                         Num(left) + " bytes left)");
    box->start = pos;
    box->payload = pos + header;
    box->end = pos + size;
    return {};
}

template <class F>
BoxResult BoxMovieParser::Children(const Box& parent, int depth, F&& f)
{
    if (depth > BoxLimits::kMaxDepth)
        return Malformed("boxes nest deeper than " + Num(BoxLimits::kMaxDepth) + " levels");
    std::uint64_t pos = parent.payload;
    while (pos < parent.end) {
        Box child;
        bool done = false;
        if (BoxResult r = Header(pos, parent.end, parent.type, &child, &done); !r)
            return r;
        if (done)
            break;
        if (BoxResult r = f(child, depth + 1); !r)
            return r;
        pos = child.end;
    }
    return {};
}

BoxResult BoxMovieParser::Run()
{
    const std::uint64_t fileSize = source_.Size();
    if (fileSize == 0)
        return Truncated("the file is empty; no movie box");
    std::uint64_t pos = 0;
    while (pos < fileSize) {
        const std::uint64_t left = fileSize - pos;
        std::uint8_t b[16];
        if (left < 8)
            return Truncated("no movie box; the file ends inside a box header");
        if (++boxes_ > BoxLimits::kMaxBoxes)
            return Malformed("more than " + Num(BoxLimits::kMaxBoxes) + " boxes");
        if (BoxResult r = source_.ReadAt(pos, b, 8); !r)
            return r;
        Box box;
        box.type = BE32(b + 4);
        if (!Printable(box.type))
            return Malformed("not a movie: no box at byte " + Num(pos) + " (type '" +
                             FourCCText(box.type) + "')");
        std::uint64_t size = BE32(b);
        std::uint64_t header = 8;
        if (size == 1) {
            if (left < 16)
                return Truncated("no movie box; the file ends inside a box header");
            if (BoxResult r = source_.ReadAt(pos + 8, b + 8, 8); !r)
                return r;
            size = BE64(b + 8);
            header = 16;
        } else if (size == 0) {
            size = left;  // to the end of the file
        }
        if (size < header)
            return Malformed("'" + FourCCText(box.type) + "' at byte " + Num(pos) + " declares " +
                             Num(size) + " bytes, less than its header");
        if (size > left) {
            if (box.type == Code("moov"))
                return Truncated("movie box cut short: it declares " + Num(size) +
                                 " bytes, the file holds " + Num(left));
            return Truncated("no movie box; the file ends inside '" + FourCCText(box.type) + "'");
        }
        box.start = pos;
        box.payload = pos + header;
        box.end = pos + size;
        if (box.type == Code("moov"))
            return ParseMovie(box, 1);  // the first movie box is the movie; what follows is not read
        pos = box.end;
    }
    return Truncated("no movie box");
}

BoxResult BoxMovieParser::MovieHeader(const Box& mvhd)
{
    std::uint8_t b[32];
    const std::uint64_t size = mvhd.PayloadSize();
    if (size < 4)
        return Malformed("'mvhd' is too short (" + Num(size) + " bytes)");
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof b));
    if (BoxResult r = source_.ReadAt(mvhd.payload, b, n); !r)
        return r;
    if (b[0] > 1)
        return Malformed("'mvhd' has unknown version " + Num(b[0]));
    const bool v1 = b[0] == 1;
    if (n < (v1 ? 32u : 20u))
        return Malformed("'mvhd' is too short (" + Num(size) + " bytes)");
    const std::uint32_t scale = BE32(b + (v1 ? 20 : 12));
    if (scale == 0 || scale > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return Malformed("movie time scale " + Num(scale) + " is out of range");
    movie_.timeScale_ = scale;
    movie_.duration_ = v1 ? BE64(b + 24) : BE32(b + 16);
    return {};
}

BoxResult BoxMovieParser::ParseMovie(const Box& moov, int depth)
{
    bool haveHeader = false;
    BoxResult r = Children(moov, depth, [&](const Box& child, int d) -> BoxResult {
        if (child.type == Code("mvhd") && !haveHeader) {
            haveHeader = true;
            return MovieHeader(child);
        }
        if (child.type == Code("cmov"))
            return Malformed("compressed movie boxes ('cmov') are not supported");
        if (child.type == Code("trak")) {
            if (movie_.tracks_.size() >= BoxLimits::kMaxTracks)
                return Malformed("more than " + Num(BoxLimits::kMaxTracks) + " tracks");
            movie_.tracks_.emplace_back();
            const std::uint64_t tableBytesBefore = tableBytes_;
            BoxResult t = TrackBox(child, d, movie_.tracks_.size());
            // A track that is damaged in itself is kept, empty, and the movie read on. Reading
            // errors and the reader's own limits on the whole file still end the reading.
            const bool inTrack = t.status == BoxStatus::Malformed || t.status == BoxStatus::Truncated;
            if (t || !inTrack || boxes_ > BoxLimits::kMaxBoxes)
                return t;
            BoxTrack& damaged = movie_.tracks_.back();
            BoxTrack empty;
            empty.trackId_ = damaged.trackId_;
            empty.handlerType_ = damaged.handlerType_;
            empty.mediaTimeScale_ = 1;
            empty.damage_ = t.message;
            damaged = std::move(empty);
            damagedStatus_.push_back(t.status);
            tableBytes_ = tableBytesBefore;  // the tables it had built are gone
            return {};
        }
        return {};
    });
    if (!r)
        return r;
    if (!haveHeader)
        return Malformed("the movie box has no movie header ('mvhd')");
    // The movie cannot be shown when its video track is the damaged one: a damaged track whose
    // handler says video, or whose handler was never read, while no sound video track is left.
    const auto& tracks = movie_.tracks_;
    const bool videoLeft = std::any_of(tracks.begin(), tracks.end(), [](const BoxTrack& t) {
        return t.damage_.empty() && t.handlerType_ == Code("vide");
    });
    if (!videoLeft) {
        std::size_t damagedIndex = 0;
        for (const BoxTrack& t : tracks) {
            if (t.damage_.empty())
                continue;
            const BoxStatus status = damagedStatus_[damagedIndex++];
            if (t.handlerType_ == Code("vide") || t.handlerType_ == 0) {
                BoxResult failed;
                failed.status = status;
                failed.message = t.damage_;
                return failed;
            }
        }
    }
    return {};
}

BoxResult BoxMovieParser::TrackBox(const Box& trak, int depth, std::size_t number)
{
    BoxTrack& track = movie_.tracks_.back();
    BoxTrackBuilder build(source_, track, number, &tableBytes_);
    const std::string which = " (track " + Num(number) + ")";
    bool haveMedia = false, haveMediaHeader = false, haveHandler = false, haveTables = false;
    bool haveRefs = false, haveTkhd = false;

    auto table = [&](const Box& stbl, int d) -> BoxResult {
        Box found[6];
        bool have[6] = {};
        static constexpr std::uint32_t kinds[6] = {Code("stts"), Code("stsc"), Code("stsz"),
                                                   Code("stz2"), Code("stco"), Code("co64")};
        BoxResult r = Children(stbl, d, [&](const Box& b, int) -> BoxResult {
            for (int i = 0; i < 6; ++i)
                if (b.type == kinds[i] && !have[i]) {
                    have[i] = true;
                    found[i] = b;
                }
            return {};
        });
        if (!r)
            return r;
        auto at = [&](int i) { return have[i] ? &found[i] : nullptr; };
        return build.Tables(at(0), at(1), at(2), at(3), at(4), at(5));
    };
    auto info = [&](const Box& minf, int d) -> BoxResult {
        return Children(minf, d, [&](const Box& b, int d2) -> BoxResult {
            if (b.type == Code("stbl") && !haveTables) {
                haveTables = true;
                return table(b, d2);
            }
            if (b.type == Code("dinf") && !haveRefs) {
                haveRefs = true;
                return Children(b, d2, [&](const Box& ref, int) -> BoxResult {
                    if (ref.type == Code("dref") && track.DataReferences().empty())
                        return build.DataRefs(ref);
                    return {};
                });
            }
            return {};
        });
    };
    auto media = [&](const Box& mdia, int d) -> BoxResult {
        bool haveInfo = false;
        return Children(mdia, d, [&](const Box& b, int d2) -> BoxResult {
            if (b.type == Code("mdhd") && !haveMediaHeader) {
                haveMediaHeader = true;
                return build.MediaHeader(b);
            }
            if (b.type == Code("hdlr") && !haveHandler) {
                haveHandler = true;
                return build.Handler(b);
            }
            if (b.type == Code("minf") && !haveInfo) {
                haveInfo = true;
                return info(b, d2);
            }
            return {};
        });
    };
    BoxResult r = Children(trak, depth, [&](const Box& b, int d) -> BoxResult {
        if (b.type == Code("tkhd") && !haveTkhd) {
            haveTkhd = true;
            return build.Header(b);
        }
        if (b.type == Code("mdia") && !haveMedia) {
            haveMedia = true;
            return media(b, d);
        }
        return {};
    });
    if (!r)
        return r;
    if (!haveMedia)
        return Malformed("no media box ('mdia')" + which);
    if (!haveMediaHeader)
        return Malformed("no media header ('mdhd')" + which);
    if (!haveTables)
        return Malformed("no sample table ('stbl')" + which);
    return {};
}

BoxResult BoxReader::Open(std::shared_ptr<const ByteSource> source, std::unique_ptr<BoxReader>* movie)
{
    movie->reset();
    if (!source)
        return BoxResult::Fail(BoxStatus::NotFound, "no file");
    try {
        std::unique_ptr<BoxReader> m(new BoxReader());
        m->source_ = std::move(source);
        BoxMovieParser parser(*m->source_, *m);
        if (BoxResult r = parser.Run(); !r)
            return r;
        *movie = std::move(m);
        return {};
    } catch (const std::bad_alloc&) {
        return BoxResult::Fail(BoxStatus::IoError, "out of memory");
    } catch (const std::length_error&) {
        return BoxResult::Fail(BoxStatus::IoError, "out of memory");
    }
}

BoxResult BoxReader::Open(const std::string& path, std::unique_ptr<BoxReader>* movie)
{
    movie->reset();
    std::shared_ptr<const ByteSource> source;
    if (BoxResult r = OpenFileSource(path, &source); !r)
        return r;
    return Open(std::move(source), movie);
}
