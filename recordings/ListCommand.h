#pragma once
// "vindrel --list DIR": the recordings of a folder in list order, without a display; and
// "vindrel --events FILE": the G-sensor events of one recording.

#include <QString>
#include <QTextStream>

/// Scans dir as the folder command does, orders it by file time and writes one line per
/// recording: dateText, a tab, the GPS log rating (NoGpsFile, GpsPresent or NoGpsInfo), a tab,
/// the full path, a tab, the trip number (from 1); UTF-8. A folder that cannot be read: a message
/// on err and status 1; else 0.
int RunListCommand(const QString& dir, QTextStream& out, QTextStream& err);

/// One line per event of the recording: first second, a tab, last second, a tab, the peak value
/// ("%.3f"). Nothing for a recording without events. A file that is no recording: a message on
/// err and status 1; else 0.
int RunEventsCommand(const QString& file, QTextStream& out, QTextStream& err);
