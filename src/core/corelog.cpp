#include "core/corelog.h"

Q_LOGGING_CATEGORY(lcCore, "clipvane.core", QtInfoMsg)
