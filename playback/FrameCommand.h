#pragma once
// `vindrel --frame FILE SECONDS OUT.bmp`: the frame shown at SECONDS of FILE, written as a
// bitmap file in the screenshot format at the movie's own size. No window or display needed.

#include <QStringList>

class QTextStream;

/// Runs the frame command. `args` are the words after "--frame" (a leading "--frame" is
/// skipped as well): FILE, SECONDS (a decimal number in the C locale) and OUT. Returns 0 after
/// writing OUT; 1 with a message on err, and no file written, when the arguments are wrong, the
/// file cannot be read as a movie, the time lies past its end, or there is no frame there.
int RunFrameCommand(const QStringList& args, QTextStream& out, QTextStream& err);
