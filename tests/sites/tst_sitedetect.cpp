#include <QTest>

#include "sites/sitedetect.h"

class tst_SiteDetect : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void detectSite_data();
    void detectSite();
    void everyServiceIsRecognisedByItsOwnMarker();
    void noAddressGivesSeven();
    void choiceListOffersAutoAndThreeSites();
};

void tst_SiteDetect::detectSite_data()
{
    QTest::addColumn<QString>("sAddress");
    QTest::addColumn<int>("iSite");

    QTest::newRow("youtube") << "http://www.youtube.com/watch?v=x" << 2;
    QTest::newRow("capitals") << "HTTP://WWW.YOUTUBE.COM/WATCH?V=X" << 2;
    QTest::newRow("mixed case") << "http://www.YouTube.Com/watch" << 2;
    QTest::newRow("marker in query") << "http://redirect.example/?to=http://break.com/v/1" << 9;
    QTest::newRow("marker in path") << "http://127.0.0.1:8080/dailymotion.com/video" << 11;
    QTest::newRow("two markers, earlier wins") << "http://youtube.com/?ref=video.google.com" << 1;
    QTest::newRow("blip") << "http://blip.tv/file/123" << 10;
    QTest::newRow("ifilm") << "http://www.ifilm.com/video/2" << 8;
    QTest::newRow("zippy") << "http://www.zippyvideos.com/1" << 13;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("other site") << "http://example.org/watch?v=1" << -1;
    QTest::newRow("marker without dot") << "http://youtubecom.example/" << -1;
}

void tst_SiteDetect::detectSite()
{
    QFETCH(QString, sAddress);
    QFETCH(int, iSite);
    QCOMPARE(int(modDownload::DetectSite(sAddress)), iSite);
}

void tst_SiteDetect::everyServiceIsRecognisedByItsOwnMarker()
{
    int iCount = 0;
    const modDownload::SiteMarker *markers = modDownload::SiteMarkers(iCount);
    QCOMPARE(iCount, 12);
    QList<int> seen;
    for (int i = 0; i < iCount; ++i) {
        const QString sAddress = QStringLiteral("http://www.%1/watch").arg(markers[i].sMarker);
        QCOMPARE(int(modDownload::DetectSite(sAddress)), int(markers[i].iSite));
        QVERIFY(!seen.contains(markers[i].iSite));
        seen.append(markers[i].iSite);
    }
}

void tst_SiteDetect::noAddressGivesSeven()
{
    int iCount = 0;
    const modDownload::SiteMarker *markers = modDownload::SiteMarkers(iCount);
    QString sAll;
    for (int i = 0; i < iCount; ++i) {
        QVERIFY(markers[i].iSite != 7);
        sAll += QString::fromLatin1(markers[i].sMarker).toUpper() + QLatin1Char('/');
    }
    QCOMPARE(int(modDownload::DetectSite(sAll)), 1);
}

void tst_SiteDetect::choiceListOffersAutoAndThreeSites()
{
    QCOMPARE(modDownload::SiteChoices(),
             QStringList({"Auto", "google.com", "youtube.com", "ifilm.com"}));
}

QTEST_GUILESS_MAIN(tst_SiteDetect)
#include "tst_sitedetect.moc"
