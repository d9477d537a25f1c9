#pragma once
// The engine's log: every movie opened, closed or failed with mpv's own words, and the choice of
// video output. Off by default; `--verbose` or QT_LOGGING_RULES="vindrel.engine.debug=true".

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcEngine)
