#include "gui/guilog.h"

Q_LOGGING_CATEGORY(lcGui, "clipvane.gui", QtInfoMsg)
