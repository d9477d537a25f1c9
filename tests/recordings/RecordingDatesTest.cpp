#include "LiteralSort.h"
#include "TestFiles.h"

#include "recordings/ListCommand.h"
#include "recordings/RecordingDates.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QHash>

#include <cstdlib>
#include <ctime>
#include <random>

namespace {

std::vector<QString> Paths(const std::vector<RecordingEntry>& entries)
{
    std::vector<QString> paths;
    for (const RecordingEntry& e : entries)
        paths.push_back(e.filePath);
    return paths;
}

std::vector<QString> Texts(const std::vector<RecordingEntry>& entries)
{
    std::vector<QString> texts;
    for (const RecordingEntry& e : entries)
        texts.push_back(e.dateText);
    return texts;
}

std::vector<RecordingEntry> Entries(const std::vector<QString>& paths)
{
    std::vector<RecordingEntry> entries;
    for (const QString& p : paths)
        entries.push_back(RecordingEntry{p, QString(), GpsPresent});
    return entries;
}

}  // namespace

TEST(SortRecordingsByTime, OrdersByFileTimeWithSecondsAndSingleEntryWithout)
{
    TestFolder folder;
    const QString a = folder.Write("A.MOV", TenOClock + 2);
    const QString b = folder.Write("B.MOV", TenOClock + 1);
    const QString c = folder.Write("C.MOV", TenOClock + 3);
    std::vector<RecordingEntry> list = Entries({a, b, c});
    SortRecordingsByTime(list);
    EXPECT_EQ(Paths(list), (std::vector<QString>{b, a, c}));
    EXPECT_EQ(Texts(list), (std::vector<QString>{"2014-05-06-10:00:01", "2014-05-06-10:00:02", "2014-05-06-10:00:03"}));

    std::vector<RecordingEntry> single = Entries({c});
    SortRecordingsByTime(single);
    EXPECT_EQ(single[0].dateText, "2014-05-06-10:00");
}

TEST(SortRecordingsByTime, EqualSecondsKeepListOrderEvenWithDifferentFractions)
{
    TestFolder folder;
    const QString late = folder.Write("late.mov", 0);
    const QString early = folder.Write("early.mov", 0);
    const QString first = folder.Write("first.mov", TenOClock - 60);
    // Same whole second; the fraction must not decide.
    const timespec lateTimes[2] = {{TenOClock, 900000000}, {TenOClock, 900000000}};
    const timespec earlyTimes[2] = {{TenOClock, 100000000}, {TenOClock, 100000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(late).constData(), lateTimes, 0), 0);
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(early).constData(), earlyTimes, 0), 0);

    std::vector<RecordingEntry> list = Entries({late, early, first});
    SortRecordingsByTime(list);
    EXPECT_EQ(Paths(list), (std::vector<QString>{first, late, early}));
}

TEST(SortRecordingsByTime, FileGoneBeforeTheSortStopsItWhereTheBubbleSortStops)
{
    TestFolder folder;
    const QString t5 = folder.Write("t5.mov", TenOClock + 5);
    const QString t3 = folder.Write("t3.mov", TenOClock + 3);
    const QString t4 = folder.Write("t4.mov", TenOClock + 4);
    const QString gone = folder.Write("gone.mov", TenOClock + 2);
    const QString t1 = folder.Write("t1.mov", TenOClock + 1);
    std::vector<RecordingEntry> list = Entries({t5, t3, t4, gone, t1});
    for (RecordingEntry& e : list)
        e.dateText = "old";
    std::vector<RecordingEntry> literal = list;
    ASSERT_TRUE(QFile::remove(gone));

    SortRecordingsByTime(list);
    LiteralSortByTime(literal, FileWriteTime);

    // By hand: the first pass moves 5 past 3 and 4, then fails on the missing file.
    EXPECT_EQ(Paths(list), (std::vector<QString>{t3, t4, t5, gone, t1}));
    EXPECT_EQ(Texts(list), (std::vector<QString>{"2014-05-06-10:00:03", "2014-05-06-10:00:04", "2014-05-06-10:00:05",
                                                 "old", "old"}));
    EXPECT_EQ(list, literal);

    // A missing first entry stops the sort before anything changes.
    std::vector<RecordingEntry> front = Entries({gone, t5, t3});
    SortRecordingsByTime(front);
    EXPECT_EQ(front, Entries({gone, t5, t3}));
}

TEST(SortRecordingsByTime, DateTextIsLocalTime)
{
    TestFolder folder;
    const QString a = folder.Write("a.mov", TenOClock + 7);
    const QString b = folder.Write("b.mov", TenOClock + 8);
    std::vector<RecordingEntry> list = Entries({b, a});
    ::setenv("TZ", "XYZ-3", 1);  // three hours east of UTC
    ::tzset();
    SortRecordingsByTime(list);
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(Texts(list), (std::vector<QString>{"2014-05-06-13:00:07", "2014-05-06-13:00:08"}));
}

TEST(FileWriteTime, ReportsMissingFilesAndOddPaths)
{
    TestFolder folder;
    const QString here = folder.Write("here.mov", TenOClock);
    const FileTime time = FileWriteTime(here);
    EXPECT_EQ(time.result, 0);
    EXPECT_EQ(time.seconds, TenOClock);
    EXPECT_EQ(FileWriteTime(folder.Path("missing.mov")).result, -1);
    EXPECT_EQ(FileWriteTime(QString()).result, -1);
    // A NUL must not cut the name down to an existing file.
    EXPECT_EQ(FileWriteTime(here + QChar(u'\0') + "x").result, -1);
}

// Many random lists, with many equal times and sometimes one unreadable entry, against the
// literal bubble sort: same order, same texts, same stop point; each file read at most once.
TEST(SortRecordingsByTime, RandomListsMatchTheLiteralBubbleSort)
{
    std::mt19937 random(20140506);
    for (int round = 0; round < 1000; ++round) {
        const int n = std::uniform_int_distribution<int>(0, 24)(random);
        QHash<QString, FileTime> times;
        std::vector<RecordingEntry> list;
        const int spread = std::uniform_int_distribution<int>(1, 40)(random);
        for (int i = 0; i < n; ++i) {
            const QString path = QString("/card/%1.MOV").arg(i);
            FileTime t;
            t.result = 0;
            t.seconds = TenOClock + std::uniform_int_distribution<int>(0, spread)(random) * 61;
            const std::time_t s = static_cast<std::time_t>(t.seconds);
            std::tm tm{};
            gmtime_r(&s, &tm);
            t.local = LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
            times[path] = t;
            list.push_back(RecordingEntry{path, i % 3 == 0 ? "old" : "", static_cast<GpsStatus>(i % 3)});
        }
        if (n > 0 && random() % 2 == 0) {
            const QString bad = QString("/card/%1.MOV").arg(random() % n);
            times[bad].result = random() % 2 == 0 ? -1 : -2;
        }

        QHash<QString, int> reads;
        const FileTimeReader counting = [&](const QString& p) {
            ++reads[p];
            return times.value(p);
        };
        const FileTimeReader plain = [&](const QString& p) { return times.value(p); };
        std::vector<RecordingEntry> literal = list;
        SortRecordingsByTime(list, counting);
        LiteralSortByTime(literal, plain);
        ASSERT_EQ(list, literal) << "round " << round;
        for (int count : reads)
            ASSERT_LE(count, 1);
    }
}

TEST(ListCommand, PrintsDateGpsRatingAndPathInListOrder)
{
    TestFolder folder;
    // Recordings two folders deep, so that the log "two levels up" lies inside the test folder.
    const QString present = folder.Write("DCIM/100MEDIA/clip.mov", TenOClock + 20);
    folder.Write("DCIM/100MEDIA/gpsclip.log", 0, "A,1\nA,2\nV,3\n");
    const QString noInfo = folder.Write("DCIM/100MEDIA/other.MP4", TenOClock + 10);
    folder.Write("DCIM/100MEDIA/gpsother.log", 0, "V\nV\nV\nV\nV\nA\n");
    const QString noFile = folder.Write("DCIM/100MEDIA/\u00e9t\u00e9 1.MOV", TenOClock + 30);
    folder.Write("DCIM/100MEDIA/notes.txt", TenOClock);

    QByteArray outBytes;
    QBuffer outBuffer(&outBytes);
    outBuffer.open(QIODevice::WriteOnly);
    QString errText;
    QTextStream out(&outBuffer);
    QTextStream err(&errText);
    EXPECT_EQ(RunListCommand(folder.Path("DCIM/100MEDIA"), out, err), 0);
    // Files ten seconds apart with no movie in them: one trip.
    const QString expected = "2014-05-06-10:00:10\tNoGpsInfo\t" + noInfo +
                             "\t1\n"
                             "2014-05-06-10:00:20\tGpsPresent\t" +
                             present +
                             "\t1\n"
                             "2014-05-06-10:00:30\tNoGpsFile\t" +
                             noFile + "\t1\n";
    EXPECT_EQ(outBytes, expected.toUtf8());
    EXPECT_TRUE(errText.isEmpty());
}

TEST(ListCommand, FolderThatCannotBeReadGivesStatusOneAndAMessage)
{
    TestFolder folder;
    const QString file = folder.Write("plain.mov", TenOClock);
    for (const QString& dir : {folder.Path("missing"), file}) {
        QString outText;
        QString errText;
        QTextStream out(&outText);
        QTextStream err(&errText);
        EXPECT_EQ(RunListCommand(dir, out, err), 1);
        EXPECT_TRUE(outText.isEmpty());
        EXPECT_TRUE(errText.contains(dir)) << errText.toStdString();
    }
}
