#include "clip/cliplog.h"

Q_LOGGING_CATEGORY(lcClip, "clipvane.clip", QtInfoMsg)
