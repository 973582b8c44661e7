#pragma once

#include <QLoggingCategory>

// "clipvane.queue": the queue and each item's road.
// Warnings show; debug lines only when QT_LOGGING_RULES switches them on
// ("clipvane.*.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcQueue)
