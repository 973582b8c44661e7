#include "monitor/monitorlog.h"

Q_LOGGING_CATEGORY(lcMonitor, "clipvane.monitor", QtInfoMsg)
