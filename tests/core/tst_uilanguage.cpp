#include <QtTest>

#include "core/uilanguage.h"

// Which language the program speaks for the desktop's locale settings.
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
};

QTEST_GUILESS_MAIN(tst_UiLanguage)
#include "tst_uilanguage.moc"
