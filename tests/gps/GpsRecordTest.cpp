// GPS records into the GPS track and the G-sensor series.

#include "gps/GpsRecord.h"
#include "gps/GpsTextTrack.h"

#include <gtest/gtest.h>

#include <climits>
#include <clocale>
#include <string>

namespace {

struct Tracks {
    bool result = false;
    std::vector<GpsSample> gps;
    std::vector<GSensorSample> gSensor;
};

Tracks Build(std::initializer_list<const char*> records, bool valid = true)
{
    std::vector<QString> texts;
    for (const char* r : records)
        texts.push_back(QString::fromUtf8(r));
    Tracks t;
    t.result = BuildTracks(valid, texts, t.gps, t.gSensor);
    return t;
}

GpsSample Sample(const char* lat, const char* lon, const char* hemispheres, int speed)
{
    GpsSample s;
    s.latitude = QString::fromUtf8(lat);
    s.longitude = QString::fromUtf8(lon);
    s.hemispheres = QString::fromUtf8(hemispheres);
    s.speed = speed;
    return s;
}

}  // namespace

// Readable failures: found by the test framework next to the type.
static void PrintTo(const GpsSample& s, std::ostream* os)
{
    *os << "{" << s.latitude.toStdString() << ", " << s.longitude.toStdString() << ", " << s.hemispheres.toStdString()
        << ", " << s.speed << "}";
}

TEST(GpsRecordTest, WorkedRecord)
{
    const Tracks t = Build({"A,f1,f2,2235.0897,N,11355.3174,E,37.6,0.01,-0.02,0.98;"});
    ASSERT_TRUE(t.result);
    ASSERT_EQ(1u, t.gps.size());
    ASSERT_EQ(1u, t.gSensor.size());
    // 22 + 35.0897 / 60 and 113 + 55.3174 / 60; 37.6 rounds up to 38, 38 / 1.852 = 20.5.
    EXPECT_EQ(Sample("22.584828", "113.921957", "NE", 20), t.gps[0]);
    EXPECT_EQ((GSensorSample{0.01, -0.02, 0.98}), t.gSensor[0]);
}

TEST(GpsRecordTest, SouthAndWestAreNegative)
{
    const Tracks t = Build({"A,x,x,3330.0,S,07030.0,W,0,0,0,0;"});
    ASSERT_EQ(1u, t.gps.size());
    EXPECT_EQ(Sample("-33.500000", "-70.500000", "SW", 0), t.gps[0]);
}

TEST(GpsRecordTest, CoordinateFields)
{
    EXPECT_EQ(QStringLiteral("22.584828"), ParseNmeaCoordinate(QStringLiteral("2235.0897")));
    EXPECT_EQ(QStringLiteral("0.000000"), ParseNmeaCoordinate(QString()));
    EXPECT_EQ(QStringLiteral("0.000000"), ParseNmeaCoordinate(QStringLiteral("N")));
    EXPECT_EQ(QStringLiteral("1.500000"), ParseNmeaCoordinate(QStringLiteral("  130.0junk")));
    // Degrees truncate toward zero and minutes keep the sign: -3330 is -33 - 30/60.
    EXPECT_EQ(QStringLiteral("-33.500000"), ParseNmeaCoordinate(QStringLiteral("-3330")));
    // Beyond 32 bits the integer part is still divided exactly: 5000000000 / 100 = 50000000.
    EXPECT_EQ(QStringLiteral("50000000.250000"), ParseNmeaCoordinate(QStringLiteral("5000000015")));
    // Not a finite number: read as no number.
    for (const char* odd : {"1e400", "-1e400", "inf", "nan", "NaN(1)"})
        EXPECT_EQ(QStringLiteral("0.000000"), ParseNmeaCoordinate(QString::fromUtf8(odd))) << odd;
    // Ten thousand digits: no crash, either no number or a plain fixed-point text.
    EXPECT_EQ(QStringLiteral("0.000000"), ParseNmeaCoordinate(QString(10000, QLatin1Char('9'))));
    EXPECT_EQ(QStringLiteral("22.584828"),
              ParseNmeaCoordinate(QString(10000, QLatin1Char('0')) + QStringLiteral("2235.0897")));
    const QString huge = ParseNmeaCoordinate(QStringLiteral("1e300"));
    EXPECT_GT(huge.size(), 290);
    EXPECT_EQ(QLatin1Char('.'), huge.at(huge.size() - 7));
}

TEST(GpsRecordTest, SpeedRoundsUpOnlyAboveOneHalfThenDividesByKnots)
{
    struct Case {
        const char* field;
        int speed;
    };
    const Case cases[] = {
        {"20.5", 10},   // r = 20: exactly one half adds nothing
        {"20.51", 11},  // r = 21
        {"1.852", 1},   // r = 2
        {"37.6", 20},   // r = 38
        {"", 0},
        {"x", 0},
        {"-20.7", -10},  // r = -20 (the fraction is negative), -10.8 truncates to -10
        {"  55.9 km", 30},
        {"1e400", 0},
        {"nan", 0},
        {"1e2", 0},                   // r is atoi's 1, not 100
        {"12.9e1", 6},                // r = 12: the fraction of 129 is 0
        {"0x1A", 0},                  // atoi stops at the x
        {"20.6e0", 11},               // r = 20 + 1
        {"99999999999", 1159548405},  // r saturates at INT_MAX
        {"-99999999999", -1159548406},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.speed, SpeedFromField(QString::fromUtf8(c.field))) << c.field;
}

TEST(GpsRecordTest, SpeedFieldEndsAtSemicolonWhenNoCommaFollows)
{
    const Tracks t = Build({"A,1,2,2235.0897,N,11355.3174,E,37.6;", "A,1,2,2235.0897,N,11355.3174,E,37.6"});
    ASSERT_EQ(2u, t.gps.size());
    EXPECT_EQ(20, t.gps[0].speed);
    EXPECT_EQ(0, t.gps[1].speed);  // neither ',' nor ';': empty field
}

TEST(GpsRecordTest, ShortRecordsReadMissingFieldsAsZero)
{
    // After the last ',' a Skip leaves the rest unchanged: "2;" stays, so x and y read 0, z 2.
    const Tracks t = Build({"V,1,2;"});
    ASSERT_EQ(1u, t.gSensor.size());
    EXPECT_EQ((GSensorSample{0.0, 0.0, 2.0}), t.gSensor[0]);
    EXPECT_EQ(Sample("0.0", "0.0", "", 0), t.gps[0]);

    // An A record without hemisphere fields: no letters, so no sign either.
    const Tracks a = Build({"A,1,2,3330.0"});
    ASSERT_EQ(1u, a.gps.size());
    EXPECT_EQ(QStringLiteral("0.000000"), a.gps[0].latitude);
    EXPECT_EQ(QStringLiteral("0.000000"), a.gps[0].longitude);
    // The "letters" are the first characters of the rests after 4 and 6 Skips: both "3330.0".
    EXPECT_EQ(QStringLiteral("33"), a.gps[0].hemispheres);
}

TEST(GpsRecordTest, VRecordsKeepThePositionAndStartIsBackFilled)
{
    const Tracks t = Build({
        "V,1,2,,,,,,0.1,0.2,0.3;",
        "V,1,2,,,,,,0.4,0.5,0.6;",
        "A,1,2,3330.0,S,07030.0,W,20.51,1,2,3;",
        "V,1,2,,,,,,7,8,9;",
    });
    ASSERT_TRUE(t.result);
    ASSERT_EQ(4u, t.gps.size());
    ASSERT_EQ(4u, t.gSensor.size());
    const GpsSample position = Sample("-33.500000", "-70.500000", "SW", 11);
    EXPECT_EQ(Sample("-33.500000", "-70.500000", "SW", 0), t.gps[0]);  // back-filled, speed stays 0
    EXPECT_EQ(Sample("-33.500000", "-70.500000", "SW", 0), t.gps[1]);
    EXPECT_EQ(position, t.gps[2]);
    EXPECT_EQ(position, t.gps[3]);
    EXPECT_EQ((GSensorSample{0.1, 0.2, 0.3}), t.gSensor[0]);
    EXPECT_EQ((GSensorSample{0.4, 0.5, 0.6}), t.gSensor[1]);
    EXPECT_EQ((GSensorSample{1, 2, 3}), t.gSensor[2]);
    EXPECT_EQ((GSensorSample{7, 8, 9}), t.gSensor[3]);
}

TEST(GpsRecordTest, NoFixMeansNoBackFill)
{
    const Tracks t = Build({"V,1,2,,,,,,1,1,1;", "V,1,2,,,,,,2,2,2;", "V;"});
    ASSERT_EQ(3u, t.gps.size());
    for (const GpsSample& s : t.gps)
        EXPECT_EQ(Sample("0.0", "0.0", "", 0), s);
    EXPECT_EQ((GSensorSample{2, 2, 2}), t.gSensor[1]);
    EXPECT_EQ((GSensorSample{0, 0, 0}), t.gSensor[2]);
}

TEST(GpsRecordTest, BackFillComparesTheText)
{
    // An A record with empty coordinate fields writes "0.000000", which is not the text "0.0".
    const Tracks t = Build({"V;", "A,1,2,,N,,E,0,0,0,0;", "A,1,2,3330.0,N,07030.0,E,0,0,0,0;"});
    ASSERT_EQ(3u, t.gps.size());
    EXPECT_EQ(Sample("0.000000", "0.000000", "NE", 0), t.gps[0]);
    EXPECT_EQ(Sample("33.500000", "70.500000", "NE", 0), t.gps[2]);
}

TEST(GpsRecordTest, EmptyTextsAreSkippedAndAnInvalidTrackBuildsNothing)
{
    const Tracks t = Build({"", "A,1,2,2235.0897,N,11355.3174,E,37.6,0,0,0;", ""});
    EXPECT_EQ(1u, t.gps.size());
    EXPECT_EQ(1u, t.gSensor.size());

    const Tracks invalid = Build({"A,1,2,2235.0897,N,11355.3174,E,37.6,0,0,0;"}, false);
    EXPECT_FALSE(invalid.result);
    EXPECT_TRUE(invalid.gps.empty());
    EXPECT_TRUE(invalid.gSensor.empty());

    const Tracks none = Build({});
    EXPECT_TRUE(none.result);
    EXPECT_TRUE(none.gps.empty());
}

TEST(GpsRecordTest, OtherFirstLettersRepeatTheCurrentValues)
{
    const Tracks t = Build({"A,1,2,3330.0,N,07030.0,E,0,1,2,3;", "$GPRMC,1,2,4000.0,N,4000.0,E,9,9,9,9;"});
    ASSERT_EQ(2u, t.gps.size());
    EXPECT_EQ(t.gps[0], t.gps[1]);
    EXPECT_EQ(t.gSensor[0], t.gSensor[1]);
}

TEST(GpsRecordTest, BuildsFromATextTrack)
{
    TextTrackData data;
    data.samples.push_back({1000, QString()});
    data.samples.push_back({2000, QStringLiteral("A,1,2,3330.0,S,07030.0,W,1.852,0,0,1;")});
    std::vector<GpsSample> gps;
    std::vector<GSensorSample> gSensor;
    EXPECT_FALSE(BuildTracks(data, gps, gSensor));  // valid is false at creation
    EXPECT_TRUE(gps.empty());
    data.valid = true;
    EXPECT_TRUE(BuildTracks(data, gps, gSensor));
    ASSERT_EQ(1u, gps.size());
    EXPECT_EQ(Sample("-33.500000", "-70.500000", "SW", 1), gps[0]);
    EXPECT_EQ((GSensorSample{0, 0, 1}), gSensor[0]);
}

TEST(GpsRecordTest, NumbersIgnoreAGermanProcessLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    const Tracks t = Build({"A,f1,f2,2235.0897,N,11355.3174,E,37.6,0.01,-0.02,0.98;"});
    const QString coordinate = ParseNmeaCoordinate(QStringLiteral("2235.0897"));
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(QStringLiteral("22.584828"), coordinate);
    ASSERT_EQ(1u, t.gps.size());
    // A locale-following atof would read "37.6" as 37 and give 19.
    EXPECT_EQ(Sample("22.584828", "113.921957", "NE", 20), t.gps[0]);
    EXPECT_EQ((GSensorSample{0.01, -0.02, 0.98}), t.gSensor[0]);
}

TEST(GpsRecordTest, StatusNames)
{
    EXPECT_STREQ("NoGpsFile", GpsStatusName(NoGpsFile));
    EXPECT_STREQ("GpsPresent", GpsStatusName(GpsPresent));
    EXPECT_STREQ("NoGpsInfo", GpsStatusName(NoGpsInfo));
    EXPECT_STREQ("Unknown", GpsStatusName(static_cast<GpsStatus>(7)));
}
