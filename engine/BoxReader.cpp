#include "BoxReader.h"

#include "BoxReaderBoxes.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using boxes::BE16;
using boxes::BE32;
using boxes::BE64;
using boxes::Code;

namespace {

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
            return Truncated("the file ends at byte " + Num(size_) + ", before byte " + Num(offset + n));
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
            return Truncated("the data ends at byte " + Num(bytes_.size()) + ", before byte " + Num(offset + n));
        if (n > 0)
            std::memcpy(out, bytes_.data() + offset, n);
        return {};
    }

private:
    std::vector<std::uint8_t> bytes_;
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

// ---- box headers --------------------------------------------------------------------------------

namespace boxes {

BoxStatus Header::Status() const { return fit == HeaderFit::BelowHeader ? BoxStatus::Malformed : BoxStatus::Truncated; }

BoxResult ReadHeader(const ByteSource& source, std::uint64_t pos, std::uint64_t end, Header* header)
{
    Header& h = *header;
    h = Header{};
    h.room = end - pos;
    std::uint8_t b[16];
    if (h.room < 8) {
        if (h.room == 4) {
            if (BoxResult r = source.ReadAt(pos, b, 4); !r)
                return r;
            if (BE32(b) == 0)
                h.fit = HeaderFit::ListEnd;
        }
        return {};
    }
    if (BoxResult r = source.ReadAt(pos, b, 8); !r)
        return r;
    h.box.type = BE32(b + 4);
    h.size = BE32(b);
    h.headerSize = 8;
    if (h.size == 1) {
        if (h.room < 16) {
            h.fit = HeaderFit::NoLargeSize;
            return {};
        }
        if (BoxResult r = source.ReadAt(pos + 8, b + 8, 8); !r)
            return r;
        h.size = BE64(b + 8);
        h.headerSize = 16;
    } else if (h.size == 0) {
        h.size = h.room;
    }
    if (h.size < h.headerSize) {
        h.fit = HeaderFit::BelowHeader;
    } else if (h.size > h.room) {
        h.fit = HeaderFit::PastEnd;
    } else {
        h.fit = HeaderFit::Fits;
        h.box.start = pos;
        h.box.payload = pos + h.headerSize;
        h.box.end = pos + h.size;
    }
    return {};
}

}  // namespace boxes

// ---- the boxes read, one plain struct a box type ------------------------------------------------
// `where` ends every message about a box that cannot be read: " (track 3)" in a track, else empty.

namespace {

BoxResult TooShort(const BoxSpan& box, const std::string& where)
{
    return Malformed("'" + FourCCText(box.type) + "' is too short (" + Num(box.PayloadSize()) + " bytes)" + where);
}

// Reads up to `want` bytes of a small full box's payload into buf, at least `need` of them, and
// checks the version in its first byte. *got: the bytes read.
BoxResult ReadSmallBox(const ByteSource& source, const BoxSpan& box, std::uint8_t* buf, std::size_t want,
                       std::size_t need, unsigned maxVersion, const std::string& where, std::size_t* got)
{
    const std::uint64_t size = box.PayloadSize();
    if (size < need)
        return TooShort(box, where);
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size, want));
    if (BoxResult r = source.ReadAt(box.payload, buf, n); !r)
        return r;
    if (buf[0] > maxVersion)
        return Malformed("'" + FourCCText(box.type) + "' has unknown version " + Num(buf[0]) + where);
    *got = n;
    return {};
}

// The header boxes 'mvhd', 'mdhd' and 'tkhd' open alike: version and flags, then the creation and
// modification times, 64-bit in version 1. Reads size0 bytes of the payload (size1 in version 1)
// into buf; *fields: the first byte after the times.
BoxResult ReadTimedHeader(const ByteSource& source, const BoxSpan& box, const std::string& where, std::size_t size0,
                          std::size_t size1, std::uint8_t* buf, const std::uint8_t** fields)
{
    std::size_t got = 0;
    if (BoxResult r = ReadSmallBox(source, box, buf, size1, 4, 1, where, &got); !r)
        return r;
    const bool v1 = buf[0] == 1;
    if (got < (v1 ? size1 : size0))
        return TooShort(box, where);
    *fields = buf + (v1 ? 20 : 12);
    return {};
}

// The movie header ('mvhd') and the media header ('mdhd'), alike up to the duration.
struct MediaHeader {
    std::uint32_t timeScale = 0;  // 1 to 2^31 - 1
    std::uint64_t duration = 0;   // 64-bit in version 1
};

BoxResult ReadMediaHeader(const ByteSource& source, const BoxSpan& box, const std::string& where, MediaHeader* header)
{
    std::uint8_t b[32];
    const std::uint8_t* f = nullptr;
    if (BoxResult r = ReadTimedHeader(source, box, where, 20, 32, b, &f); !r)
        return r;
    const std::uint32_t scale = BE32(f);
    if (scale == 0 || scale > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return Malformed(std::string(box.type == Code("mvhd") ? "movie" : "media") + " time scale " + Num(scale) +
                         " is out of range" + where);
    header->timeScale = scale;
    header->duration = b[0] == 1 ? BE64(f + 4) : BE32(f + 4);
    return {};
}

// The track header ('tkhd').
struct TrackHeader {
    std::uint32_t trackId = 0;
};

BoxResult ReadTrackHeader(const ByteSource& source, const BoxSpan& box, const std::string& where, TrackHeader* header)
{
    std::uint8_t b[24];
    const std::uint8_t* f = nullptr;
    if (BoxResult r = ReadTimedHeader(source, box, where, 16, 24, b, &f); !r)
        return r;
    header->trackId = BE32(f);
    return {};
}

// The handler reference ('hdlr').
struct HandlerReference {
    std::uint32_t handlerType = 0;
};

BoxResult ReadHandler(const ByteSource& source, const BoxSpan& box, const std::string& where, HandlerReference* handler)
{
    // version/flags, pre-defined (QuickTime: the component type), then the handler type
    // (QuickTime: the component subtype)
    std::uint8_t b[12];
    std::size_t got = 0;
    if (BoxResult r = ReadSmallBox(source, box, b, sizeof b, 12, 0, where, &got); !r)
        return r;
    handler->handlerType = BE32(b + 8);
    return {};
}

// The head of a sample size table after its version and flags: 'stsz' (32-bit sizes, or one size
// for all) or 'stz2' (4, 8 or 16-bit sizes).
struct SampleSizeHeader {
    std::uint32_t constantSize = 0;  // stsz only; not 0: every sample has this size
    unsigned fieldBits = 32;         // stz2: the width of an entry as declared
    std::uint32_t sampleCount = 0;
    static SampleSizeHeader Parse(const std::uint8_t* head, bool compact)
    {
        return compact ? SampleSizeHeader{0, head[7], BE32(head + 8)}
                       : SampleSizeHeader{BE32(head + 4), 32, BE32(head + 8)};
    }
};

// An entry of the time-to-sample table ('stts').
struct TimeToSampleEntry {
    std::uint32_t sampleCount = 0;
    std::uint32_t sampleDelta = 0;
    static TimeToSampleEntry Parse(const std::uint8_t* p) { return {BE32(p), BE32(p + 4)}; }
};

// An entry of the sample-to-chunk table ('stsc'); its sample description index is not read.
struct SampleToChunkEntry {
    std::uint32_t firstChunk = 0;  // from 1
    std::uint32_t samplesPerChunk = 0;
    static SampleToChunkEntry Parse(const std::uint8_t* p) { return {BE32(p), BE32(p + 4)}; }
};

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
        return BoxResult::Fail(BoxStatus::NoSample,
                               "time " + std::to_string(mediaTime) + " lies before the first sample");
    if (mediaTime >= sttsTotalTime_)
        return BoxResult::Fail(BoxStatus::NoSample, "time " + std::to_string(mediaTime) +
                                                        " lies past the last sample, "
                                                        "which ends at " +
                                                        std::to_string(sttsTotalTime_));
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
        return Malformed("time-to-sample table gives sample " + Num(index + 1) + " but the size table has " +
                         Num(sampleCount_));
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
        return BoxResult::Fail(BoxStatus::NoSample,
                               "sample " + Num(index + 1) + " does not exist; the track has " + Num(sampleCount_));
    if (index >= chunkedSamples_)
        return Malformed("no chunk holds sample " + Num(index + 1) + "; the chunks hold " + Num(chunkedSamples_));
    auto it = std::upper_bound(chunkRuns_.begin(), chunkRuns_.end(), index,
                               [](std::uint64_t s, const ChunkRun& r) { return s < r.firstSample; });
    if (it == chunkRuns_.begin() || (it - 1)->samplesPerChunk == 0)
        return Malformed("no chunk holds sample " + Num(index + 1));
    const ChunkRun& run = *(it - 1);
    const std::uint64_t chunkInRun = (index - run.firstSample) / run.samplesPerChunk;
    const std::uint64_t chunk = run.firstChunk + chunkInRun;
    if (chunk >= chunkOffsets_.size())
        return Malformed("sample " + Num(index + 1) + " lies in chunk " + Num(chunk + 1) + " of " +
                         Num(chunkOffsets_.size()));
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

BoxResult BoxReader::ReadSample(const SampleLocation& sample, std::uint8_t* buffer, std::size_t capacity,
                                std::size_t* byteCount) const
{
    if (byteCount)
        *byteCount = 0;
    if (sample.size > capacity)
        return BoxResult::Fail(BoxStatus::TooLarge, "sample " + Num(sample.index + 1) + " is " + Num(sample.size) +
                                                        " bytes; the buffer holds " + Num(capacity));
    const std::uint64_t fileSize = source_->Size();
    if (sample.offset > fileSize || sample.size > fileSize - sample.offset)
        return Truncated("sample " + Num(sample.index + 1) + " (bytes " + Num(sample.offset) + " to " +
                         Num(sample.offset + sample.size) + ") lies past the end of the file at " + Num(fileSize));
    if (sample.size > 0 && !buffer)
        return BoxResult::Fail(BoxStatus::TooLarge, "no buffer");
    if (BoxResult r = source_->ReadAt(sample.offset, buffer, sample.size); !r)
        return r;
    if (byteCount)
        *byteCount = sample.size;
    return {};
}

BoxResult BoxReader::ReadSample(const BoxTrack& track, std::int64_t mediaTime, std::uint8_t* buffer,
                                std::size_t capacity, std::size_t* byteCount, SampleLocation* where) const
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
    BoxTrackBuilder(const ByteSource& source, BoxTrack& track, const std::string& where, std::uint64_t* movieTableBytes)
        : source_(source), track_(track), where_(where), movieTableBytes_(movieTableBytes)
    {
    }

    BoxResult DataRefs(const BoxSpan& box);
    BoxResult Tables(const BoxSpan* stts, const BoxSpan* stsc, const BoxSpan* stsz, const BoxSpan* stz2,
                     const BoxSpan* stco, const BoxSpan* co64);

private:
    BoxResult Bad(const std::string& detail) const { return Malformed(detail + where_); }
    // Reads `count` entries of `size` bytes from `offset` in blocks, passing each to f.
    template <class F>
    BoxResult Entries(std::uint64_t offset, std::uint64_t count, std::size_t size, F&& f);
    // Reads the head of a table: its version/flags word and the fields up to the entries.
    BoxResult TableHead(const BoxSpan& box, std::size_t headSize, std::uint8_t* head);
    BoxResult EntryCount(const BoxSpan& box, const char* name, std::size_t width, std::uint64_t& count);
    // Counts the memory a table's lookup entries will take against the movie's budget.
    BoxResult Budget(const char* table, std::uint64_t entries, std::uint64_t entrySize);

    BoxResult Sizes(const BoxSpan& box, bool compact);
    BoxResult TimeToSample(const BoxSpan& box);
    BoxResult ChunkOffsets(const BoxSpan& box, bool wide);
    BoxResult SampleToChunk(const BoxSpan& box);

    const ByteSource& source_;
    BoxTrack& track_;
    const std::string where_;  // " (track 3)": ends every message about the track
    std::uint64_t* movieTableBytes_;
};

BoxResult BoxTrackBuilder::DataRefs(const BoxSpan& box)
{
    std::uint8_t head[8];
    if (BoxResult r = TableHead(box, sizeof head, head); !r)
        return r;
    const std::uint64_t count = BE32(head + 4);
    const std::uint64_t room = (box.PayloadSize() - 8) / 12;  // an entry is at least 12 bytes
    if (count > room)
        return Bad("dref entry count " + Num(count) + " exceeds its box");
    // Each entry is a full box: a box header, then version and flags.
    std::uint64_t pos = box.payload + 8;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::string entry = "dref entry " + Num(i + 1);
        if (box.end - pos < 12)
            return Bad(entry + " does not fit its box");
        boxes::Header h;
        if (BoxResult r = boxes::ReadHeader(source_, pos, box.end, &h); !r)
            return r;
        if (h.fit == boxes::HeaderFit::NoLargeSize || h.room < h.headerSize + 4)
            return Bad(entry + " does not fit its box");
        if (h.fit == boxes::HeaderFit::BelowHeader || h.size < h.headerSize + 4)
            return Bad(entry + " declares " + Num(h.size) + " bytes, too few");
        if (h.fit == boxes::HeaderFit::PastEnd)
            return Bad(entry + " (" + Num(h.size) + " bytes) is longer than its box");
        std::uint8_t vf[4];
        if (BoxResult r = source_.ReadAt(h.box.payload, vf, 4); !r)
            return r;
        if (track_.dataRefs_.size() < BoxLimits::kMaxDataReferences) {
            DataReference ref;
            ref.type = h.box.type;
            ref.flags = BE32(vf) & 0xFFFFFF;
            track_.dataRefs_.push_back(ref);
        }
        pos = h.box.end;
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

BoxResult BoxTrackBuilder::TableHead(const BoxSpan& box, std::size_t headSize, std::uint8_t* head)
{
    std::size_t got = 0;
    return ReadSmallBox(source_, box, head, headSize, headSize, 0, where_, &got);
}

// The entry count of a table with a version/flags word and a 32-bit count before its entries of
// `width` bytes, checked against the room in its box and the entry limit before anything is
// allocated for it.
BoxResult BoxTrackBuilder::EntryCount(const BoxSpan& box, const char* name, std::size_t width, std::uint64_t& count)
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
        return Bad(std::string("the sample tables need more than ") + Num(BoxLimits::kMaxTableBytes >> 20) +
                   " MiB at '" + table + "'");
    return {};
}

BoxResult BoxTrackBuilder::Sizes(const BoxSpan& box, bool compact)
{
    const char* name = compact ? "stz2" : "stsz";
    std::uint8_t head[12];
    if (BoxResult r = TableHead(box, sizeof head, head); !r)
        return r;
    const auto sizes = SampleSizeHeader::Parse(head, compact);
    const std::uint64_t count = sizes.sampleCount;
    const std::uint64_t room = box.PayloadSize() - 12;
    const unsigned bits = sizes.fieldBits;
    if (compact && bits != 4 && bits != 8 && bits != 16)
        return Bad("stz2 field size " + Num(bits) + " is not 4, 8 or 16");
    if (sizes.constantSize != 0) {
        if (count > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
            return Bad("stsz sample count " + Num(count) + " is more than a track can hold");
        track_.constantSize_ = sizes.constantSize;
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

BoxResult BoxTrackBuilder::TimeToSample(const BoxSpan& box)
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
        const auto [n, delta] = TimeToSampleEntry::Parse(p);
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
    track_.sttsTotalTime_ = time;
    return r;
}

BoxResult BoxTrackBuilder::ChunkOffsets(const BoxSpan& box, bool wide)
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

BoxResult BoxTrackBuilder::SampleToChunk(const BoxSpan& box)
{
    std::uint64_t count = 0;
    if (BoxResult r = EntryCount(box, "stsc", 12, count); !r)
        return r;
    if (BoxResult r =
            Budget("stsc", std::min(count, std::uint64_t(track_.chunkOffsets_.size())), sizeof(BoxTrack::ChunkRun));
        !r)
        return r;
    const std::uint64_t chunks = track_.chunkOffsets_.size();
    auto& runs = track_.chunkRuns_;
    runs.reserve(static_cast<std::size_t>(std::min(count, chunks)));
    std::uint32_t previous = 0;
    BoxResult r = Entries(box.payload + 8, count, 12, [&](std::uint64_t i, const std::uint8_t* p) {
        const auto [first, samplesPerChunk] = SampleToChunkEntry::Parse(p);
        if (first == 0)
            return Bad("stsc entry " + Num(i + 1) + " starts at chunk 0");
        if (i == 0 && first != 1)
            return Bad("stsc starts at chunk " + Num(first) + ", not 1");
        if (first <= previous)
            return Bad("stsc entry " + Num(i + 1) + " goes back to chunk " + Num(first));
        previous = first;
        // Entries for chunks the offset table does not have describe nothing.
        if (first - 1 < chunks)
            runs.push_back({0, first - 1, samplesPerChunk});
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

BoxResult BoxTrackBuilder::Tables(const BoxSpan* stts, const BoxSpan* stsc, const BoxSpan* stsz, const BoxSpan* stz2,
                                  const BoxSpan* stco, const BoxSpan* co64)
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
    BoxResult ChildHeader(std::uint64_t pos, std::uint64_t end, std::uint32_t parent, BoxSpan* box, bool* done);
    // Counts a box header against the limit on boxes.
    BoxResult CountBox();
    // Calls f(child, depth) for every child box of parent.
    template <class F>
    BoxResult Children(const BoxSpan& parent, int depth, F&& f);

    BoxResult ParseMovie(const BoxSpan& moov, int depth);
    BoxResult TrackBox(const BoxSpan& trak, int depth, std::size_t number);

    const ByteSource& source_;
    BoxReader& movie_;
    std::uint64_t boxes_ = 0;
    std::uint64_t tableBytes_ = 0;
    std::vector<BoxStatus> damagedStatus_;  // of each damaged track, in track order
};

BoxResult BoxMovieParser::CountBox()
{
    if (++boxes_ > BoxLimits::kMaxBoxes)
        return Malformed("more than " + Num(BoxLimits::kMaxBoxes) + " boxes");
    return {};
}

BoxResult BoxMovieParser::ChildHeader(std::uint64_t pos, std::uint64_t end, std::uint32_t parent, BoxSpan* box,
                                      bool* done)
{
    using boxes::HeaderFit;
    *done = false;
    boxes::Header h;
    if (BoxResult r = boxes::ReadHeader(source_, pos, end, &h); !r)
        return r;
    if (h.fit == HeaderFit::ListEnd) {
        *done = true;
        return {};
    }
    if (h.fit == HeaderFit::NoHeader)
        return Malformed(Num(h.room) + " stray bytes at the end of '" + FourCCText(parent) + "'");
    if (BoxResult r = CountBox(); !r)
        return r;
    const std::string type = "'" + FourCCText(h.box.type) + "'";
    switch (h.fit) {
    case HeaderFit::NoLargeSize:
        return Malformed(type + " has a 64-bit size that does not fit '" + FourCCText(parent) + "'");
    case HeaderFit::BelowHeader: return Malformed(type + " declares " + Num(h.size) + " bytes, less than its header");
    case HeaderFit::PastEnd:
        return Malformed(type + " (" + Num(h.size) + " bytes) is longer than its parent '" + FourCCText(parent) +
                         "' (" + Num(h.room) + " bytes left)");
    default: break;
    }
    *box = h.box;
    return {};
}

template <class F>
BoxResult BoxMovieParser::Children(const BoxSpan& parent, int depth, F&& f)
{
    if (depth > BoxLimits::kMaxDepth)
        return Malformed("boxes nest deeper than " + Num(BoxLimits::kMaxDepth) + " levels");
    std::uint64_t pos = parent.payload;
    while (pos < parent.end) {
        BoxSpan child;
        bool done = false;
        if (BoxResult r = ChildHeader(pos, parent.end, parent.type, &child, &done); !r)
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
    using boxes::HeaderFit;
    const std::uint64_t fileSize = source_.Size();
    if (fileSize == 0)
        return Truncated("the file is empty; no movie box");
    std::uint64_t pos = 0;
    while (pos < fileSize) {
        boxes::Header h;
        if (BoxResult r = boxes::ReadHeader(source_, pos, fileSize, &h); !r)
            return r;
        const char* const cutHeader = "no movie box; the file ends inside a box header";
        if (h.fit == HeaderFit::NoHeader || h.fit == HeaderFit::ListEnd)
            return Truncated(cutHeader);
        if (BoxResult r = CountBox(); !r)
            return r;
        const BoxSpan& box = h.box;
        const std::string type = "'" + FourCCText(box.type) + "'";
        if (!Printable(box.type))
            return Malformed("not a movie: no box at byte " + Num(pos) + " (type " + type + ")");
        const bool moov = box.type == Code("moov");
        switch (h.fit) {
        case HeaderFit::NoLargeSize: return BoxResult::Fail(h.Status(), cutHeader);
        case HeaderFit::BelowHeader:
            return BoxResult::Fail(h.Status(), type + " at byte " + Num(pos) + " declares " + Num(h.size) +
                                                   " bytes, less than its header");
        case HeaderFit::PastEnd:
            return BoxResult::Fail(h.Status(), moov ? "movie box cut short: it declares " + Num(h.size) +
                                                          " bytes, the file holds " + Num(h.room)
                                                    : "no movie box; the file ends inside " + type);
        default: break;
        }
        if (moov)
            return ParseMovie(box, 1);  // the first movie box is the movie; what follows is not read
        pos = box.end;
    }
    return Truncated("no movie box");
}

BoxResult BoxMovieParser::ParseMovie(const BoxSpan& moov, int depth)
{
    bool haveHeader = false;
    BoxResult r = Children(moov, depth, [&](const BoxSpan& child, int d) -> BoxResult {
        if (child.type == Code("mvhd") && !haveHeader) {
            haveHeader = true;
            MediaHeader mvhd;
            BoxResult h = ReadMediaHeader(source_, child, "", &mvhd);
            movie_.timeScale_ = mvhd.timeScale;  // 0 when it cannot be read
            movie_.duration_ = mvhd.duration;
            return h;
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

BoxResult BoxMovieParser::TrackBox(const BoxSpan& trak, int depth, std::size_t number)
{
    BoxTrack& track = movie_.tracks_.back();
    const std::string which = " (track " + Num(number) + ")";
    BoxTrackBuilder build(source_, track, which, &tableBytes_);
    bool haveMedia = false, haveMediaHeader = false, haveHandler = false, haveTables = false;
    bool haveRefs = false, haveTkhd = false;

    auto table = [&](const BoxSpan& stbl, int d) -> BoxResult {
        BoxSpan found[6];
        bool have[6] = {};
        static constexpr std::uint32_t kinds[6] = {Code("stts"), Code("stsc"), Code("stsz"),
                                                   Code("stz2"), Code("stco"), Code("co64")};
        BoxResult r = Children(stbl, d, [&](const BoxSpan& b, int) -> BoxResult {
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
    auto info = [&](const BoxSpan& minf, int d) -> BoxResult {
        return Children(minf, d, [&](const BoxSpan& b, int d2) -> BoxResult {
            if (b.type == Code("stbl") && !haveTables) {
                haveTables = true;
                return table(b, d2);
            }
            if (b.type == Code("dinf") && !haveRefs) {
                haveRefs = true;
                return Children(b, d2, [&](const BoxSpan& ref, int) -> BoxResult {
                    if (ref.type == Code("dref") && track.DataReferences().empty())
                        return build.DataRefs(ref);
                    return {};
                });
            }
            return {};
        });
    };
    auto media = [&](const BoxSpan& mdia, int d) -> BoxResult {
        bool haveInfo = false;
        return Children(mdia, d, [&](const BoxSpan& b, int d2) -> BoxResult {
            if (b.type == Code("mdhd") && !haveMediaHeader) {
                haveMediaHeader = true;
                MediaHeader mdhd;
                BoxResult h = ReadMediaHeader(source_, b, which, &mdhd);
                track.mediaTimeScale_ = mdhd.timeScale;  // 0 when it cannot be read
                track.mediaDuration_ = mdhd.duration;
                return h;
            }
            if (b.type == Code("hdlr") && !haveHandler) {
                haveHandler = true;
                HandlerReference hdlr;
                BoxResult h = ReadHandler(source_, b, which, &hdlr);
                track.handlerType_ = hdlr.handlerType;
                return h;
            }
            if (b.type == Code("minf") && !haveInfo) {
                haveInfo = true;
                return info(b, d2);
            }
            return {};
        });
    };
    BoxResult r = Children(trak, depth, [&](const BoxSpan& b, int d) -> BoxResult {
        if (b.type == Code("tkhd") && !haveTkhd) {
            haveTkhd = true;
            TrackHeader tkhd;
            BoxResult h = ReadTrackHeader(source_, b, which, &tkhd);
            track.trackId_ = tkhd.trackId;
            return h;
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
