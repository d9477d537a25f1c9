#include "recordings/ListCommand.h"

#include "gps/GpsRecord.h"
#include "recordings/RecordingDates.h"
#include "recordings/RecordingList.h"

#include <QStringConverter>

#include <vector>

int RunListCommand(const QString& dir, QTextStream& out, QTextStream& err)
{
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    std::vector<RecordingEntry> recordings;
    if (!ScanFolder(dir, recordings)) {
        err << "vindrel: cannot read the folder " << dir << '\n';
        err.flush();
        return 1;
    }
    SortRecordingsByTime(recordings);
    for (const RecordingEntry& entry : recordings) {
        out << entry.dateText << '\t' << GpsStatusName(CheckGpsLog(entry.filePath)) << '\t'
            << entry.filePath << '\n';
    }
    out.flush();
    return 0;
}
