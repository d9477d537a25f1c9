// Which files are recordings, where their GPS logs lie and how they are titled.

#include "gps/RecordingName.h"

#include <gtest/gtest.h>

TEST(RecordingNameTest, RecognisesOnlyTheFourExactEndings)
{
    for (const char* yes : {"clip.mov", "clip.MOV", "clip.mp4", "/media/card/DCIM/clip.MP4", ".mov"})
        EXPECT_TRUE(IsRecordingFile(QString::fromUtf8(yes))) << yes;
    for (const char* no :
         {"", "clip.Mp4", "clip.mP4", "clip.Mov", "clip.MOV ", "clip.avi", "mov", "clip.mov/", "clip.mp4.log"})
        EXPECT_FALSE(IsRecordingFile(QString::fromUtf8(no))) << no;
}

struct LogPathCase {
    const char* recording;
    const char* twoLevelsUp;
    const char* beside;
};

TEST(RecordingNameTest, LogPathsOfTheCameraNamingSchemes)
{
    const LogPathCase cases[] = {
        {"/media/card/DCIM/100MEDIA/AMBA0123.MOV", "/media/card/gps/gps0123.log",
         "/media/card/DCIM/100MEDIA/gps0123.log"},
        {"/media/card/DCIM/MOVIE/CADR0042.mp4", "/media/card/gps/gps0042.log", "/media/card/DCIM/MOVIE/gps0042.log"},
        {"/media/card/A/B/FILE_20140102.MOV", "/media/card/gps/gps20140102.log", "/media/card/A/B/gps20140102.log"},
        {"/media/card/A/B/clip.mov", "/media/card/gps/gpsclip.log", "/media/card/A/B/gpsclip.log"},
        // "AMBA" found in the middle still drops the first four characters.
        {"/media/card/A/B/D/XAMBA12.MOV", "/media/card/A/gps/gpsA12.log", "/media/card/A/B/D/gpsA12.log"},
        // "AMBA" before "CADR" before '_'.
        {"/m/c/d/AMBA_CADR1.MOV", "/m/gps/gps_CADR1.log", "/m/c/d/gps_CADR1.log"},
        {"/m/c/d/CADR_0001.MOV", "/m/gps/gps_0001.log", "/m/c/d/gps_0001.log"},
        {"/m/c/d/A_B_D.MOV", "/m/gps/gpsB_D.log", "/m/c/d/gpsB_D.log"},
        // No '.' in the base name, or nothing left after the prefix: gps.log.
        {"/m/c/d/clip", "/m/gps/gps.log", "/m/c/d/gps.log"},
        {"/m/c/d/AMBA.MOV", "/m/gps/gps.log", "/m/c/d/gps.log"},
        // Only the last '.' goes; a '.' in a folder name does not count.
        {"/m/c.d/e/clip.tar.mov", "/m/gps/gpsclip.tar.log", "/m/c.d/e/gpsclip.tar.log"},
        {"/m/c.d/e/clip", "/m/gps/gps.log", "/m/c.d/e/gps.log"},
        // At the top of a card the folder runs out: empty shortened folder.
        {"/media/card/AMBA0001.MOV", "/gps/gps0001.log", "/media/card/gps0001.log"},
        {"/AMBA0001.MOV", "/gps/gps0001.log", "/gps0001.log"},
        {"AMBA0001.MOV", "/gps/gps0001.log", "/gps0001.log"},
        {"", "/gps/gps.log", "/gps.log"},
    };
    for (const LogPathCase& c : cases) {
        const QString path = QString::fromUtf8(c.recording);
        EXPECT_EQ(QString::fromUtf8(c.twoLevelsUp), LogPathForRecording(path, false)) << c.recording;
        EXPECT_EQ(QString::fromUtf8(c.beside), LogPathForRecording(path, true)) << c.recording;
    }
}

TEST(RecordingNameTest, TitleIsTheBaseNameWithoutExtensionOrPrefixCut)
{
    EXPECT_EQ(QStringLiteral("AMBA0123"), RecordingTitle(QStringLiteral("/media/card/DCIM/100MEDIA/AMBA0123.MOV")));
    EXPECT_EQ(QStringLiteral("FILE_20140102"), RecordingTitle(QStringLiteral("/a/b/FILE_20140102.MOV")));
    EXPECT_EQ(QStringLiteral("clip.tar"), RecordingTitle(QStringLiteral("clip.tar.mp4")));
    EXPECT_EQ(QString(), RecordingTitle(QStringLiteral("/a/b.c/noext")));
    EXPECT_EQ(QString::fromUtf8("行车记录 ä"), RecordingTitle(QString::fromUtf8("/媒体/行车记录 ä.MOV")));
}

TEST(RecordingNameTest, TitleShowsWhatTheNarrowEncodingCannotHold)
{
    // A lone surrogate has no narrow form: it comes back as some replacement, never as itself.
    QString path = QStringLiteral("/a/b/x");
    path += QChar(0xD800);
    path += QStringLiteral("y.MOV");
    const QString title = RecordingTitle(path);
    EXPECT_FALSE(title.contains(QChar(0xD800)));
    EXPECT_TRUE(title.startsWith(QLatin1Char('x')));
    EXPECT_TRUE(title.endsWith(QLatin1Char('y')));
    EXPECT_GT(title.size(), 2);
}
