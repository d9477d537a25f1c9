// Rating a recording's GPS log, with the logs in temporary folders.

#include "gps/GpsRecord.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

// A card: <root>/DCIM/100MEDIA/AMBA0123.MOV, its log two levels up in <root>/gps/gps0123.log
// and beside it in <root>/DCIM/100MEDIA/gps0123.log.
class GpsLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("DCIM/100MEDIA")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("gps")));
        recording = dir.filePath(QStringLiteral("DCIM/100MEDIA/AMBA0123.MOV"));
        upLog = dir.filePath(QStringLiteral("gps/gps0123.log"));
        besideLog = dir.filePath(QStringLiteral("DCIM/100MEDIA/gps0123.log"));
    }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(bytes.size(), f.write(bytes));
    }

    static QByteArray Lines(int a, int v)
    {
        QByteArray text;
        for (int i = 0; i < v; ++i)
            text += "V,1,2,,,,,,0,0,0;\n";
        for (int i = 0; i < a; ++i)
            text += "A,1,2,2235.0897,N,11355.3174,E,37.6,0,0,0;\n";
        return text;
    }

    QTemporaryDir dir;
    QString recording;
    QString upLog;
    QString besideLog;
};

}  // namespace

TEST_F(GpsLogTest, NoLogAnywhere) { EXPECT_EQ(NoGpsFile, CheckGpsLog(recording)); }

TEST_F(GpsLogTest, TwentyPercentOfValidFixes)
{
    Write(besideLog, Lines(0, 3));
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
    Write(besideLog, Lines(1, 4));  // 1 is not below 0.2 x 5
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    Write(besideLog, Lines(1, 5));  // 1 is below 0.2 x 6
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
    Write(besideLog, Lines(200, 800));
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    Write(besideLog, Lines(199, 801));
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
}

TEST_F(GpsLogTest, NothingToCountIsPresent)
{
    Write(upLog, QByteArray());
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    Write(upLog, "\n\n$GPRMC,V\n a\n v\n VVVV\nx\n");
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    Write(upLog, "\n\nV");  // the last line needs no line end
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
}

TEST_F(GpsLogTest, TheLogTwoLevelsUpIsPreferred)
{
    Write(upLog, Lines(5, 0));
    Write(besideLog, Lines(0, 5));
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    Write(upLog, Lines(0, 5));
    Write(besideLog, Lines(5, 0));
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
    ASSERT_TRUE(QFile::remove(upLog));
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
}

TEST_F(GpsLogTest, WhatCannotBeReadAsAFileFallsBackToTheOtherCandidate)
{
    Write(besideLog, Lines(0, 2));
    // A folder and a FIFO under the preferred name: neither is a log (the FIFO would block).
    ASSERT_TRUE(QDir().mkpath(upLog));
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
    ASSERT_TRUE(QDir().rmdir(upLog));
    ASSERT_EQ(0, ::mkfifo(QFile::encodeName(upLog).constData(), 0600));
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
    ASSERT_TRUE(QFile::remove(besideLog));
    EXPECT_EQ(NoGpsFile, CheckGpsLog(recording));
}

TEST_F(GpsLogTest, WindowsLineEndsStillStartWithTheLetter)
{
    Write(besideLog, "A,1;\r\nV,1;\r\n\r\nV,1;\r\nV,1;\r\n");  // "\r" alone is no letter
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    Write(besideLog, "A\r\nV\r\nV\r\nV\r\nV\r\nV\r\n");
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
}

TEST_F(GpsLogTest, BinaryLog)
{
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char(i % 256);  // every '\n' is followed by 0x0B: nothing to count
    Write(besideLog, bytes);
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    // Lines "\0\0\xff", "V\xff\0", "V\0", "A\xfe": 1 of 3 valid.
    bytes += QByteArray("\n\0\0\xff\nV\xff\0\nV\0\nA\xfe", 15);
    Write(besideLog, bytes);
    EXPECT_EQ(GpsPresent, CheckGpsLog(recording));
    bytes += "\nV\nV\nV";
    Write(besideLog, bytes);
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
}

TEST_F(GpsLogTest, LinesSpanningReadChunksCountOnce)
{
    // Lines of 100 000 characters cross every internal read boundary.
    QByteArray text;
    for (int i = 0; i < 6; ++i)
        text += (i == 0 ? QByteArray("A") : QByteArray("V")) + QByteArray(99999, 'A') + "\n";
    Write(besideLog, text);
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));  // 1 of 6
}

TEST_F(GpsLogTest, AHugeLogIsReadOnlyInPart)
{
    // One line of 200 MB (sparse, so cheap to make) beginning with V, then many A lines. Only
    // the start of such a log is rated: the A lines far behind it are never reached.
    {
        QFile f(besideLog);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("V");
        ASSERT_TRUE(f.resize(200LL * 1024 * 1024));
        ASSERT_TRUE(f.seek(200LL * 1024 * 1024));
        f.write(Lines(100, 0).prepend('\n'));
    }
    EXPECT_EQ(NoGpsInfo, CheckGpsLog(recording));
}
