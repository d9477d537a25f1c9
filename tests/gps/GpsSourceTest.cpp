// The readers of the camera families on bytes written by hand. Whole recordings of every family
// are read back end to end by the command-line tests.

#include "gps/GpsReaders.h"
#include "gps/Nmea.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

constexpr std::int64_t kDay20260314 = 20526;  // 1773446400 s / 86400

TEST(Nmea, SentencesReadOrAreRejectedForTheirReason)
{
    struct Case {
        const char* sentence;
        NmeaResult result;
        bool valid = false;
        double latitude = 0, longitude = 0, kmh = 0;
    };
    const Case cases[] = {
        {"$GPRMC,235959.50,A,3330.0000,S,07030.0000,W,10.0,90.0,140326,,,A*58\r\n", NmeaResult::Ok, true, -33.5, -70.5,
         18.52},
        {"$GNGGA,120000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*57", NmeaResult::Ok, true, 48.1173,
         11.0 + 31.0 / 60, 0},
        {"$GPGGA,120000,,,,,0,00,99.9,,M,,M,,*72", NmeaResult::Ok, false, 0, 0, 0},
        {"$GPRMC,235959.50,A,3330.0000,S,07030.0000,W,10.0,90.0,140326,,,A*59", NmeaResult::BadChecksum},
        {"$GPRMC,235959.50,A,3330.0000,S,07030.0000,W,10.0,90.0,140326,,,A*5", NmeaResult::Truncated},
        {"$GPRMC,120000,A,4807.038,N*59", NmeaResult::Truncated},
        {"$GPRMC,120000,X,4807.038,N,01131.000,E,0,0,010120,,,A*6A", NmeaResult::Malformed},
        {"$GPRMC,120000,A,4860.000,N,01131.000,E,0,0,010120,,,A*79", NmeaResult::Malformed},
        {"$GPGSV,3,1,11*7B", NmeaResult::Other},
        {"A,083000,140326,2235.0897,N,11355.3174,E,37.6,0.01,-0.02,0.98;", NmeaResult::Other},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence);
        NmeaFix fix;
        ASSERT_EQ(ReadNmeaSentence(c.sentence, &fix), c.result);
        if (c.result != NmeaResult::Ok)
            continue;
        EXPECT_EQ(fix.valid, c.valid);
        EXPECT_NEAR(fix.latitude, c.latitude, 1e-9);
        EXPECT_NEAR(fix.longitude, c.longitude, 1e-9);
        EXPECT_NEAR(fix.kmh, c.kmh, 1e-9);
    }
    NmeaFix fix;
    ASSERT_EQ(ReadNmeaSentence(cases[0].sentence, &fix), NmeaResult::Ok);
    EXPECT_TRUE(fix.hasDate);
    EXPECT_EQ(fix.day, kDay20260314);
    EXPECT_DOUBLE_EQ(fix.secondOfDay, 86399.5);
}

// A 0x60-byte Novatek block: "free" box, "GPS ", then the fields from `base` on.
std::vector<std::uint8_t> NovatekBlock(std::size_t base, std::uint32_t month, const char letters[3], float lat,
                                       float lon, float knots)
{
    std::vector<std::uint8_t> b(0x60);
    auto le32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = std::uint8_t(v >> (8 * i));
    };
    auto f32 = [&](std::size_t at, float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        le32(at, bits);
    };
    b[3] = 0x60;
    std::memcpy(b.data() + 4, "freeGPS ", 8);
    const std::uint32_t fields[6] = {8, 30, 0, 26, month, 14};
    for (int i = 0; i < 6; ++i)
        le32(base + 4 * i, fields[i]);
    std::memcpy(b.data() + base + 0x18, letters, 3);
    f32(base + 0x1C, lat);
    f32(base + 0x20, lon);
    f32(base + 0x24, knots);
    return b;
}

TEST(Novatek, BlocksInEitherLayoutReadAndImplausibleOnesAreRefused)
{
    struct Case {
        std::size_t base;
        std::uint32_t month;
        const char* letters;
        bool accepted = false, valid = false;
        double latitude = 0, longitude = 0;
    };
    const Case cases[] = {
        {0x30, 3, "ANE", true, true, 22.5848283, 113.9219567},
        {0x10, 3, "ASW", true, true, -22.5848283, -113.9219567},
        {0x30, 3, "V\0\0", true, false, 0, 0},
        {0x30, 13, "ANE", false},
        {0x30, 3, "AXE", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "base " << c.base << " month " << c.month << " " << c.letters);
        const auto block = NovatekBlock(c.base, c.month, c.letters, 2235.0897f, 11355.3174f, 20.0f);
        GpsReading r;
        std::int64_t second = 0;
        ASSERT_EQ(ReadNovatekBlock(block.data(), block.size(), &r, &second), c.accepted);
        if (!c.accepted)
            continue;
        EXPECT_EQ(second, 1773477000);  // 2026-03-14 08:30:00 UTC
        EXPECT_EQ(r.valid, c.valid);
        if (c.valid) {
            // float holds ddmm.mmmm to about 1e-4 minutes: 2e-6 degrees
            EXPECT_NEAR(r.latitude, c.latitude, 3e-6);
            EXPECT_NEAR(r.longitude, c.longitude, 3e-6);
            EXPECT_NEAR(r.kmh, 37.04, 1e-4);
        }
    }
    EXPECT_FALSE(ReadNovatekBlock(NovatekBlock(0x30, 3, "ANE", 1, 1, 1).data(), 0x5B, nullptr, nullptr));
}

TEST(GpsReaders, DamagedItemsAreSkippedAndCountedAsTruncatedOrMalformed)
{
    const std::string good = "$GPRMC,235959.50,A,3330.0000,S,07030.0000,W,10.0,90.0,140326,,,A*58";
    const std::string badSum = "$GPRMC,235959.50,A,3330.0000,S,07030.0000,W,10.0,90.0,140326,,,A*59";
    const std::string cut = "$GPRMC,120000,A,4807.038,N*59";

    // A Novatek index of three blocks: one good, one with month 13, one past the end of the file.
    auto block = NovatekBlock(0x30, 3, "ANE", 2235.0897f, 11355.3174f, 20.0f);
    std::vector<std::uint8_t> novatek = block;
    block[0x40] = 13;
    novatek.insert(novatek.end(), block.begin(), block.end());
    const std::uint8_t moov[] = {0, 0, 0, 48,   'm', 'o', 'o', 'v',  0, 0,    0, 40, 'g', 'p', 's', ' ',
                                 0, 0, 1, 1,    0,   0,   0,   3,    0, 0,    0, 0,  0,   0,   0,   0x60,
                                 0, 0, 0, 0x60, 0,   0,   0,   0x60, 0, 0x10, 0, 0,  0,   0,   0,   0x60};
    novatek.insert(novatek.end(), std::begin(moov), std::end(moov));

    // A GPMF record that claims 200 repeats of 20 bytes in a 12-byte sample.
    const std::uint8_t gpmf[] = {'G', 'P', 'S', '5', 'l', 20, 0, 200, 1, 2, 3, 4};

    // A stream of one GPS9 fix: 22.5848 N 113.9219 E at 5 m/s, 2026-03-14 08:30:00 UTC (day 9569
    // since 2000, 30600 s).
    std::vector<std::uint8_t> gps9;
    auto put32 = [&](std::int32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            gps9.push_back(std::uint8_t(std::uint32_t(v) >> shift));
    };
    auto head = [&](const char* key, char type, int size, int repeat) {
        for (int i = 0; i < 4; ++i)
            gps9.push_back(std::uint8_t(key[i]));
        for (int v : {int(type), size, 0, repeat})
            gps9.push_back(std::uint8_t(v));
    };
    head("STRM", 0, 4, (8 + 36 + 8 + 32) / 4);
    head("SCAL", 'l', 4, 9);
    for (std::int32_t v : {10000000, 10000000, 1000, 1000, 1000, 1, 1000, 100, 1})
        put32(v);
    head("GPS9", '?', 32, 1);
    for (std::int32_t v : {225848000, 1139219000, 12000, 5000, 5000, 9569, 30600000})
        put32(v);
    put32((150 << 16) | 3);  // DOP 1.50, fix 3

    struct Case {
        const char* what;
        std::function<void(GpsSecondTable&)> read;
        std::size_t read_, truncated, malformed, seconds;
    };
    const Case cases[] = {
        {"NMEA log", [&](GpsSecondTable& t) { ReadNmeaLog(good + "\r\n" + badSum + "\r\n" + cut + "\r\n", t); }, 1, 1,
         1, 1},
        {"BlackVue",
         [&](GpsSecondTable& t) {
             ReadBlackVueData("[1000]" + good + "\n[x]" + good + "\n",
                              std::string("\0\0\0\x64\0\0\0\0\0\x80\0\0\0", 13), -1, t);
         },
         2, 1, 1, 1},
        {"Novatek", [&](GpsSecondTable& t) { ReadNovatek(*MakeMemorySource(novatek), t); }, 1, 1, 1, 1},
        {"GPMF", [&](GpsSecondTable& t) { ReadGpmfSample(gpmf, sizeof gpmf, 0, 1, t); }, 0, 1, 0, 0},
        {"GPS9", [&](GpsSecondTable& t) { ReadGpmfSample(gps9.data(), gps9.size(), 0, 1, t); }, 1, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GpsSecondTable table;
        c.read(table);
        EXPECT_EQ(table.counts.read, c.read_);
        EXPECT_EQ(table.counts.truncated, c.truncated);
        EXPECT_EQ(table.counts.malformed, c.malformed);
        EXPECT_EQ(table.Seconds(), c.seconds);
        if (std::string(c.what) == "GPS9" && table.Seconds() == 1) {
            const GpsReading& fix = table.Slots()[0].fix;
            EXPECT_TRUE(fix.valid);
            EXPECT_NEAR(fix.latitude, 22.5848, 1e-9);
            EXPECT_NEAR(fix.longitude, 113.9219, 1e-9);
            EXPECT_NEAR(fix.kmh, 18.0, 1e-9);
            EXPECT_EQ(fix.utcMs, 1773477000000);
        }
    }
}

}  // namespace
