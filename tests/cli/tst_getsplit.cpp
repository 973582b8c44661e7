#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "httptestserver.h"

// clipvane-get fetching a file over several connections: killed in the
// middle, the next run asks only for the ranges still missing.
class tst_GetSplit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void refusesBadOptions_data();
    void refusesBadOptions();
    void killedRunFetchesOnlyTheMissingRanges();
};

void tst_GetSplit::refusesBadOptions_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("no connections") << QStringList{"--connections", "0"} << QByteArray("--connections");
    QTest::newRow("too many connections")
        << QStringList{"--connections", "17"} << QByteArray("--connections");
    QTest::newRow("connections not a number")
        << QStringList{"--connections", "four"} << QByteArray("--connections");
    QTest::newRow("no rate") << QStringList{"--limit-rate", "0"} << QByteArray("--limit-rate");
    QTest::newRow("rate not a rate") << QStringList{"--limit-rate", "fast"} << QByteArray("--limit-rate");
}

void tst_GetSplit::refusesBadOptions()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, message);
    QProcess get;
    get.start(QStringLiteral(CLIPVANE_GET_PATH), options << QStringLiteral("http://127.0.0.1:9/v.mp4"));
    QVERIFY(get.waitForFinished(60000));
    QCOMPARE(get.exitCode(), 2);
    QVERIFY(get.readAllStandardError().contains(message));
}

void tst_GetSplit::killedRunFetchesOnlyTheMissingRanges()
{
    constexpr qint64 kSize = 24 * 1024 * 1024;
    QByteArray file(kSize, Qt::Uninitialized);
    for (qint64 i = 0; i < kSize; ++i)
        file[i] = char((i * 7919) >> 9);
    HttpTestServer server;
    QVERIFY(server.Start());
    auto serve = [&](int iTrickleBytes, int iIntervalMs) {
        HttpTestServer::Response answer = HttpTestServer::Ok(file, "video/mp4");
        answer.headers.append({QByteArray("ETag"), QByteArray("\"24m\"")});
        answer.honourRange = true;
        answer.trickleBytes = iTrickleBytes;
        answer.trickleIntervalMs = iIntervalMs;
        server.SetRoute(QStringLiteral("/clips/big.mp4"), answer);
    };
    auto sent = [&](qsizetype iFrom) {
        const QList<qint64> bytes = server.BodyBytesPerRequest();
        qint64 lSum = 0;
        for (qsizetype i = iFrom; i < bytes.size(); ++i)
            lSum += bytes.at(i);
        return lSum;
    };
    QTemporaryDir downloads;
    const QStringList arguments{QStringLiteral("--skip-connection-check"), QStringLiteral("--any-site"),
                                QStringLiteral("--dir"), downloads.path(),
                                server.Url(QStringLiteral("/clips/big.mp4"))};

    // Slowly, so that the kill comes with every connection under way.
    serve(16 * 1024, 100);
    QProcess first;
    first.start(QStringLiteral(CLIPVANE_GET_PATH), arguments);
    QTRY_VERIFY_WITH_TIMEOUT(sent(0) >= 2 * 1024 * 1024, 60000);
    first.kill();
    QVERIFY(first.waitForFinished(60000));
    const qsizetype iFirstRequests = server.RequestHeads().size();
    QVERIFY(!QFile::exists(downloads.filePath(QStringLiteral("big.mp4"))));

    serve(64 * 1024, 5);
    QProcess second;
    second.start(QStringLiteral(CLIPVANE_GET_PATH), arguments);
    QVERIFY(second.waitForFinished(120000));
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());
    QFile saved(downloads.filePath(QStringLiteral("big.mp4")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll() == file);
    QCOMPARE(QDir(downloads.path()).entryList(QDir::Files), QStringList{QStringLiteral("big.mp4")});
    int iRanged = 0;
    const QList<QByteArray> heads = server.RequestHeads();
    for (qsizetype i = iFirstRequests; i < heads.size(); ++i)
        iRanged += heads.at(i).contains("\r\nRange: bytes=") ? 1 : 0;
    QVERIFY(iRanged >= 4);
    QVERIFY2(sent(0) <= kSize * 102 / 100,
             qPrintable(QStringLiteral("%1 + %2 bytes").arg(sent(0) - sent(iFirstRequests)).arg(sent(iFirstRequests))));
}

QTEST_GUILESS_MAIN(tst_GetSplit)
#include "tst_getsplit.moc"
