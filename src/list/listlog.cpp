#include "list/listlog.h"

Q_LOGGING_CATEGORY(lcList, "clipvane.list", QtInfoMsg)
