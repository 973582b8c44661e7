#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

// The language the program speaks: the desktop's, where a translation of the
// program fits it, else English (the texts in the code).
namespace UiLanguage {

// The first of the desktop's wishes that is English or one of lAvailable
// ("de", "es"): LANGUAGE, a colon list, then the first set of LC_ALL,
// LC_MESSAGES and LANG. "en" when none fits; a "C" or "POSIX" locale means
// English. LANGUAGE is asked first even then: a desktop (or a test) that sets
// only LANGUAGE means it.
QString Choose(const QString &sLanguage, const QString &sLcAll, const QString &sLcMessages,
               const QString &sLang, const QStringList &lAvailable);

// Installs the program's translation (and Qt's own, for standard buttons,
// where it is installed) for the environment's language.
void Install(QCoreApplication &app);

// The language the windows speak: what Install put in place, "en" before it
// ran or when the chosen translation could not be loaded.
QString Installed();

} // namespace UiLanguage
