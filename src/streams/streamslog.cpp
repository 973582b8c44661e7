#include "streams/streamslog.h"

Q_LOGGING_CATEGORY(lcStreams, "clipvane.streams", QtInfoMsg)
