#pragma once

#include <QLoggingCategory>

// "clipvane.settings": the settings file.
// Warnings show; debug lines only when QT_LOGGING_RULES switches them on
// ("clipvane.*.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
