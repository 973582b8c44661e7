#pragma once

#include <QLoggingCategory>

// "clipvane.streams": the playlist and manifest readers.
Q_DECLARE_LOGGING_CATEGORY(lcStreams)
