#pragma once
// "vindrel --list DIR": the recordings of a folder in list order, without a display.

#include <QString>
#include <QTextStream>

/// Scans dir as the folder command does, orders it by file time and writes one line per
/// recording: dateText, a tab, the GPS log rating (NoGpsFile, GpsPresent or NoGpsInfo), a tab,
/// the full path; UTF-8. A folder that cannot be read: a message on err and status 1; else 0.
int RunListCommand(const QString& dir, QTextStream& out, QTextStream& err);
