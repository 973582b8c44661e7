#include "session/queuelog.h"

Q_LOGGING_CATEGORY(lcQueue, "clipvane.queue", QtInfoMsg)
