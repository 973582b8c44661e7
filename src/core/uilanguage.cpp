#include "core/uilanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "core/corelog.h"

namespace {

const QString kEnglish = QStringLiteral("en");

// Set once by Install; read by whatever ships texts of its own (the help).
QString &InstalledLanguage()
{
    static QString sInstalled = kEnglish;
    return sInstalled;
}

// "de_DE.UTF-8@euro" -> "de_DE".
QString LocaleName(const QString &sValue)
{
    QString s = sValue.trimmed();
    s.truncate(s.indexOf(QLatin1Char('.')) < 0 ? s.size() : s.indexOf(QLatin1Char('.')));
    s.truncate(s.indexOf(QLatin1Char('@')) < 0 ? s.size() : s.indexOf(QLatin1Char('@')));
    return s;
}

// The language of one wish when the program speaks it; empty otherwise.
QString Fitting(const QString &sWish, const QStringList &lAvailable)
{
    const QString sName = LocaleName(sWish);
    const QString sBase = sName.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0)
                              .toLower();
    if (sBase == kEnglish || sName == QLatin1String("C") || sName == QLatin1String("POSIX"))
        return kEnglish;
    return lAvailable.contains(sBase) ? sBase : QString();
}

QStringList TranslatedLanguages()
{
    QStringList lLanguages;
    const QStringList lFiles = QDir(QStringLiteral(":/i18n")).entryList({QStringLiteral("clipvane_*.qm")});
    for (const QString &sFile : lFiles)
        lLanguages << sFile.mid(9).chopped(3);
    return lLanguages;
}

} // namespace

QString UiLanguage::Choose(const QString &sLanguage, const QString &sLcAll,
                           const QString &sLcMessages, const QString &sLang,
                           const QStringList &lAvailable)
{
    QString sLocale = sLcAll;
    if (sLocale.isEmpty())
        sLocale = sLcMessages;
    if (sLocale.isEmpty())
        sLocale = sLang;
    const QStringList lWishes = sLanguage.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &sWish : lWishes) {
        const QString sFit = Fitting(sWish, lAvailable);
        if (!sFit.isEmpty())
            return sFit;
    }
    const QString sFit = Fitting(sLocale, lAvailable);
    return sFit.isEmpty() ? kEnglish : sFit;
}

void UiLanguage::Install(QCoreApplication &app)
{
    const QString sChosen = Choose(qEnvironmentVariable("LANGUAGE"), qEnvironmentVariable("LC_ALL"),
                                   qEnvironmentVariable("LC_MESSAGES"), qEnvironmentVariable("LANG"),
                                   TranslatedLanguages());
    InstalledLanguage() = kEnglish;
    if (sChosen == kEnglish)
        return;
    auto *pProgram = new QTranslator(&app);
    if (pProgram->load(QStringLiteral(":/i18n/clipvane_%1.qm").arg(sChosen))) {
        QCoreApplication::installTranslator(pProgram);
        InstalledLanguage() = sChosen;
    } else {
        qCWarning(lcCore) << "The translation" << sChosen << "could not be loaded";
    }
    // Qt's own texts (standard dialog buttons); missing where its translations
    // are not installed, which leaves them English.
    auto *pQt = new QTranslator(&app);
    if (pQt->load(QStringLiteral("qtbase_%1").arg(sChosen),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(pQt);
    qCDebug(lcCore) << "Speaking" << sChosen;
}

QString UiLanguage::Installed()
{
    return InstalledLanguage();
}
