#include "map/MapLog.h"

Q_LOGGING_CATEGORY(lcMap, "vindrel.map", QtWarningMsg)
