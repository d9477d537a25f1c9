#pragma once
// Reference for the ordering: the bubble sort with early exit taken word for word, reading both
// times of every pair it compares, pass after pass, and stopping at the first read that fails.
// It formats its own date texts so that it shares nothing with the code under test but the
// FileTime reader.

#include "recordings/RecordingDates.h"

#include <utility>

inline QString LiteralDateText(const LocalTime& t, bool withSeconds)
{
    return withSeconds
               ? QString::asprintf("%04d-%02d-%02d-%02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second)
               : QString::asprintf("%04d-%02d-%02d-%02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
}

inline void LiteralSortByTime(std::vector<RecordingEntry>& r, const FileTimeReader& read)
{
    const std::size_t n = r.size();
    if (n == 0)
        return;
    if (n == 1) {
        const FileTime t = read(r[0].filePath);
        if (t.result == 0)
            r[0].dateText = LiteralDateText(t.local, false);
        return;
    }
    for (std::size_t pass = 0; pass < n; ++pass) {
        bool sorted = true;
        for (std::size_t j = 0; j + 1 < n; ++j) {
            const FileTime a = read(r[j].filePath);
            if (a.result != 0)
                return;
            r[j].dateText = LiteralDateText(a.local, true);
            const FileTime b = read(r[j + 1].filePath);
            if (b.result != 0)
                return;
            r[j + 1].dateText = LiteralDateText(b.local, true);
            if (a.seconds > b.seconds) {
                std::swap(r[j], r[j + 1]);
                sorted = false;
            }
        }
        if (sorted)
            break;
    }
}
