#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

#include "monitor/singleinstance.h"

// One program per user: a later start hands its addresses to the first.
class tst_SingleInstance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void laterStartHandsItsAddressesOver_data();
    void laterStartHandsItsAddressesOver();
    void staleSocketIsTakenOver();
    void endingProgramRefusesHandOvers();
};

void tst_SingleInstance::laterStartHandsItsAddressesOver_data()
{
    QTest::addColumn<QStringList>("addresses");
    QTest::newRow("two addresses") << QStringList{"http://youtube.com/watch?v=1",
                                                  "http://www.break.com/ä/2"};
    QTest::newRow("none: only to the front") << QStringList{};
}

void tst_SingleInstance::laterStartHandsItsAddressesOver()
{
    QFETCH(QStringList, addresses);
    QTemporaryDir dir;
    const QString sEndpoint = dir.filePath(QStringLiteral("instance"));
    SingleInstance first(sEndpoint);
    QVERIFY(first.Claim());
    QSignalSpy received(&first, &SingleInstance::AddressesReceived);

    // The later start waits for the first program's answer, so it runs in a
    // thread of its own here while this one serves.
    SingleInstance later(sEndpoint);
    QVERIFY(!later.Claim());
    bool bHandedOver = false;
    std::thread laterStart([&] { bHandedOver = later.HandOver(addresses); });
    const bool bReceived = received.wait(5000);
    laterStart.join();
    QVERIFY(bReceived);
    QVERIFY(bHandedOver);
    QCOMPARE(received.at(0).at(0).toStringList(), addresses);
}

void tst_SingleInstance::staleSocketIsTakenOver()
{
    QTemporaryDir dir;
    const QString sEndpoint = dir.filePath(QStringLiteral("instance"));
    {
        SingleInstance gone(sEndpoint);
        QVERIFY(gone.Claim());
    }
    // A socket file with nobody behind it does not keep a new program out.
    QFile leftover(sEndpoint);
    if (!leftover.exists())
        QVERIFY(leftover.open(QIODevice::WriteOnly));
    SingleInstance next(sEndpoint);
    QVERIFY(next.Claim());
}

void tst_SingleInstance::endingProgramRefusesHandOvers()
{
    QTemporaryDir dir;
    const QString sEndpoint = dir.filePath(QStringLiteral("instance"));
    SingleInstance ending(sEndpoint);
    QVERIFY(ending.Claim());
    QSignalSpy received(&ending, &SingleInstance::AddressesReceived);

    // A later start got through before the end and has sent its addresses,
    // but the ending program has not read them yet.
    QLocalSocket early;
    early.connectToServer(sEndpoint);
    QVERIFY(early.waitForConnected(5000));
    QCoreApplication::processEvents();
    early.write("http://youtube.com/watch?v=lost\n\n");
    QVERIFY(early.waitForBytesWritten(5000));

    ending.Release();
    QCoreApplication::processEvents();
    // No "ok": the sender knows its addresses did not arrive.
    QVERIFY(early.state() == QLocalSocket::UnconnectedState || early.waitForDisconnected(5000));
    QVERIFY(!early.readAll().startsWith("ok"));
    QCOMPARE(received.size(), 0);

    // The endpoint is free at once: the next start claims it.
    QVERIFY(!QFile::exists(sEndpoint));
    SingleInstance next(sEndpoint);
    QVERIFY(next.Claim());
}

QTEST_GUILESS_MAIN(tst_SingleInstance)
#include "tst_singleinstance.moc"
