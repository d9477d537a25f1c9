// The box reader against movies written by the test writer: expected values are worked out by
// hand from what was written, or taken from the writer's own record of where it put each sample.

#include "BoxTestFiles.h"
#include "engine/BoxReader.h"
#include "engine/BoxReaderGps.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

using namespace moviewriter;

namespace {

constexpr std::uint32_t Code(const char (&c)[5])
{
    return (std::uint32_t(std::uint8_t(c[0])) << 24) | (std::uint32_t(std::uint8_t(c[1])) << 16) |
           (std::uint32_t(std::uint8_t(c[2])) << 8) | std::uint32_t(std::uint8_t(c[3]));
}

std::unique_ptr<BoxReader> OpenBytes(const Bytes& bytes, BoxResult* result = nullptr)
{
    std::unique_ptr<BoxReader> movie;
    BoxResult r = BoxReader::Open(MakeMemorySource(bytes), &movie);
    if (result)
        *result = r;
    return movie;
}

std::unique_ptr<BoxReader> OpenOk(const Bytes& bytes)
{
    BoxResult r;
    auto movie = OpenBytes(bytes, &r);
    EXPECT_TRUE(r.ok()) << r.message;
    return movie;
}

Bytes ReadAt(const BoxReader& movie, const BoxTrack& track, std::int64_t time, BoxResult* result)
{
    std::uint8_t buf[4096];
    std::size_t n = 0;
    *result = movie.ReadSample(track, time, buf, sizeof buf, &n);
    return Bytes(buf, buf + n);
}

// Every sample of every track reads back as written, located where the writer put it.
void ExpectSamplesAsWritten(const MovieSpec& spec, const WrittenMovie& written, const BoxReader& movie)
{
    ASSERT_EQ(movie.TrackCount(), spec.tracks.size());
    for (std::size_t t = 0; t < spec.tracks.size(); ++t) {
        const BoxTrack& track = movie.TrackAt(t);
        const auto& samples = spec.tracks[t].samples;
        ASSERT_EQ(track.SampleCount(), samples.size()) << "track " << t;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            SampleLocation at;
            ASSERT_TRUE(track.LocateSample(i, &at).ok());
            EXPECT_EQ(at.offset, written.sampleOffsets[t][i]) << "track " << t << " sample " << i;
            EXPECT_EQ(at.size, samples[i].size()) << "track " << t << " sample " << i;
            std::uint8_t buf[4096];
            std::size_t n = 0;
            ASSERT_TRUE(movie.ReadSample(at, buf, sizeof buf, &n).ok());
            EXPECT_EQ(Bytes(buf, buf + n), samples[i]) << "track " << t << " sample " << i;
        }
    }
}

}  // namespace

// ---- reading what was written -------------------------------------------------------------------

TEST(BoxReader, HandWorkedTextTrack)
{
    MovieSpec spec;
    spec.timeScale = 600;
    spec.tracks = {HandTextTrack()};
    const WrittenMovie written = WriteMovie(spec);
    auto movie = OpenOk(written.bytes);
    ASSERT_TRUE(movie);

    EXPECT_EQ(movie->TimeScale(), 600u);
    EXPECT_EQ(movie->Duration(), 1800u);  // 3000 media units at 1000/s = 3 s = 1800 at 600/s
    ASSERT_EQ(movie->TrackCount(), 1u);
    const BoxTrack& track = movie->TrackAt(0);
    EXPECT_EQ(track.HandlerType(), Code("text"));
    EXPECT_EQ(track.MediaTimeScale(), 1000u);
    EXPECT_EQ(track.MediaDuration(), 3000u);
    EXPECT_EQ(track.SampleCount(), 3u);
    EXPECT_EQ(track.TrackId(), 1u);

    // Spans: sample 0 [0, 1000), sample 1 [1000, 2000), sample 2 [2000, 3000).
    const struct {
        std::int64_t time;
        std::uint64_t index;
    } cases[] = {{0, 0}, {999, 0}, {1000, 1}, {1999, 1}, {2000, 2}, {2500, 2}, {2999, 2}};
    for (const auto& c : cases) {
        BoxResult r;
        const Bytes got = ReadAt(*movie, track, c.time, &r);
        ASSERT_TRUE(r.ok()) << "time " << c.time << ": " << r.message;
        EXPECT_EQ(got, spec.tracks[0].samples[c.index]) << "time " << c.time;
        SampleLocation at;
        ASSERT_TRUE(track.FindSample(c.time, &at).ok());
        EXPECT_EQ(at.index, c.index);
        EXPECT_EQ(at.decodeTime, std::int64_t(c.index) * 1000);
        EXPECT_EQ(at.duration, 1000);
    }
    // Time 2500 is the third sample: 7 bytes, right after the 9 + 12 before it in the media data.
    SampleLocation at;
    ASSERT_TRUE(track.FindSample(2500, &at).ok());
    EXPECT_EQ(at.size, 7u);
    EXPECT_EQ(at.offset, written.Find("mdat").offset + 8 + 9 + 12);

    for (std::int64_t past : {std::int64_t(3000), std::int64_t(4000), std::int64_t(-1),
                              std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
        BoxResult r;
        ReadAt(*movie, track, past, &r);
        EXPECT_EQ(r.status, BoxStatus::NoSample) << "time " << past;
    }
}

TEST(BoxReader, ChunksOfSeveralSamplesAndUnevenTimes)
{
    TrackSpec t;
    t.mediaTimeScale = 100;
    for (int i = 0; i < 8; ++i)
        t.samples.push_back(Filled(5 + 3 * i, std::uint8_t(i * 20)));
    t.chunkSizes = {2, 2, 3, 1};
    // Spans by hand: s0 [0,100) s1 [100,200) s2 [200,200) (no span) s3 [200,450) s4 [450,700)
    // s5 [700,950) s6 [950,1000) s7 [1000,1050).
    t.times = {{2, 100}, {1, 0}, {3, 250}, {2, 50}};
    TrackSpec other = HandTextTrack();  // interleaved with the first track's chunks
    MovieSpec spec;
    spec.tracks = {t, other};
    const WrittenMovie written = WriteMovie(spec);
    auto movie = OpenOk(written.bytes);
    ASSERT_TRUE(movie);
    ExpectSamplesAsWritten(spec, written, *movie);

    const BoxTrack& track = movie->TrackAt(0);
    EXPECT_EQ(track.SampleTableDuration(), 1050);
    const struct {
        std::int64_t time;
        std::uint64_t index;
        std::int64_t start;
    } cases[] = {{0, 0, 0},     {150, 1, 100}, {200, 3, 200},   {449, 3, 200},  {450, 4, 450},
                 {949, 5, 700}, {950, 6, 950}, {1000, 7, 1000}, {1049, 7, 1000}};
    for (const auto& c : cases) {
        SampleLocation at;
        BoxResult r = track.FindSample(c.time, &at);
        ASSERT_TRUE(r.ok()) << c.time << ": " << r.message;
        EXPECT_EQ(at.index, c.index) << "time " << c.time;
        EXPECT_EQ(at.decodeTime, c.start) << "time " << c.time;
        EXPECT_EQ(at.offset, written.sampleOffsets[0][c.index]) << "time " << c.time;
    }
    SampleLocation at;
    EXPECT_EQ(track.FindSample(1050, &at).status, BoxStatus::NoSample);
}

TEST(BoxReader, SizeAndOffsetTableForms)
{
    struct Variant {
        const char* name;
        int compactBits;
        bool constant;
        bool co64;
        std::size_t sampleSize;  // 0: varying sizes
    } variants[] = {
        {"stz2 4-bit", 4, false, false, 0},    {"stz2 8-bit", 8, false, false, 0}, {"stz2 16-bit", 16, false, true, 0},
        {"constant stsz", 0, true, false, 33}, {"co64", 0, false, true, 0},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        TrackSpec t;
        t.compactSizeBits = v.compactBits;
        t.constantSize = v.constant;
        t.chunkOffsets64 = v.co64;
        t.chunkSizes = {3, 1, 2, 3};
        for (int i = 0; i < 9; ++i) {
            const std::size_t size = v.sampleSize          ? v.sampleSize
                                     : v.compactBits == 4  ? std::size_t(1 + i)
                                     : v.compactBits == 16 ? std::size_t(300 + 11 * i)
                                                           : std::size_t(20 + 13 * i);
            t.samples.push_back(Filled(size, std::uint8_t(i)));
        }
        MovieSpec spec;
        spec.tracks = {t, HandTextTrack()};
        const WrittenMovie written = WriteMovie(spec);
        auto movie = OpenOk(written.bytes);
        ASSERT_TRUE(movie);
        ExpectSamplesAsWritten(spec, written, *movie);
    }
}

TEST(BoxReader, LayoutsAndBoxSizeForms)
{
    struct Variant {
        const char* name;
        Layout layout;
        SizeForm mdat;
        SizeForm last;
        std::uint8_t headerVersion;
    } variants[] = {
        {"movie box last", Layout::MdatFirst, SizeForm::Normal, SizeForm::Normal, 0},
        {"movie box first", Layout::MoovFirst, SizeForm::Normal, SizeForm::Normal, 0},
        {"64-bit media data size", Layout::MdatFirst, SizeForm::Large, SizeForm::Normal, 0},
        {"64-bit movie box size", Layout::MdatFirst, SizeForm::Normal, SizeForm::Large, 1},
        {"movie box to the end", Layout::MdatFirst, SizeForm::Normal, SizeForm::ToEnd, 0},
        {"media data to the end", Layout::MoovFirst, SizeForm::Normal, SizeForm::ToEnd, 1},
    };
    for (const Variant& v : variants) {
        SCOPED_TRACE(v.name);
        MovieSpec spec = DashCamMovie({TextPayload("A,1;"), TextPayload("V,2;"), TextPayload("A,3;")});
        spec.layout = v.layout;
        spec.mediaDataSize = v.mdat;
        spec.lastBoxSize = v.last;
        spec.movieHeaderVersion = v.headerVersion;
        for (TrackSpec& t : spec.tracks)
            t.mediaHeaderVersion = v.headerVersion;
        const WrittenMovie written = WriteMovie(spec);
        auto movie = OpenOk(written.bytes);
        ASSERT_TRUE(movie);
        EXPECT_EQ(movie->TimeScale(), 1000u);
        EXPECT_EQ(movie->Duration(), 3000u);
        EXPECT_EQ(movie->TrackAt(0).HandlerType(), Code("vide"));
        EXPECT_EQ(movie->TrackAt(1).HandlerType(), Code("soun"));
        EXPECT_EQ(movie->TrackAt(2).HandlerType(), Code("text"));
        EXPECT_EQ(movie->TrackAt(0).MediaTimeScale(), 90000u);
        EXPECT_EQ(movie->TrackAt(1).MediaDuration(), 3u * 48000u);
        ExpectSamplesAsWritten(spec, written, *movie);
    }
}

TEST(BoxReader, SixtyFourBitHeaderValues)
{
    MovieSpec spec;
    spec.movieHeaderVersion = 1;
    spec.duration = 0x123456789AULL;
    TrackSpec t = HandTextTrack();
    t.mediaHeaderVersion = 1;
    t.times = {{2, 0xF0000000u}, {1, 0xF0000000u}};
    spec.tracks = {t};
    auto movie = OpenOk(WriteMovie(spec).bytes);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->Duration(), 0x123456789AULL);
    EXPECT_EQ(movie->TrackAt(0).MediaDuration(), 3ULL * 0xF0000000u);
    SampleLocation at;
    ASSERT_TRUE(movie->TrackAt(0).FindSample(std::int64_t(2) * 0xF0000000u + 5, &at).ok());
    EXPECT_EQ(at.index, 2u);
    EXPECT_EQ(at.size, 7u);
}

TEST(BoxReader, MovieBoxAfterHugeMediaDataIsFoundBySkipping)
{
    TempFolder dir;
    MovieSpec spec = DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;")});
    spec.mediaDataGap = 5ULL << 30;  // 5 GiB of media data the reader must skip, not read
    const WrittenMovie written = WriteMovie(spec);
    const std::string path = dir.Write("huge.mov", written);
    if (std::filesystem::file_size(path) != written.FileSize())
        GTEST_SKIP() << "the temporary folder cannot hold a sparse 5 GiB file";
    std::unique_ptr<BoxReader> movie;
    BoxResult r = BoxReader::Open(path, &movie);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_GT(written.Find("moov").offset, 5ULL << 30);
    ASSERT_EQ(movie->TrackCount(), 3u);
    BoxResult rr;
    EXPECT_EQ(ReadAt(*movie, movie->TrackAt(2), 1500, &rr), TextPayload("A,2;"));
    EXPECT_TRUE(rr.ok()) << rr.message;
}

TEST(BoxReader, DataReferences)
{
    const struct {
        const char* type;
        std::uint32_t flags;
        bool self;
    } cases[] = {{"alis", 1, true}, {"url ", 1, true}, {"url ", 0, false}, {"alis", 0, false}, {"rsrc", 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " flags " + std::to_string(c.flags));
        TrackSpec t = HandTextTrack();
        t.dataRefType = c.type;
        t.dataRefFlags = c.flags;
        if (!c.self)
            t.dataRefData = Bytes{'f', 'i', 'l', 'e', ':', '/', '/', 'x', 0};
        MovieSpec spec;
        spec.tracks = {t};
        auto movie = OpenOk(WriteMovie(spec).bytes);
        ASSERT_TRUE(movie);
        const auto& refs = movie->TrackAt(0).DataReferences();
        ASSERT_EQ(refs.size(), 1u);
        EXPECT_EQ(refs[0].type, Code(c.type[0] == 'a' ? "alis" : c.type[0] == 'u' ? "url " : "rsrc"));
        EXPECT_EQ(refs[0].flags, c.flags);
        EXPECT_EQ(refs[0].SelfContained(), c.self);
    }
    TrackSpec none = HandTextTrack();
    none.hasDataRef = false;
    MovieSpec spec;
    spec.tracks = {none};
    auto movie = OpenOk(WriteMovie(spec).bytes);
    ASSERT_TRUE(movie);
    EXPECT_TRUE(movie->TrackAt(0).DataReferences().empty());
}

// ---- reading samples into a buffer ---------------------------------------------------------------

TEST(BoxReader, SampleLargerThanTheBufferIsRefusedWithoutWriting)
{
    TrackSpec t;
    t.samples = {Filled(513, 3), Filled(512, 9), Bytes{}};
    MovieSpec spec;
    spec.tracks = {t};
    auto movie = OpenOk(WriteMovie(spec).bytes);
    ASSERT_TRUE(movie);
    const BoxTrack& track = movie->TrackAt(0);

    std::uint8_t area[600];
    std::memset(area, 0xAB, sizeof area);
    std::size_t n = 99;
    BoxResult r = movie->ReadSample(track, 0, area, 512, &n);
    EXPECT_EQ(r.status, BoxStatus::TooLarge);
    EXPECT_EQ(n, 0u);
    for (std::uint8_t b : area)
        ASSERT_EQ(b, 0xAB);

    r = movie->ReadSample(track, 1000, area, 512, &n);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(n, 512u);
    EXPECT_EQ(Bytes(area, area + 512), t.samples[1]);
    EXPECT_EQ(area[512], 0xAB);

    r = movie->ReadSample(track, 2000, area, 512, &n);  // an empty sample reads as no bytes
    EXPECT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(n, 0u);
}

TEST(BoxReader, SampleBytesPastTheEndOfACutFile)
{
    MovieSpec spec = DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;")});
    spec.layout = Layout::MoovFirst;
    WrittenMovie written = WriteMovie(spec);
    const std::uint64_t lastText = written.sampleOffsets[2][1];
    written.bytes.resize(lastText + 3);  // the power went off inside the last text sample
    auto movie = OpenOk(written.bytes);
    ASSERT_TRUE(movie);
    BoxResult r;
    EXPECT_EQ(ReadAt(*movie, movie->TrackAt(2), 0, &r), TextPayload("A,1;"));
    EXPECT_TRUE(r.ok());
    ReadAt(*movie, movie->TrackAt(2), 1000, &r);
    EXPECT_EQ(r.status, BoxStatus::Truncated) << r.message;
}

TEST(BoxReader, ReadsAFileByPath)
{
    TempFolder dir;
    MovieSpec spec = DashCamMovie({TextPayload("A,\xC4\xFF;")});
    const std::string path = dir.Write("pfad mit ü und 'quote'.MOV", WriteMovie(spec));
    std::unique_ptr<BoxReader> movie;
    BoxResult r = BoxReader::Open(path, &movie);
    ASSERT_TRUE(r.ok()) << r.message;
    BoxResult rr;
    const Bytes got = ReadAt(*movie, movie->TrackAt(2), 0, &rr);
    ASSERT_TRUE(rr.ok());
    EXPECT_EQ(got, (Bytes{0x00, 0x05, 'A', ',', 0xC4, 0xFF, ';'}));

    EXPECT_EQ(BoxReader::Open(dir.File("missing.mov"), &movie).status, BoxStatus::NotFound);
    EXPECT_EQ(BoxReader::Open(dir.Path().string(), &movie).status, BoxStatus::NotFound);
    EXPECT_EQ(BoxReader::Open("", &movie).status, BoxStatus::NotFound);
    EXPECT_FALSE(movie);
}

// ---- damaged files -----------------------------------------------------------------------------

TEST(BoxReaderDamage, EveryCutOfTheMovieBoxIsTruncated)
{
    for (Layout layout : {Layout::MdatFirst, Layout::MoovFirst}) {
        MovieSpec spec = DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;"), TextPayload("V;")});
        spec.layout = layout;
        const WrittenMovie written = WriteMovie(spec);
        const BoxPlace moov = written.Find("moov");
        for (std::uint64_t cut = 0; cut < moov.offset + moov.size; cut += cut < moov.offset ? 5 : 3) {
            const Bytes part(written.bytes.begin(), written.bytes.begin() + cut);
            BoxResult r;
            auto movie = OpenBytes(part, &r);
            ASSERT_EQ(r.status, BoxStatus::Truncated) << "cut at " << cut << ": " << r.message;
            EXPECT_FALSE(movie);
            EXPECT_EQ(r.message.rfind("truncated: ", 0), 0u) << r.message;
        }
    }
}

TEST(BoxReaderDamage, TruncatedMessagesNameWhatIsMissing)
{
    const WrittenMovie written = WriteMovie(DashCamMovie({TextPayload("A,1;")}));
    const BoxPlace moov = written.Find("moov");
    BoxResult r;
    OpenBytes(Bytes(written.bytes.begin(), written.bytes.begin() + moov.offset), &r);
    EXPECT_EQ(r.message, "truncated: no movie box");
    OpenBytes(Bytes(written.bytes.begin(), written.bytes.begin() + moov.offset + 100), &r);
    EXPECT_NE(r.message.find("movie box cut short"), std::string::npos) << r.message;
    OpenBytes(Bytes(written.bytes.begin(), written.bytes.begin() + 40), &r);
    EXPECT_NE(r.message.find("'mdat'"), std::string::npos) << r.message;
    OpenBytes(Bytes{}, &r);
    EXPECT_EQ(r.status, BoxStatus::Truncated);
}

namespace {

struct Mutation {
    const char* name;
    void (*apply)(WrittenMovie& m);
    const char* message;  // a part of the expected message
    // The track (from 1) left out as damaged while the movie is read; 0: the movie fails (the
    // damage is outside the tracks, or in the video track).
    std::size_t damagedTrack = 0;
};

void Grow(WrittenMovie& m, const std::string& path, std::uint32_t by)
{
    const BoxPlace p = m.Find(path);
    ASSERT_NE(p.size, 0u) << path;
    PutU32(m.bytes, p.offset, static_cast<std::uint32_t>(p.size + by));
}

void SetField(WrittenMovie& m, const std::string& path, std::uint64_t payloadOffset, std::uint32_t v)
{
    const BoxPlace p = m.Find(path);
    ASSERT_NE(p.size, 0u) << path;
    PutU32(m.bytes, p.offset + p.headerSize + payloadOffset, v);
}

const Mutation kMutations[] = {
    {"child longer than its parent", [](WrittenMovie& m) { Grow(m, "moov/trak[2]/mdia", 100); },
     "is longer than its parent 'trak'", 2},
    {"table longer than its sample table", [](WrittenMovie& m) { Grow(m, "moov/trak[3]/mdia/minf/stbl/stco", 4); },
     "longer than its parent 'stbl'", 3},
    {"parent too short for its header", [](WrittenMovie& m) { PutU32(m.bytes, m.Find("moov/trak[1]/tkhd").offset, 4); },
     "less than its header"},
    {"movie header too short",
     [](WrittenMovie& m) {
         // mvhd keeps 8 payload bytes; the rest of it becomes a 'free' box.
         const BoxPlace p = m.Find("moov/mvhd");
         PutU32(m.bytes, p.offset, 16);
         PutU32(m.bytes, p.offset + 16, static_cast<std::uint32_t>(p.size - 16));
         PutU32(m.bytes, p.offset + 20, 0x66726565);
     },
     "'mvhd' is too short"},
    {"stsz sample count beyond its box",
     [](WrittenMovie& m) { SetField(m, "moov/trak[1]/mdia/minf/stbl/stsz", 8, 4000000000u); },
     "stsz sample count 4000000000 exceeds its box (track 1)"},
    {"stts entry count beyond its box", [](WrittenMovie& m) { SetField(m, "moov/trak[1]/mdia/minf/stbl/stts", 4, 2); },
     "stts entry count 2 exceeds its box"},
    {"stsc entry count beyond its box",
     [](WrittenMovie& m) { SetField(m, "moov/trak[2]/mdia/minf/stbl/stsc", 4, 0x10000000); }, "stsc entry count", 2},
    {"stco entry count beyond its box",
     [](WrittenMovie& m) { SetField(m, "moov/trak[3]/mdia/minf/stbl/stco", 4, 0xFFFFFFFF); }, "stco entry count", 3},
    {"dref entry count beyond its box", [](WrittenMovie& m) { SetField(m, "moov/trak[3]/mdia/minf/dinf/dref", 4, 7); },
     "dref entry count 7", 3},
    {"dref entry smaller than its header",
     [](WrittenMovie& m) { SetField(m, "moov/trak[3]/mdia/minf/dinf/dref", 8, 4); },
     "dref entry 1 declares 4 bytes, too few", 3},
    {"dref entry longer than its box",
     [](WrittenMovie& m) { SetField(m, "moov/trak[3]/mdia/minf/dinf/dref", 8, 1000); },
     "dref entry 1 (1000 bytes) is longer than its box", 3},
    {"truncated table: the last offset is cut off",
     [](WrittenMovie& m) {
         // stco keeps its count but loses its last entry, which is left as stray bytes.
         const BoxPlace p = m.Find("moov/trak[3]/mdia/minf/stbl/stco");
         PutU32(m.bytes, p.offset, static_cast<std::uint32_t>(p.size - 4));
     },
     "malformed: ", 3},
    {"trailing junk inside the movie box",
     [](WrittenMovie& m) {
         Grow(m, "moov", 5);
         m.bytes.insert(m.bytes.end(), {'j', 'u', 'n', 'k', '!'});
     },
     "5 stray bytes at the end of 'moov'"},
    {"unknown media header version", [](WrittenMovie& m) { m.bytes[m.Find("moov/trak[3]/mdia/mdhd").offset + 8] = 2; },
     "'mdhd' has unknown version 2", 3},
    {"unknown table version",
     [](WrittenMovie& m) { m.bytes[m.Find("moov/trak[1]/mdia/minf/stbl/stts").offset + 8] = 1; }, "unknown version 1"},
    {"movie time scale 0", [](WrittenMovie& m) { SetField(m, "moov/mvhd", 12, 0); }, "movie time scale 0"},
    {"media time scale 0", [](WrittenMovie& m) { SetField(m, "moov/trak[2]/mdia/mdhd", 12, 0); }, "media time scale 0",
     2},
    {"sample-to-chunk going backwards", [](WrittenMovie& m) { SetField(m, "moov/trak[2]/mdia/minf/stbl/stsc", 8, 2); },
     "stsc starts at chunk 2", 2},
    {"stz2 with a field size of 7",
     [](WrittenMovie& m) { m.bytes[m.Find("moov/trak[3]/mdia/minf/stbl/stz2").offset + 15] = 7; }, "stz2 field size 7",
     3},
    {"no sample sizes",
     [](WrittenMovie& m) { PutU32(m.bytes, m.Find("moov/trak[3]/mdia/minf/stbl/stz2").offset + 4, 0x66726565); },
     "no sample sizes", 3},
    {"time durations overflow",
     [](WrittenMovie& m) {
         const BoxPlace p = m.Find("moov/trak[2]/mdia/minf/stbl/stts");
         PutU32(m.bytes, p.offset + 16, 0xFFFFFFFF);  // count of the only entry
         PutU32(m.bytes, p.offset + 20, 0xFFFFFFFF);  // and its delta: 2^64 - 2^33 + 1 units
     },
     "stts durations overflow", 2},
};

}  // namespace

TEST(BoxReaderDamage, MalformedMutations)
{
    MovieSpec spec = DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;"), TextPayload("A,3;")});
    spec.tracks[2].compactSizeBits = 8;  // the text track's sizes in stz2
    const WrittenMovie original = WriteMovie(spec);
    ASSERT_TRUE(OpenOk(original.bytes));
    for (const Mutation& m : kMutations) {
        SCOPED_TRACE(m.name);
        WrittenMovie damaged = original;
        m.apply(damaged);
        BoxResult r;
        auto movie = OpenBytes(damaged.bytes, &r);
        if (m.damagedTrack == 0) {
            EXPECT_EQ(r.status, BoxStatus::Malformed) << r.message;
            EXPECT_FALSE(movie);
            EXPECT_EQ(r.message.rfind("malformed: ", 0), 0u) << r.message;
            EXPECT_NE(r.message.find(m.message), std::string::npos) << r.message;
            continue;
        }
        // A damaged sound or text track is left out, empty, in its place; the others read on.
        ASSERT_TRUE(r.ok()) << r.message;
        ASSERT_EQ(movie->TrackCount(), 3u);
        for (std::size_t t = 1; t <= 3; ++t) {
            const BoxTrack& track = movie->TrackAt(t - 1);
            if (t != m.damagedTrack) {
                EXPECT_TRUE(track.Damage().empty()) << track.Damage();
                EXPECT_EQ(track.SampleCount(), 3u);
                continue;
            }
            EXPECT_EQ(track.Damage().rfind("malformed: ", 0), 0u) << track.Damage();
            EXPECT_NE(track.Damage().find(m.message), std::string::npos) << track.Damage();
            EXPECT_EQ(track.SampleCount(), 0u);
            EXPECT_TRUE(track.DataReferences().empty());
            EXPECT_NE(track.MediaTimeScale(), 0u);
        }
    }
}

TEST(BoxReaderDamage, JunkAfterTheMovieBoxIsNotRead)
{
    WrittenMovie written = WriteMovie(DashCamMovie({TextPayload("A,1;")}));
    written.bytes.insert(written.bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x01});
    EXPECT_TRUE(OpenOk(written.bytes));
}

// The last bytes of the movie box in each form a box header can take there: the movie parser
// and the listing the GPS readers use agree on where the boxes lie.
TEST(BoxReaderDamage, HeaderFormsAtTheEndOfTheMovieBox)
{
    const struct {
        const char* name;
        Bytes tail;                   // appended inside the movie box
        const char* message;          // a part of the reason the movie fails; nullptr: it opens
        std::uint64_t listedPayload;  // payload of the box listed last, when the tail is one
    } cases[] = {
        {"64-bit size", {0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 0, 0, 0, 20, 1, 2, 3, 4}, nullptr, 4},
        {"size 0 runs to the end of the parent", {0, 0, 0, 0, 'f', 'r', 'e', 'e', 1, 2, 3, 4, 5}, nullptr, 5},
        {"list terminator", {0, 0, 0, 0}, nullptr, 0},
        {"four bytes that end no list", {0, 0, 0, 9}, "4 stray bytes at the end of 'moov'", 0},
        {"64-bit size with no room for it",
         {0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0},
         "'free' has a 64-bit size that does not fit 'moov'",
         0},
        {"64-bit size below its header",
         {0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 0, 0, 0, 12},
         "'free' declares 12 bytes, less than its header",
         0},
        {"64-bit size past the parent",
         {0, 0, 0, 1, 'f', 'r', 'e', 'e', 0, 0, 0, 0, 0, 0, 0, 17},
         "'free' (17 bytes) is longer than its parent 'moov' (16 bytes left)",
         0},
    };
    const WrittenMovie original = WriteMovie(DashCamMovie({TextPayload("A,1;")}));
    const BoxPlace moov = original.Find("moov");
    ASSERT_EQ(moov.offset + moov.size, original.bytes.size());
    std::vector<BoxSpan> plain;
    BoxSpan span;
    ASSERT_TRUE(FindMovieBox(*MakeMemorySource(original.bytes), &span));
    ASSERT_TRUE(ListChildren(*MakeMemorySource(original.bytes), span, 64, &plain).ok());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes bytes = original.bytes;
        PutU32(bytes, moov.offset, static_cast<std::uint32_t>(moov.size + c.tail.size()));
        bytes.insert(bytes.end(), c.tail.begin(), c.tail.end());
        BoxResult r;
        auto movie = OpenBytes(bytes, &r);
        if (c.message) {
            EXPECT_EQ(r.status, BoxStatus::Malformed) << r.message;
            EXPECT_NE(r.message.find(c.message), std::string::npos) << r.message;
        } else {
            ASSERT_TRUE(r.ok()) << r.message;
            EXPECT_EQ(movie->TrackCount(), 3u);
        }
        const auto source = MakeMemorySource(bytes);
        std::vector<BoxSpan> listed;
        ASSERT_TRUE(FindMovieBox(*source, &span));
        ListChildren(*source, span, 64, &listed);
        ASSERT_EQ(listed.size(), plain.size() + (c.listedPayload ? 1 : 0));
        if (c.listedPayload) {
            EXPECT_EQ(listed.back().type, Code("free"));
            EXPECT_EQ(listed.back().end, bytes.size());
            EXPECT_EQ(listed.back().PayloadSize(), c.listedPayload);
        }
    }
}

TEST(BoxReaderDamage, NotAMovie)
{
    const std::string text = "This is a text file and not a movie at all.\n";
    BoxResult r;
    OpenBytes(Bytes(text.begin(), text.end()), &r);
    EXPECT_NE(r.status, BoxStatus::Ok);
    Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1};
    OpenBytes(jpeg, &r);
    EXPECT_EQ(r.status, BoxStatus::Malformed) << r.message;
    // A 'moov' holding no movie header.
    OpenBytes(Box("moov").Add(Box("free").Zeros(4)).Encode(), &r);
    EXPECT_EQ(r.message, "malformed: the movie box has no movie header ('mvhd')");
    // A track without a media box.
    const WrittenMovie ok = WriteMovie(DashCamMovie({TextPayload("A;")}));
    WrittenMovie noMedia = ok;
    PutU32(noMedia.bytes, noMedia.Find("moov/trak[1]/mdia").offset + 4, 0x66726565);
    OpenBytes(noMedia.bytes, &r);
    EXPECT_EQ(r.message, "malformed: no media box ('mdia') (track 1)");
}

TEST(BoxReaderDamage, TooManyBoxesIsBounded)
{
    Bytes many;
    for (std::uint64_t i = 0; i <= BoxLimits::kMaxBoxes; ++i)
        many.insert(many.end(), {0, 0, 0, 8, 'f', 'r', 'e', 'e'});
    BoxResult r;
    OpenBytes(many, &r);
    EXPECT_EQ(r.status, BoxStatus::Malformed) << r.message;
    EXPECT_NE(r.message.find("boxes"), std::string::npos);
}

TEST(BoxReaderDamage, TablesThatDisagreeFailOnlyTheSamplesConcerned)
{
    // stts lists 5 one-second samples, stsz sizes only 3; chunks hold only 2.
    TrackSpec t = HandTextTrack();
    t.times = {{5, 1000}};
    t.chunkSizes = {1, 1};
    MovieSpec spec;
    spec.tracks = {t};
    auto movie = OpenOk(WriteMovie(spec).bytes);
    ASSERT_TRUE(movie);
    const BoxTrack& track = movie->TrackAt(0);
    EXPECT_EQ(track.SampleCount(), 3u);
    BoxResult r;
    EXPECT_EQ(ReadAt(*movie, track, 1500, &r), t.samples[1]);
    ReadAt(*movie, track, 2500, &r);  // sample 3: sized, in no chunk
    EXPECT_EQ(r.status, BoxStatus::Malformed) << r.message;
    ReadAt(*movie, track, 3500, &r);  // sample 4: timed, not sized
    EXPECT_EQ(r.status, BoxStatus::Malformed) << r.message;
    ReadAt(*movie, track, 5000, &r);
    EXPECT_EQ(r.status, BoxStatus::NoSample) << r.message;

    // Times close to the 64-bit limit: the lookup neither overflows nor finds a sample.
    TrackSpec wide = HandTextTrack();
    wide.times = {{0xFFFFFFFFu, 0x7FFFFFFFu}};
    spec.tracks = {wide};
    movie = OpenOk(WriteMovie(spec).bytes);
    ASSERT_TRUE(movie);
    SampleLocation at;
    EXPECT_EQ(movie->TrackAt(0).FindSample(std::int64_t(1) << 62, &at).status, BoxStatus::Malformed);
    EXPECT_EQ(movie->TrackAt(0).FindSample(std::numeric_limits<std::int64_t>::max(), &at).status, BoxStatus::NoSample);
}
