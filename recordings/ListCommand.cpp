#include "recordings/ListCommand.h"

#include "gps/GEvents.h"
#include "gps/GpsRecord.h"
#include "gps/RecordingFile.h"
#include "recordings/RecordingDates.h"
#include "recordings/RecordingList.h"
#include "recordings/TripScanner.h"

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
    std::vector<QString> paths;
    for (const RecordingEntry& entry : recordings)
        paths.push_back(entry.filePath);
    const std::optional<TripScan> scan = ScanTrips(paths, LoadTripSettings());
    for (std::size_t i = 0; i < recordings.size(); ++i) {
        const RecordingEntry& entry = recordings[i];
        out << entry.dateText << '\t' << GpsStatusName(CheckGpsLog(entry.filePath)) << '\t' << entry.filePath << '\t'
            << scan->trips[i] << '\n';
    }
    out.flush();
    return 0;
}

int RunEventsCommand(const QString& file, QTextStream& out, QTextStream& err)
{
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    const RecordingFileTracks read = ReadRecordingFileTracks(file);
    if (!read.opened && read.tracks.family == GpsFamily::None) {
        err << "vindrel: " << file << ": cannot be read as a recording\n";
        err.flush();
        return 1;
    }
    for (const GEvent& event : FindGEvents(read.tracks.gSensorSeries, LoadTripSettings().events))
        out << event.first << '\t' << event.last << '\t' << QString::number(event.peak, 'f', 3) << '\n';
    out.flush();
    return 0;
}
