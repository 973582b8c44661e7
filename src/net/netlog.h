#pragma once

#include <QLoggingCategory>

// "clipvane.net": the transfers.
// Warnings show; debug lines only when QT_LOGGING_RULES switches them on
// ("clipvane.*.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcNet)
