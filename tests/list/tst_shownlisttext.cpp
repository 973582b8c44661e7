#include <QTranslator>
#include <QtTest>

#include "list/shownlisttext.h"

// The list's stored English texts as a German user reads them: fixed texts,
// texts with numbers or reasons in them, and what must stay as it is.
class tst_ShownListText : public QObject
{
    Q_OBJECT

    QTranslator m_german;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_german.load(QStringLiteral(":/i18n/clipvane_de.qm")));
        QVERIFY(QCoreApplication::installTranslator(&m_german));
    }

    void germanText_data()
    {
        QTest::addColumn<QString>("sStored");
        QTest::addColumn<QString>("sShown");
        QTest::newRow("status") << "Waiting" << "Wartend";
        QTest::newRow("status in capitals") << "ERROR" << "FEHLER";
        QTest::newRow("status is matched whole") << "Waiting " << "Waiting ";
        QTest::newRow("status is matched in its case") << "waiting" << "waiting";
        QTest::newRow("stand-in file name") << "Waiting (Auto Detect)" << "Wartend (automatische Erkennung)";
        QTest::newRow("page progress") << "Preparing (42%)" << "Vorbereitung (42 %)";
        QTest::newRow("retry count") << QString::fromUtf8("Retrying (2/5)…") << QString::fromUtf8("Neuer Versuch (2/5)…");
        QTest::newRow("bytes without a size") << "1.5 MB so far.." << "1.5 MB bisher..";
        QTest::newRow("reason with an answer") << "The server answered 404 Not Found; nothing was saved"
                                               << "Der Server antwortete 404 Not Found; nichts wurde gespeichert";
        QTest::newRow("reason with a path holding %2") << "Cannot write /d/100%2.part"
                                                       << "/d/100%2.part kann nicht geschrieben werden";
        QTest::newRow("reason over two lines") << "The playlist could not be fetched: a\nb"
                                               << "Die Playlist konnte nicht abgerufen werden: a\nb";
        QTest::newRow("answer repeated") << "The server answered 503 Service Unavailable 6 times"
                                         << "Der Server antwortete 6-mal 503 Service Unavailable";
        QTest::newRow("answer once") << "The server answered 404 Not Found"
                                     << "Der Server antwortete 404 Not Found";
        QTest::newRow("reason that begins with an address") << "10.0.0.1 sent nothing for 60 s"
                                                            << "10.0.0.1 sendete 60 s lang nichts";
        QTest::newRow("size stays") << "12.4 MB" << "12.4 MB";
        QTest::newRow("percentage stays a number") << "42" << "42";
        QTest::newRow("file name stays") << "Complete.mp4" << "Complete.mp4";
        QTest::newRow("file name like a pattern stays") << "Preparing (x).mp4" << "Preparing (x).mp4";
        QTest::newRow("empty") << "" << "";
    }

    void germanText()
    {
        QFETCH(QString, sStored);
        QFETCH(QString, sShown);
        QCOMPARE(ShownListText::Of(sStored), sShown);
    }
};

QTEST_GUILESS_MAIN(tst_ShownListText)
#include "tst_shownlisttext.moc"
