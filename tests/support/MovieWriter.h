#pragma once
// Writes small QuickTime movies for tests: a builder of boxes and, on top of it, a writer of whole
// movies from a description of their tracks and samples. Used where ffmpeg cannot make the file:
// a movie with two tracks only, a text track whose data lives in another file, payloads with a
// wrong length prefix, 64-bit box sizes, compact sample sizes, a movie box after the media data,
// and files cut short or damaged on purpose (the writer tells where every box went).
//
// This is a writer only: it knows the box layouts by itself and shares no code with the player's
// reader, so a test that reads back what it wrote checks the reader against an independent source.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace moviewriter {

using Bytes = std::vector<std::uint8_t>;

/// How a box writes its size.
enum class SizeForm {
    Normal,  ///< 32-bit size
    Large,   ///< size field 1 followed by a 64-bit size
    ToEnd,   ///< size field 0: the box runs to the end of its parent (or of the file)
};

/// One box: a type, payload bytes, then child boxes. Numbers are written big-endian.
class Box {
public:
    explicit Box(std::string_view type);  ///< four characters; shorter types are padded with blanks

    Box& U8(std::uint8_t v);
    Box& U16(std::uint16_t v);
    Box& U24(std::uint32_t v);
    Box& U32(std::uint32_t v);
    Box& U64(std::uint64_t v);
    Box& Type(std::string_view fourCC);  ///< four characters
    Box& Raw(const Bytes& bytes);
    Box& Text(std::string_view text);  ///< the bytes of text, no terminator
    Box& Zeros(std::size_t count);
    Box& FullHeader(std::uint8_t version, std::uint32_t flags);  ///< version byte + 24-bit flags
    Box& Add(Box child);                                         ///< a child box after the payload
    Box& Form(SizeForm form);

    /// The encoded box.
    Bytes Encode() const;

    const std::string& TypeName() const { return type_; }
    const Bytes& Payload() const { return payload_; }
    const std::vector<Box>& Children() const { return children_; }
    SizeForm SizeKind() const { return form_; }

private:
    std::string type_;
    Bytes payload_;
    std::vector<Box> children_;
    SizeForm form_ = SizeForm::Normal;
};

/// One entry of the time-to-sample table: `count` samples lasting `delta` each.
struct SampleTimes {
    std::uint32_t count = 0;
    std::uint32_t delta = 0;
};

/// One track to write.
struct TrackSpec {
    std::string handler = "text";  ///< 'vide', 'soun', 'text', ...
    std::uint32_t mediaTimeScale = 1000;
    std::uint8_t mediaHeaderVersion = 0;  ///< mdhd version 0 (32-bit times) or 1 (64-bit)
    std::vector<Bytes> samples;
    /// The time-to-sample table; empty: one entry, every sample lasting one second.
    std::vector<SampleTimes> times;
    /// Samples in each chunk, in order; empty: `samplesPerChunk` each (the last chunk may hold
    /// fewer). The sample-to-chunk table is written with one entry per change.
    std::vector<std::uint32_t> chunkSizes;
    std::uint32_t samplesPerChunk = 1;
    /// Sample sizes: 0 writes 'stsz'; 4, 8 or 16 writes 'stz2' with that field size.
    int compactSizeBits = 0;
    /// Writes 'stsz' with one size for all samples (they must all have it).
    bool constantSize = false;
    bool chunkOffsets64 = false;   ///< 'co64' instead of 'stco'
    bool quickTimeHandler = true;  ///< 'hdlr' as QuickTime writes it (component type 'mhlr')
    /// The first (only) data reference entry. Flag 1 means the data is in this file.
    bool hasDataRef = true;
    std::string dataRefType = "alis";
    std::uint32_t dataRefFlags = 1;
    Bytes dataRefData;  ///< what follows the entry's version and flags (a URL, ...)
};

/// Where the boxes go in the file.
enum class Layout {
    MdatFirst,  ///< ftyp, wide, mdat, moov: as a camera writes it
    MoovFirst,  ///< ftyp, moov, mdat: as a "fast start" movie
};

/// One movie to write.
struct MovieSpec {
    std::uint32_t timeScale = 1000;
    std::uint64_t duration = 0;  ///< 0: the longest track's duration in movie units
    std::uint8_t movieHeaderVersion = 0;
    std::vector<TrackSpec> tracks;
    Layout layout = Layout::MdatFirst;
    SizeForm mediaDataSize = SizeForm::Normal;
    SizeForm lastBoxSize = SizeForm::Normal;  ///< the size form of the last top-level box
    /// Zero bytes at the end of 'mdat' that are not written out: a file written with WriteFile gets
    /// a hole there (sparse), so a movie box can follow gigabytes of media data cheaply.
    std::uint64_t mediaDataGap = 0;
};

/// Where a box was written.
struct BoxPlace {
    std::string path;          ///< "moov/trak[3]/mdia/minf/stbl/stsz": the n-th trak from 1
    std::uint64_t offset = 0;  ///< of its first header byte
    std::uint64_t size = 0;    ///< whole box, header included
    std::uint64_t headerSize = 8;
};

/// A written movie.
struct WrittenMovie {
    Bytes bytes;                  ///< the file, without the gap
    std::uint64_t gapOffset = 0;  ///< where the unwritten gap lies in the file
    std::uint64_t gapSize = 0;
    std::vector<BoxPlace> boxes;  ///< every box, in file order
    /// File offset of each sample: sampleOffsets[track][sample], tracks from 0.
    std::vector<std::vector<std::uint64_t>> sampleOffsets;

    /// The box at path; a zero-size place when there is none.
    BoxPlace Find(const std::string& path) const;
    /// The file's length, gap included.
    std::uint64_t FileSize() const { return bytes.size() + gapSize; }
};

/// Writes the movie described.
WrittenMovie WriteMovie(const MovieSpec& spec);

/// Writes a written movie (a sparse file when it has a gap). False when the file cannot be written.
bool WriteFile(const std::string& path, const WrittenMovie& movie);
/// Writes bytes to a file.
bool WriteFile(const std::string& path, const Bytes& bytes);

/// A GPS text-track sample: the 16-bit big-endian length of text, then its bytes.
Bytes TextPayload(std::string_view text);

/// A movie laid out as the dash camera writes it: a video track, a sound track and a third 'text'
/// track holding the given samples, one a second (media time scale textTimeScale). The video and
/// sound tracks have one small dummy sample a second for as many seconds.
MovieSpec DashCamMovie(const std::vector<Bytes>& textSamples, std::uint32_t textTimeScale = 1000);

/// Overwrites four bytes big-endian at offset.
void PutU32(Bytes& bytes, std::uint64_t offset, std::uint32_t value);
/// Reads four bytes big-endian at offset.
std::uint32_t GetU32(const Bytes& bytes, std::uint64_t offset);

}  // namespace moviewriter
