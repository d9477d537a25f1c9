#include "playback/EngineLog.h"

Q_LOGGING_CATEGORY(lcEngine, "vindrel.engine", QtWarningMsg)
