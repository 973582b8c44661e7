#pragma once

#include <QLoggingCategory>

// "clipvane.clip": the clipboard watcher.
// Warnings show; debug lines only when QT_LOGGING_RULES switches them on
// ("clipvane.*.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcClip)
