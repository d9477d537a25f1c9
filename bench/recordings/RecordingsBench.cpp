// Scanning and ordering a card of recordings: 10,000 empty files with distinct write times in one
// folder, listed in time order and in reverse time order, against the literal bubble sort that
// asks the file system for both times of every pair it compares.
//
// Usage: recordings_bench [count]   (default 10000; the folder is made under TMPDIR)

#include "LiteralSort.h"

#include "recordings/RecordingDates.h"
#include "recordings/RecordingList.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

namespace {

constexpr std::int64_t Base = 1399370400;  // 2014-05-06 10:00:00 UTC

double CpuNow()
{
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The machine may be shared: besides wall time, the process's own processor time (user + system)
// of the last measured piece of work is kept, which other processes do not inflate.
double lastCpu = 0;

double Milliseconds(const std::function<void()>& work)
{
    const double cpuStart = CpuNow();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    lastCpu = CpuNow() - cpuStart;
    return wall;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void SetTime(const QString& path, std::int64_t seconds)
{
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {static_cast<time_t>(seconds), 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// A folder of count recordings whose times ascend (or descend) in the order the folder lists them.
struct Card {
    QTemporaryDir dir;
    std::vector<RecordingEntry> scanned;

    Card(int count, bool reversed)
    {
        for (int i = 0; i < count; ++i) {
            QFile file(dir.filePath(QString::asprintf("AMBA%05d.MOV", i)));
            file.open(QIODevice::WriteOnly);
        }
        ScanFolder(dir.path(), scanned);
        for (int i = 0; i < count; ++i)
            SetTime(scanned[static_cast<std::size_t>(i)].filePath, Base + (reversed ? count - i : i));
    }
};

// Scan and sort, as the folder command does; the median of several warm runs.
double oursCpu = 0;

double OursScanAndSort(const Card& card, int runs = 7)
{
    std::vector<double> times;
    std::vector<double> cpu;
    for (int r = 0; r < runs + 1; ++r) {
        const double ms = Milliseconds([&] {
            std::vector<RecordingEntry> list;
            ScanFolder(card.dir.path(), list);
            SortRecordingsByTime(list);
        });
        if (r > 0) {  // the first run warms the cache
            times.push_back(ms);
            cpu.push_back(lastCpu);
        }
    }
    oursCpu = Median(cpu);
    return Median(times);
}

// The scan alone and the sort alone (of a fresh copy of the scanned list).
void Breakdown(const Card& card, double& scan, double& sort)
{
    std::vector<double> scans, sorts;
    for (int r = 0; r < 8; ++r) {
        std::vector<RecordingEntry> list;
        scans.push_back(Milliseconds([&] { ScanFolder(card.dir.path(), list); }));
        sorts.push_back(Milliseconds([&] { SortRecordingsByTime(list); }));
    }
    scan = Median(scans);
    sort = Median(sorts);
}

double LiteralScanAndSort(const Card& card)
{
    return Milliseconds([&] {
        std::vector<RecordingEntry> list;
        ScanFolder(card.dir.path(), list);
        LiteralSortByTime(list, FileWriteTime);
    });
}

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(2, std::atoi(argv[1])) : 10000;
    ::setenv("TZ", "UTC", 1);
    ::tzset();

    std::printf("recordings: scan + sort, median of 7 warm runs (literal: one warm run)\n");
    for (bool reversed : {false, true}) {
        const Card card(count, reversed);
        const double ours = OursScanAndSort(card);
        const char* order = reversed ? "reversed" : "in order";
        const double cpu = oursCpu;
        double scan = 0, sort = 0;
        Breakdown(card, scan, sort);
        std::printf("%-9s n=%-6d ours %9.2f ms wall, %.2f ms cpu  (wall: scan %.2f ms, sort %.2f ms)\n", order, count,
                    ours, cpu, scan, sort);
        if (!reversed) {
            LiteralScanAndSort(card);  // warm
            const double literal = LiteralScanAndSort(card);
            std::printf("%-9s n=%-6d literal %6.2f ms wall, %.2f ms cpu   speed-up %.1fx (cpu %.1fx)\n", order, count,
                        literal, lastCpu, literal / ours, lastCpu / cpu);
            continue;
        }
        // The literal sort of a reversed list asks for 2 (n - 1) times per pass over n passes:
        // measured on 1,000 and 2,000 entries and extrapolated with the square of n.
        double perSquare = 0;
        for (int small : {1000, 2000}) {
            const Card smallCard(small, true);
            const double oursSmall = OursScanAndSort(smallCard, 3);
            const double literal = LiteralScanAndSort(smallCard);
            const double literalCpu = lastCpu;
            perSquare = literal / (double(small) * small);
            std::printf("%-9s n=%-6d literal %9.2f ms wall, %.0f ms cpu  ours %7.2f ms wall, %.2f ms cpu  "
                        "speed-up %.0fx\n",
                        order, small, literal, literalCpu, oursSmall, oursCpu, literal / oursSmall);
        }
        const double extrapolated = perSquare * double(count) * count;
        std::printf("%-9s n=%-6d literal ~%.0f ms (extrapolated from n=2000 by n^2)   "
                    "speed-up ~%.0fx\n",
                    order, count, extrapolated, extrapolated / ours);
    }
    return 0;
}
