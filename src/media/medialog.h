#pragma once

#include <QLoggingCategory>

// "clipvane.media": remuxing stream fragments into one file, and what
// FFmpeg's libraries say while doing it (debug lines only, so they stay
// quiet unless QT_LOGGING_RULES switches them on).
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
