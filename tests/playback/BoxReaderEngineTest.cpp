// The structure operations of the engine over the box reader, called by their Engine* names as the
// rest of the player calls them.

#include "BoxTestFiles.h"
#include "engine/BoxReaderEngine.h"
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

using namespace moviewriter;

namespace {

// Installs the box reader engine for one test and puts back the one before it.
class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { previous_ = InstallEngine(MakeBoxReaderEngine()); }
    void TearDown() override { InstallEngine(std::move(previous_)); }

    Movie Open(const std::string& path)
    {
        Movie movie = nullptr;
        const OSErr err = EngineOpenMoviePath(path, &movie);
        EXPECT_EQ(err, noErr) << CurrentEngine().LastErrorText();
        return movie;
    }

    TempFolder dir_;

private:
    std::unique_ptr<EngineBackend> previous_;
};

struct Read {
    OSErr err;
    long count;
    Bytes bytes;
};

Read ReadSample(Media media, TimeValue64 time, long capacity = 512)
{
    std::vector<std::uint8_t> buf(600, 0xAB);
    long count = -1;
    const OSErr err = EngineReadMediaSample(media, buf.data(), capacity, &count, time);
    return {err, count, Bytes(buf.begin(), buf.begin() + std::max(count, 0L))};
}

}  // namespace

TEST_F(EngineTest, DashCamMovieAsTheTextTrackReaderSeesIt)
{
    std::vector<Bytes> samples;
    for (int i = 0; i < 10; ++i)
        samples.push_back(TextPayload("A,rec" + std::to_string(i) + ";"));
    samples[4] = Bytes{0x00, 0x05, 'A', ',', '1', ',', '2', '!'};  // length prefix one short
    samples[5] = TextPayload("A,\x80\xE9\xFF;");                   // bytes above 127
    samples[6] = Filled(600, 0);                                   // larger than 512 bytes
    const std::string path = dir_.Write("AMBA0001.MOV", WriteMovie(DashCamMovie(samples, 600)));

    Movie movie = Open(path);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(CurrentEngine().LastErrorText(), "");
    EXPECT_EQ(EngineMovieTimeScale(movie), 1000);
    EXPECT_EQ(EngineMovieDuration(movie), 10000);
    ASSERT_EQ(EngineTrackCount(movie), 3);
    Track track = EngineTrackAt(movie, 3);
    ASSERT_NE(track, nullptr);
    Media media = EngineTrackMedia(track);
    ASSERT_NE(media, nullptr);
    OSType kind = 0;
    EXPECT_EQ(EngineMediaDataRefKind(media, 1, &kind), noErr);
    EXPECT_EQ(kind, FourCC("alis"));
    EXPECT_EQ(EngineMediaTimeScale(media), 600);
    EXPECT_EQ(EngineMediaSampleCount(media), 10);

    // Sample c spans [c, c + 1) seconds, so the read at (c + 1) seconds gives sample c + 1 and the
    // one at 10 seconds lies past the end.
    for (int c = 0; c < 10; ++c) {
        SCOPED_TRACE(c);
        const Read r = ReadSample(media, TimeValue64(c + 1) * 600);
        if (c == 9) {
            EXPECT_EQ(r.err, kEngineNoSampleAtTime);
            EXPECT_EQ(r.count, 0);
        } else if (c + 1 == 6) {
            EXPECT_EQ(r.err, kEngineSampleTooLarge);
            EXPECT_EQ(r.count, 0);
        } else {
            ASSERT_EQ(r.err, noErr);
            EXPECT_EQ(r.bytes, samples[c + 1]);
        }
    }
    EXPECT_EQ(ReadSample(media, 0).bytes, samples[0]);
    EXPECT_EQ(ReadSample(media, 4 * 600 + 599).bytes, samples[4]);
    EXPECT_EQ(ReadSample(media, 5 * 600).bytes, (Bytes{0, 6, 'A', ',', 0x80, 0xE9, 0xFF, ';'}));
    EXPECT_EQ(ReadSample(media, 6 * 600, 600).bytes, samples[6]);  // fits a larger buffer
    EXPECT_EQ(ReadSample(media, -1).err, kEngineNoSampleAtTime);

    // The other tracks are there as well.
    Media video = EngineTrackMedia(EngineTrackAt(movie, 1));
    EXPECT_EQ(EngineMediaTimeScale(video), 90000);
    EXPECT_EQ(ReadSample(video, 90000 * 2).bytes, Bytes(48, 0x12));
    EngineDisposeMovie(movie);
}

TEST_F(EngineTest, TrackIndexesCountFromOne)
{
    MovieSpec spec = DashCamMovie({TextPayload("A;")});
    spec.tracks.pop_back();  // video and sound only
    Movie movie = Open(dir_.Write("two.mov", WriteMovie(spec)));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(EngineTrackCount(movie), 2);
    EXPECT_NE(EngineTrackAt(movie, 1), nullptr);
    EXPECT_NE(EngineTrackAt(movie, 2), nullptr);
    EXPECT_NE(EngineTrackAt(movie, 1), EngineTrackAt(movie, 2));
    EXPECT_EQ(EngineTrackAt(movie, 3), nullptr);
    EXPECT_EQ(EngineTrackAt(movie, 0), nullptr);
    EXPECT_EQ(EngineTrackAt(movie, -1), nullptr);
    EXPECT_EQ(EngineTrackAt(movie, LONG_MAX), nullptr);
    EngineDisposeMovie(movie);
}

TEST_F(EngineTest, DataReferenceKinds)
{
    const struct {
        const char* name;
        const char* type;
        std::uint32_t flags;
        bool present;
        OSErr err;
        OSType kind;
    } cases[] = {
        {"alias to this file", "alis", 1, true, noErr, FourCC("alis")},
        {"self-contained url", "url ", 1, true, noErr, FourCC("alis")},
        {"url of another file", "url ", 0, true, noErr, FourCC("url ")},
        {"alias of another file", "alis", 0, true, noErr, FourCC("alis")},
        {"no data reference", "alis", 1, false, kEngineBadDataRefIndex, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MovieSpec spec = DashCamMovie({TextPayload("A;")});
        spec.tracks[2].dataRefType = c.type;
        spec.tracks[2].dataRefFlags = c.flags;
        spec.tracks[2].hasDataRef = c.present;
        if (!(c.flags & 1))
            spec.tracks[2].dataRefData = Bytes{'f', 'i', 'l', 'e', ':', '/', '/', '/', 'g', 0};
        Movie movie = Open(dir_.Write("ref.mov", WriteMovie(spec)));
        ASSERT_NE(movie, nullptr);
        Media media = EngineTrackMedia(EngineTrackAt(movie, 3));
        OSType kind = 0xFFFFFFFF;
        EXPECT_EQ(EngineMediaDataRefKind(media, 1, &kind), c.err);
        EXPECT_EQ(kind, c.kind);
        EXPECT_EQ(EngineMediaDataRefKind(media, 2, &kind), kEngineBadDataRefIndex);
        EXPECT_EQ(EngineMediaDataRefKind(media, 0, &kind), kEngineBadDataRefIndex);
        EngineDisposeMovie(movie);
    }
}

TEST_F(EngineTest, OpenFailuresGiveCodeAndReason)
{
    const WrittenMovie good = WriteMovie(DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;")}));
    const Bytes cut(good.bytes.begin(), good.bytes.end() - 30);
    WrittenMovie damaged = good;  // in the video track: the movie cannot be shown
    PutU32(damaged.bytes, damaged.Find("moov/trak[1]/mdia/minf/stbl/stsz").offset + 16, 4000000000u);
    WrittenMovie damagedText = good;  // in the text track: left out, the movie opens
    PutU32(damagedText.bytes, damagedText.Find("moov/trak[3]/mdia/minf/stbl/stsz").offset + 16, 4000000000u);

    const struct {
        const char* name;
        std::string path;
        OSErr err;
        const char* reason;
    } cases[] = {
        {"missing", dir_.File("none.mov"), kEngineFileNotFound, "cannot open: No such file or directory"},
        {"folder", dir_.Path().string(), kEngineFileNotFound, "cannot open: not a regular file"},
        {"cut short", dir_.Write("cut.mov", cut), kEngineTruncatedMovie, "truncated: movie box cut short"},
        {"damaged", dir_.Write("bad.mov", damaged), kEngineInvalidMovie,
         "malformed: stsz sample count 4000000000 exceeds its box (track 1)"},
        {"empty", dir_.Write("empty.mov", Bytes{}), kEngineTruncatedMovie, "truncated: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Movie movie = reinterpret_cast<Movie>(std::uintptr_t(1));
        EXPECT_EQ(EngineOpenMoviePath(c.path, &movie), c.err);
        EXPECT_EQ(movie, nullptr);
        EXPECT_EQ(CurrentEngine().LastErrorText().rfind(c.reason, 0), 0u) << CurrentEngine().LastErrorText();
    }
    // A success clears the reason.
    Movie movie = Open(dir_.Write("good.mov", good));
    EXPECT_EQ(CurrentEngine().LastErrorText(), "");
    EngineDisposeMovie(movie);

    // A damaged track other than the video track: the movie opens, the track has no media, and
    // asking for it leaves the reason.
    movie = Open(dir_.Write("bad-text.mov", damagedText));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(EngineTrackCount(movie), 3);
    EXPECT_NE(EngineTrackMedia(EngineTrackAt(movie, 2)), nullptr);
    EXPECT_EQ(EngineTrackMedia(EngineTrackAt(movie, 3)), nullptr);
    EXPECT_EQ(CurrentEngine().LastErrorText(),
              "track 3 skipped: malformed: stsz sample count 4000000000 exceeds its box (track 3)");
    EngineDisposeMovie(movie);
}

TEST_F(EngineTest, MovieOutlivesItsFileReference)
{
    const std::string path = dir_.Write("a.mov", WriteMovie(DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;")})));
    std::string prefixed(1, char(path.size()));
    prefixed += path;
    EngineFileSpec spec;
    ASSERT_EQ(EngineMakeFileSpec(reinterpret_cast<const unsigned char*>(prefixed.data()), &spec), noErr);
    EXPECT_EQ(spec.path, path);
    std::int16_t ref = 0;
    ASSERT_EQ(EngineOpenMovieFile(spec, &ref, 1), noErr);
    Movie movie = nullptr;
    ASSERT_EQ(EngineMovieFromFile(&movie, ref), noErr);
    ASSERT_EQ(EngineCloseMovieFile(ref), noErr);
    EXPECT_EQ(EngineCloseMovieFile(ref), kEngineBadFileRef);
    Movie none = reinterpret_cast<Movie>(std::uintptr_t(1));
    EXPECT_EQ(EngineMovieFromFile(&none, ref), kEngineBadFileRef);
    EXPECT_EQ(none, nullptr);
    // Even with the file gone from its folder the movie reads its samples.
    std::filesystem::remove(path);
    EXPECT_EQ(ReadSample(EngineTrackMedia(EngineTrackAt(movie, 3)), 1000).bytes, TextPayload("A,2;"));
    EngineDisposeMovie(movie);
}

TEST_F(EngineTest, HandlesAreCheckedBeforeUse)
{
    const std::string path = dir_.Write("a.mov", WriteMovie(DashCamMovie({TextPayload("A,1;")})));
    Movie movie = Open(path);
    ASSERT_NE(movie, nullptr);
    Track track = EngineTrackAt(movie, 3);
    Media media = EngineTrackMedia(track);
    ASSERT_EQ(ReadSample(media, 0).err, noErr);

    // Handles this engine never handed out, and handles of one kind passed as another.
    Movie made = reinterpret_cast<Movie>(std::uintptr_t(0x1234));
    EXPECT_EQ(EngineTrackCount(made), 0);
    EXPECT_EQ(EngineMovieTimeScale(made), 0);
    EXPECT_EQ(EngineTrackAt(made, 1), nullptr);
    EXPECT_EQ(EngineTrackMedia(reinterpret_cast<Track>(media)), nullptr);
    EXPECT_EQ(EngineMediaSampleCount(reinterpret_cast<Media>(track)), 0);
    EXPECT_EQ(EngineTrackCount(reinterpret_cast<Movie>(track)), 0);
    EXPECT_EQ(EngineTrackCount(nullptr), 0);
    EXPECT_EQ(EngineTrackMedia(nullptr), nullptr);
    EXPECT_EQ(ReadSample(nullptr, 0).err, kEngineInvalidMedia);
    EngineDisposeMovie(made);
    EngineDisposeMovie(nullptr);

    // Bad arguments.
    EXPECT_EQ(EngineMediaDataRefKind(media, 1, nullptr), kEngineParamErr);
    std::uint8_t buf[4];
    long count = 5;
    EXPECT_EQ(EngineReadMediaSample(media, buf, -1, &count, 0), kEngineParamErr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(EngineReadMediaSample(media, nullptr, 10, &count, 0), kEngineParamErr);
    EXPECT_EQ(EngineReadMediaSample(media, buf, 4, &count, 0), kEngineSampleTooLarge);
    EXPECT_EQ(EngineMovieFromFile(nullptr, 1), kEngineParamErr);
    EXPECT_EQ(EngineMakeFileSpec(nullptr, nullptr), kEngineParamErr);

    // After disposal every handle of the movie is refused.
    EngineDisposeMovie(movie);
    EXPECT_EQ(EngineTrackCount(movie), 0);
    EXPECT_EQ(EngineTrackAt(movie, 3), nullptr);
    EXPECT_EQ(EngineTrackMedia(track), nullptr);
    EXPECT_EQ(EngineMediaTimeScale(media), 0);
    EXPECT_EQ(ReadSample(media, 0).err, kEngineInvalidMedia);
    EngineDisposeMovie(movie);  // twice is harmless

    // A new movie's handles are new ones, not the disposed ones again.
    Movie again = Open(path);
    EXPECT_NE(again, movie);
    EXPECT_NE(EngineTrackAt(again, 3), track);
    EXPECT_EQ(static_cast<BoxReaderEngine&>(CurrentEngine()).OpenMovieCount(), 1u);
    EXPECT_EQ(static_cast<BoxReaderEngine&>(CurrentEngine()).MoviePath(again), path);
    EngineDisposeMovie(again);
    EXPECT_EQ(static_cast<BoxReaderEngine&>(CurrentEngine()).OpenMovieCount(), 0u);
}

TEST_F(EngineTest, OpenFileReferencesAreBounded)
{
    const std::string path = dir_.Write("a.mov", WriteMovie(DashCamMovie({TextPayload("A,1;")})));
    EngineFileSpec spec{path};
    std::vector<std::int16_t> refs;
    for (std::size_t i = 0; i < BoxReaderEngine::kMaxOpenFiles; ++i) {
        std::int16_t ref = 0;
        ASSERT_EQ(EngineOpenMovieFile(spec, &ref, 1), noErr);
        refs.push_back(ref);
    }
    std::int16_t ref = 0;
    EXPECT_EQ(EngineOpenMovieFile(spec, &ref, 1), kEngineTooManyFiles);
    EXPECT_EQ(EngineCloseMovieFile(refs[10]), noErr);
    EXPECT_EQ(EngineOpenMovieFile(spec, &ref, 1), noErr);
    EXPECT_EQ(ref, refs[10]);
    for (std::int16_t r : refs)
        EXPECT_EQ(EngineCloseMovieFile(r), noErr);
}

TEST_F(EngineTest, LongMovieDurationIsHeldAtTheLargestTimeValue)
{
    MovieSpec spec = DashCamMovie({TextPayload("A;")});
    spec.movieHeaderVersion = 1;
    spec.duration = 1ULL << 40;
    Movie movie = Open(dir_.Write("long.mov", WriteMovie(spec)));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(EngineMovieDuration(movie), INT32_MAX);
    EngineDisposeMovie(movie);
}

TEST_F(EngineTest, TablesThatDisagreeAndCutMediaDataAreSampleErrors)
{
    MovieSpec spec = DashCamMovie({TextPayload("A,1;"), TextPayload("A,2;"), TextPayload("A,3;")});
    spec.tracks[2].times = {{4, 1000}};  // one more timed sample than sized ones
    spec.layout = Layout::MoovFirst;
    WrittenMovie written = WriteMovie(spec);
    written.bytes.resize(written.sampleOffsets[2][2] + 1);  // the last text sample is cut
    Movie movie = Open(dir_.Write("cut.mov", written));
    ASSERT_NE(movie, nullptr);
    Media media = EngineTrackMedia(EngineTrackAt(movie, 3));
    EXPECT_EQ(ReadSample(media, 1000).err, noErr);
    EXPECT_EQ(ReadSample(media, 2000).err, kEngineReadError);
    EXPECT_EQ(ReadSample(media, 3000).err, kEngineInvalidMedia);
    EXPECT_EQ(ReadSample(media, 4000).err, kEngineNoSampleAtTime);
    EngineDisposeMovie(movie);
}
