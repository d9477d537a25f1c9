#include "recordings/RecordingDates.h"

#include <QFile>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <numeric>

FileTime FileWriteTime(const QString& path)
{
    FileTime time;
    // A NUL would cut the encoded name short and name another file.
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return time;

    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return time;

    const std::time_t seconds = info.st_mtim.tv_sec;
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr || local.tm_year + 1900 < 0 || local.tm_year + 1900 > 9999) {
        time.result = -2;
        return time;
    }
    time.result = 0;
    time.seconds = static_cast<std::int64_t>(seconds);
    time.local =
        LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
    return time;
}

QString FormatDateText(const LocalTime& t, bool withSeconds)
{
    char text[64];
    if (withSeconds)
        std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                      t.second);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02d-%02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    return QString::fromLatin1(text);
}

// Why reading each time once gives the bubble sort's result:
//
// The bubble sort compares every adjacent pair from the front, pass after pass, reading both
// times of each pair. In its first pass, before comparing pair (j, j + 1) nothing has yet moved
// entry j + 1, so the first pass reads the entries in their original order, each for the first
// time as the second member of a pair, and otherwise only re-reads the entry it carries forward,
// which it has read already. So while files stay as they are, the first time that cannot be read
// is that of the first unreadable entry u in list order, met in the first pass at pair (u - 1, u)
// (or at once, for u = 0). At that moment the entries before u have been through one bubble pass
// and all carry their texts; u and everything after it are as they were. When every time can be
// read, a bubble sort that swaps only on "later than" and stops after a pass without swaps is a
// stable sort, with every entry's text set in the first pass.
void SortRecordingsByTime(std::vector<RecordingEntry>& recordings, const FileTimeReader& readTime)
{
    const std::size_t n = recordings.size();
    if (n == 0)
        return;
    if (n == 1) {
        const FileTime time = readTime(recordings.front().filePath);
        if (time.result == 0)
            recordings.front().dateText = FormatDateText(time.local, false);
        return;
    }

    std::vector<std::int64_t> seconds;
    seconds.reserve(n);
    for (RecordingEntry& entry : recordings) {
        const FileTime time = readTime(entry.filePath);
        if (time.result != 0)
            break;
        seconds.push_back(time.seconds);
        entry.dateText = FormatDateText(time.local, true);
    }
    const std::size_t readable = seconds.size();

    if (readable < n) {
        // The single pass the bubble sort completes before its failing read.
        for (std::size_t j = 0; j + 1 < readable; ++j) {
            if (seconds[j] > seconds[j + 1]) {
                std::swap(recordings[j], recordings[j + 1]);
                std::swap(seconds[j], seconds[j + 1]);
            }
        }
        return;
    }

    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return seconds[a] < seconds[b]; });
    std::vector<RecordingEntry> sorted;
    sorted.reserve(n);
    for (std::size_t i : order)
        sorted.push_back(std::move(recordings[i]));
    recordings = std::move(sorted);
}
