#include <QtTest>

#include "core/programfiles.h"
#include "core/uilanguage.h"

namespace {

// The anchors and links of a help document, and its lang attribute.
QStringList Landmarks(const QString &sPath)
{
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("unreadable: ") + sPath};
    const QString sText = QString::fromUtf8(file.readAll());
    QStringList lMarks;
    static const QRegularExpression re(QStringLiteral("\\b(id|href)=\"([^\"]*)\""));
    for (const QRegularExpressionMatch &match : re.globalMatch(sText))
        lMarks << match.captured(1) + QLatin1Char('=') + match.captured(2);
    lMarks.sort();
    static const QRegularExpression reLang(QStringLiteral("<html lang=\"([^\"]*)\""));
    lMarks.prepend(reLang.match(sText).captured(1));
    return lMarks;
}

} // namespace

// Which language the program speaks for the desktop's locale settings, and
// the help document it opens for it.
class tst_UiLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void choose_data()
    {
        QTest::addColumn<QString>("sLanguage");
        QTest::addColumn<QString>("sLcAll");
        QTest::addColumn<QString>("sLcMessages");
        QTest::addColumn<QString>("sLang");
        QTest::addColumn<QString>("sChosen");
        QTest::newRow("nothing set") << "" << "" << "" << "" << "en";
        QTest::newRow("LANG alone") << "" << "" << "" << "de_DE.UTF-8" << "de";
        QTest::newRow("LANG with modifier") << "" << "" << "" << "es_ES.UTF-8@euro" << "es";
        QTest::newRow("LC_MESSAGES before LANG") << "" << "" << "es_MX.UTF-8" << "de_DE.UTF-8" << "es";
        QTest::newRow("LC_ALL before both") << "" << "de_AT.UTF-8" << "es_ES" << "en_GB" << "de";
        QTest::newRow("LANGUAGE before the locale") << "es" << "" << "" << "de_DE.UTF-8" << "es";
        QTest::newRow("LANGUAGE: first that fits wins") << "fr:es_ES:de" << "" << "" << "fr_FR.UTF-8" << "es";
        QTest::newRow("LANGUAGE: English first wins") << "en_GB:de" << "" << "" << "de_DE.UTF-8" << "en";
        QTest::newRow("LANGUAGE without a fit falls to the locale") << "fr:it" << "" << "" << "de_DE.UTF-8" << "de";
        QTest::newRow("LANGUAGE of empty parts") << "::" << "" << "" << "es_ES.UTF-8" << "es";
        QTest::newRow("no translation for the locale") << "" << "" << "" << "fr_FR.UTF-8" << "en";
        QTest::newRow("LANGUAGE over a C locale") << "de" << "" << "" << "C.UTF-8" << "de";
        QTest::newRow("C locale before LANG") << "" << "C.UTF-8" << "" << "de_DE.UTF-8" << "en";
        QTest::newRow("POSIX is English") << "" << "" << "POSIX" << "" << "en";
        QTest::newRow("unset locale keeps LANGUAGE") << "de" << "" << "" << "" << "de";
        QTest::newRow("language in capitals") << "" << "" << "" << "DE_de.UTF-8" << "de";
        QTest::newRow("a language only named like one") << "des" << "" << "" << "" << "en";
    }

    void choose()
    {
        QFETCH(QString, sLanguage);
        QFETCH(QString, sLcAll);
        QFETCH(QString, sLcMessages);
        QFETCH(QString, sLang);
        QFETCH(QString, sChosen);
        const QStringList lAvailable{QStringLiteral("de"), QStringLiteral("es")};
        QCOMPARE(UiLanguage::Choose(sLanguage, sLcAll, sLcMessages, sLang, lAvailable), sChosen);
    }

    // Files beside the program, the language spoken, the document opened.
    void helpDocument_data()
    {
        QTest::addColumn<QStringList>("lFiles");
        QTest::addColumn<QString>("sLanguage");
        QTest::addColumn<QString>("sOpened");
        const QStringList lAll{"help.html", "help.de.html", "help.es.html"};
        QTest::newRow("German") << lAll << "de" << "help.de.html";
        QTest::newRow("English") << lAll << "en" << "help.html";
        QTest::newRow("no document in the language") << QStringList{"help.html", "help.de.html"}
                                                     << "es" << "help.html";
        QTest::newRow("only the translation") << QStringList{"help.de.html"} << "de" << "help.de.html";
        QTest::newRow("a folder of that name") << QStringList{"help.html", "help.de.html/"} << "de"
                                               << "help.html";
        QTest::newRow("no help at all") << QStringList{"help.es.html"} << "de" << "";
    }

    void helpDocument()
    {
        QFETCH(QStringList, lFiles);
        QFETCH(QString, sLanguage);
        QFETCH(QString, sOpened);
        QTemporaryDir programDir;
        QVERIFY(programDir.isValid());
        for (const QString &sName : lFiles) {
            if (sName.endsWith(QLatin1Char('/'))) {
                QVERIFY(QDir(programDir.path()).mkpath(sName));
                continue;
            }
            QFile file(programDir.filePath(sName));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString sPath = ProgramFiles::HelpDocumentFor(programDir.path(), sLanguage);
        QCOMPARE(sPath, sOpened.isEmpty() ? QString() : programDir.filePath(sOpened));
    }

    // Each translated help keeps the anchors and links of help.html, which
    // the window opens by section.
    void helpTranslationsInStep()
    {
        const QString sData = qEnvironmentVariable("CLIPVANE_SOURCE_DIR") + QStringLiteral("/data/");
        QStringList lEnglish = Landmarks(sData + QStringLiteral("help.html"));
        QCOMPARE(lEnglish.takeFirst(), QStringLiteral("en"));
        QVERIFY(lEnglish.size() > 1);
        for (const QString &sLanguage : {QStringLiteral("de"), QStringLiteral("es")}) {
            QStringList lTranslated = Landmarks(sData + QStringLiteral("help.%1.html").arg(sLanguage));
            QCOMPARE(lTranslated.takeFirst(), sLanguage);
            QCOMPARE(lTranslated, lEnglish);
        }
    }
};

QTEST_GUILESS_MAIN(tst_UiLanguage)
#include "tst_uilanguage.moc"
