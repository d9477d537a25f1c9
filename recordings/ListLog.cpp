#include "recordings/ListLog.h"

Q_LOGGING_CATEGORY(lcList, "vindrel.list", QtWarningMsg)
