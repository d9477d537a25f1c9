// The GPS text track read through a scripted engine.

#include "gps/GpsRecord.h"
#include "gps/GpsTextTrack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace {

// Handles are opaque: any distinct non-null addresses do.
char movieObject, trackObject, mediaObject;
const Movie kMovie = reinterpret_cast<Movie>(&movieObject);
const Track kTrack = reinterpret_cast<Track>(&trackObject);
const Media kMedia = reinterpret_cast<Media>(&mediaObject);

struct Payload {
    Payload() = default;
    Payload(std::vector<std::uint8_t> b, std::optional<long> count = std::nullopt)
        : bytes(std::move(b)), byteCount(count)
    {
    }
    static Payload Error(OSErr e)
    {
        Payload p;
        p.error = e;
        return p;
    }

    std::vector<std::uint8_t> bytes;
    std::optional<long> byteCount;  // none: the number of bytes
    OSErr error = noErr;
};

std::vector<std::uint8_t> Prefixed(const std::string& text)
{
    std::vector<std::uint8_t> b(text.size() + 2);
    b[0] = std::uint8_t(text.size() >> 8);
    b[1] = std::uint8_t(text.size() & 0xFF);
    std::memcpy(b.data() + 2, text.data(), text.size());
    return b;
}

// A movie whose third track is a text track of scripted samples. Sample i answers the media
// times from i x timeScale up to (i + 1) x timeScale; past the last sample the answer is
// kEngineNoSampleAtTime.
class FakeTextEngine : public EngineBackend {
public:
    long trackCount = 3;
    Track third = kTrack;
    Media media = kMedia;
    OSType dataRefKind = FourCC("alis");
    TimeScale timeScale = 600;
    long sampleCount = 0;
    std::map<long, Payload> payloads;  // by sample index; missing ones are "A,<index>;"
    OSErr defaultError = noErr;        // answered for indexes below sampleCount without payload
    std::vector<TimeValue64> readTimes;
    std::vector<long> capacities;

    long TrackCount(Movie movie) override { return movie == kMovie ? trackCount : 0; }
    Track TrackAt(Movie movie, long index) override { return movie == kMovie && index == 3 ? third : nullptr; }
    Media TrackMedia(Track track) override { return track == kTrack ? media : nullptr; }
    OSErr MediaDataRefKind(Media, short index, OSType* kind) override
    {
        *kind = index == 1 ? dataRefKind : 0;
        return noErr;
    }
    TimeScale MediaTimeScale(Media) override { return timeScale; }
    long MediaSampleCount(Media) override { return sampleCount; }
    OSErr ReadMediaSample(Media m, std::uint8_t* buffer, long capacity, long* byteCount, TimeValue64 t) override
    {
        readTimes.push_back(t);
        capacities.push_back(capacity);
        *byteCount = 0;
        if (m != kMedia || t < 0 || timeScale <= 0)
            return kEngineParamErr;
        const long index = long(t / timeScale);
        if (index >= sampleCount)
            return kEngineNoSampleAtTime;
        auto it = payloads.find(index);
        if (it == payloads.end()) {
            if (defaultError != noErr)
                return defaultError;
            const auto bytes = Prefixed("A," + std::to_string(index) + ";");
            std::memcpy(buffer, bytes.data(), bytes.size());
            *byteCount = long(bytes.size());
            return noErr;
        }
        const Payload& p = it->second;
        if (p.error != noErr)
            return p.error;
        // Like a careless engine: copies what fits but reports the full count.
        std::memcpy(buffer, p.bytes.data(), std::min<std::size_t>(p.bytes.size(), std::size_t(capacity)));
        *byteCount = p.byteCount.value_or(long(p.bytes.size()));
        return noErr;
    }
};

// Installs a fake for one test and puts the previous engine back afterwards.
class GpsTextTrackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto engine = std::make_unique<FakeTextEngine>();
        fake = engine.get();
        previous = InstallEngine(std::move(engine));
    }
    void TearDown() override { InstallEngine(std::move(previous)); }

    // Data left by an earlier recording.
    static TextTrackData Stale()
    {
        TextTrackData d;
        d.samples.push_back({42, QStringLiteral("A,old;")});
        return d;
    }

    FakeTextEngine* fake = nullptr;
    std::unique_ptr<EngineBackend> previous;
};

}  // namespace

TEST_F(GpsTextTrackTest, GivesUpWithoutAUsableThirdTrack)
{
    auto expectGivesUp = [](Movie movie, const char* what) {
        TextTrackData data = Stale();
        EXPECT_EQ(-1, ReadGpsTextTrack(movie, data)) << what;
        EXPECT_FALSE(data.valid) << what;
        ASSERT_EQ(1u, data.samples.size()) << what;  // untouched
        EXPECT_EQ(QStringLiteral("A,old;"), data.samples[0].text) << what;
        EXPECT_EQ(movie, data.movie) << what;
    };
    expectGivesUp(nullptr, "no movie");
    fake->trackCount = 2;
    expectGivesUp(kMovie, "two tracks");
    fake->trackCount = 3;
    fake->third = nullptr;
    expectGivesUp(kMovie, "no third track");
    fake->third = kTrack;
    fake->media = nullptr;
    expectGivesUp(kMovie, "no media");
    fake->media = kMedia;
    fake->dataRefKind = FourCC("url ");
    expectGivesUp(kMovie, "data elsewhere");
    fake->dataRefKind = FourCC("alis");
    fake->sampleCount = 5;
    fake->timeScale = 0;
    expectGivesUp(kMovie, "no time scale");
    EXPECT_TRUE(fake->readTimes.empty());

    // A failing engine (the substitute) leaves the track unread too.
    auto keep = InstallEngine(nullptr);
    expectGivesUp(kMovie, "engine not started");
}

TEST_F(GpsTextTrackTest, ReadsOneSampleASecondAfterTheFirst)
{
    fake->timeScale = 600;
    fake->sampleCount = 3;
    TextTrackData data = Stale();
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    EXPECT_TRUE(data.valid);
    EXPECT_EQ(kMovie, data.movie);
    EXPECT_EQ(kTrack, data.track);
    EXPECT_EQ(kMedia, data.media);
    EXPECT_EQ(600, data.timeScale);
    EXPECT_EQ(3, data.sampleCount);
    // Index c is read at (c + 1) seconds, so it holds the record of sample c + 1; the last
    // index reads past the last sample and is dropped.
    ASSERT_EQ(2u, data.samples.size());
    EXPECT_EQ(600, data.samples[0].decodeTime);
    EXPECT_EQ(QStringLiteral("A,1;"), data.samples[0].text);
    EXPECT_EQ(1200, data.samples[1].decodeTime);
    EXPECT_EQ(QStringLiteral("A,2;"), data.samples[1].text);
    EXPECT_EQ(std::vector<long>(fake->capacities.size(), 512), fake->capacities);
}

TEST_F(GpsTextTrackTest, PayloadChecks)
{
    fake->timeScale = 1;
    fake->sampleCount = 8;
    const std::vector<std::uint8_t> fiveBytes{0x00, 0x05, 'A', ',', '1', ',', '2'};
    fake->payloads[1] = {fiveBytes, 7};
    fake->payloads[2] = {fiveBytes, 8};  // one byte more than the prefix says
    fake->payloads[3] = {Prefixed(" A,1,2;")};
    fake->payloads[4] = {Prefixed("$GPRMC,1;")};
    fake->payloads[5] = {{'A', 0x80, 0xE9, 0xFF, ';'}, 5};  // the prefix is missing
    std::vector<std::uint8_t> latin = Prefixed("V,x");
    latin.insert(latin.end(), {0x7F, 0x80, 0xE9, 0xFF});
    latin[1] = std::uint8_t(latin.size() - 2);
    fake->payloads[6] = {latin};
    fake->payloads[7] = {{0x00, 0x00}};  // empty text
    TextTrackData data;
    ReadGpsTextTrack(kMovie, data);
    ASSERT_EQ(7u, data.samples.size());  // index 7 reads past the last sample
    EXPECT_EQ(QStringLiteral("A,1,2"), data.samples[0].text);
    EXPECT_EQ(QString(), data.samples[1].text);
    EXPECT_EQ(QString(), data.samples[2].text);
    EXPECT_EQ(QString(), data.samples[3].text);
    EXPECT_EQ(QString(), data.samples[4].text);
    QString expected = QStringLiteral("V,x");
    for (char16_t c : {0x7F, 0x80, 0xE9, 0xFF})
        expected += QChar(c);
    EXPECT_EQ(expected, data.samples[5].text);
    EXPECT_EQ(QString(), data.samples[6].text);
}

TEST_F(GpsTextTrackTest, UnreadableSamplesAreDropped)
{
    // 10 samples: the last index is read at 10 x timeScale, past the last sample, and fails.
    fake->timeScale = 90000;
    fake->sampleCount = 10;
    TextTrackData data;
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    EXPECT_TRUE(data.valid);
    EXPECT_EQ(10, data.sampleCount);
    ASSERT_EQ(9u, data.samples.size());
    EXPECT_EQ(9 * 90000, data.samples.back().decodeTime);

    // A read error in the middle drops that index only.
    fake->payloads[4] = Payload::Error(kEngineReadError);
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    ASSERT_EQ(8u, data.samples.size());
    EXPECT_EQ(3 * 90000, data.samples[2].decodeTime);
    EXPECT_EQ(5 * 90000, data.samples[3].decodeTime);
    EXPECT_EQ(QStringLiteral("A,5;"), data.samples[3].text);
}

TEST_F(GpsTextTrackTest, OversizedSamplesAreDroppedNotOverread)
{
    fake->timeScale = 1;
    fake->sampleCount = 4;
    std::vector<std::uint8_t> big = Prefixed("A," + std::string(598, '1'));
    fake->payloads[1] = Payload::Error(kEngineSampleTooLarge);
    fake->payloads[2] = {big};                   // claims 602 bytes in a 512-byte buffer
    fake->payloads[3] = {Prefixed("A,1;"), -5};  // a negative count
    TextTrackData data;
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    EXPECT_TRUE(data.samples.empty());

    // The largest sample that fits: 510 text bytes.
    fake->sampleCount = 2;
    fake->payloads[1] = {Prefixed("A," + std::string(508, '7'))};
    ReadGpsTextTrack(kMovie, data);
    ASSERT_EQ(1u, data.samples.size());
    EXPECT_EQ(510, data.samples[0].text.size());
}

TEST_F(GpsTextTrackTest, MediaTimesAreSixtyFourBit)
{
    fake->timeScale = 1000000;
    fake->sampleCount = 3001;
    TextTrackData data;
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    ASSERT_EQ(3000u, data.samples.size());
    EXPECT_EQ(3000000000LL, data.samples.back().decodeTime);
    EXPECT_EQ(QStringLiteral("A,3000;"), data.samples.back().text);
    EXPECT_EQ(2148000000LL, data.samples[2147].decodeTime);
    EXPECT_EQ(QStringLiteral("A,2148;"), data.samples[2147].text);
}

TEST_F(GpsTextTrackTest, SampleCountsAreBounded)
{
    TextTrackData data = Stale();
    fake->sampleCount = -7;
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    EXPECT_TRUE(data.valid);
    EXPECT_TRUE(data.samples.empty());
    EXPECT_TRUE(fake->readTimes.empty());

    // A header claiming 2^31 - 1 samples over a track of 5: reading stops at the first time
    // past the last sample.
    fake->timeScale = 1000;
    fake->sampleCount = 5;
    struct Liar : FakeTextEngine {
        long MediaSampleCount(Media) override { return 0x7FFFFFFF; }
    };
    auto liar = std::make_unique<Liar>();
    liar->sampleCount = 5;
    Liar* l = liar.get();
    auto mine = InstallEngine(std::move(liar));
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    EXPECT_EQ(0x7FFFFFFF, data.sampleCount);
    EXPECT_EQ(4u, data.samples.size());
    EXPECT_EQ(5u, l->readTimes.size());

    // Every read failing without ever passing the end: still a bounded number of reads.
    l->sampleCount = 0x7FFFFFFF;
    l->defaultError = kEngineReadError;
    l->readTimes.clear();
    EXPECT_EQ(0, ReadGpsTextTrack(kMovie, data));
    EXPECT_TRUE(data.samples.empty());
    EXPECT_GE(l->readTimes.size(), 86400u);  // a day of samples is read in full
    EXPECT_LE(l->readTimes.size(), 1000000u);
    InstallEngine(std::move(mine));
}

TEST_F(GpsTextTrackTest, TracksFromTheTextTrack)
{
    fake->timeScale = 1;
    fake->sampleCount = 4;
    fake->payloads[1] = {Prefixed("V,1,2,,,,,,1,2,3;")};
    fake->payloads[2] = {Prefixed("$junk")};
    fake->payloads[3] = {Prefixed("A,1,2,3330.0,S,07030.0,W,20.51,4,5,6;")};
    TextTrackData data;
    ReadGpsTextTrack(kMovie, data);
    std::vector<GpsSample> gps;
    std::vector<GSensorSample> gSensor;
    EXPECT_TRUE(BuildTracks(data, gps, gSensor));
    ASSERT_EQ(2u, gps.size());
    EXPECT_EQ(QStringLiteral("-33.500000"), gps[0].latitude);
    EXPECT_EQ(0, gps[0].speed);
    EXPECT_EQ(11, gps[1].speed);
    EXPECT_EQ((GSensorSample{1, 2, 3}), gSensor[0]);
    EXPECT_EQ((GSensorSample{4, 5, 6}), gSensor[1]);
}
