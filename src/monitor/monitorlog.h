#pragma once

#include <QLoggingCategory>

// "clipvane.monitor": the program's side of the clipboard.
// Warnings show; debug lines only when QT_LOGGING_RULES switches them on
// ("clipvane.*.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcMonitor)
