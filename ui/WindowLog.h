#pragma once
// The player window's log: start-up, the map-load watchdog, the network check, and every open,
// close and failure of a movie as the window sees it. Off by default; "vindrel --verbose" or
// QT_LOGGING_RULES="vindrel.window=true" switches it on.

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWindow)
