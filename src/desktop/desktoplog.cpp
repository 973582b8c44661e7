#include "desktop/desktoplog.h"

Q_LOGGING_CATEGORY(lcDesktop, "clipvane.desktop", QtInfoMsg)
