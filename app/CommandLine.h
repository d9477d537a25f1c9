#pragma once
// The command-line options, handled before any window or display is needed.

#include <QStringList>

#include <optional>

class QTextStream;

/// Runs the option named by args (args[0] is the program) and returns the exit status, or nothing
/// when args name no option and the player window should open.
std::optional<int> RunCommandLineOption(const QStringList& args, QTextStream& out, QTextStream& err);

/// `--dump-track FILE`: the recording's GPS log status and its GPS track, one element a line.
int DumpTrack(const QString& file, QTextStream& out, QTextStream& err);

/// `--export-gpx FILE [OUT]`: the recording's GPS track as GPX 1.1, to OUT or to out.
int ExportGpx(const QString& file, const QString& outPath, QTextStream& out, QTextStream& err);
