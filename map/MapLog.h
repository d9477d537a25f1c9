#pragma once
// The map view's log: page navigations, load reports, the built-in provider's answers. Off by
// default; "vindrel --verbose" or QT_LOGGING_RULES="vindrel.map=true" switches it on.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMap)
