#include "media/medialog.h"

Q_LOGGING_CATEGORY(lcMedia, "clipvane.media", QtInfoMsg)
