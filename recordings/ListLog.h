#pragma once
// The recording list's log: what each list command did. Off by default; "vindrel --verbose" or
// QT_LOGGING_RULES="vindrel.list=true" switches it on.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcList)
