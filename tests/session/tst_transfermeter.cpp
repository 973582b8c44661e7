#include <QTest>

#include "session/transfermeter.h"

namespace {

constexpr qint64 kMiB = 1024 * 1024;

} // namespace

// The transfer's line from samples taken at given times (a fake clock).
class tst_TransferMeter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineTellsAmountSpeedAndTimeLeft_data();
    void lineTellsAmountSpeedAndTimeLeft();
};

void tst_TransferMeter::lineTellsAmountSpeedAndTimeLeft_data()
{
    QTest::addColumn<qint64>("lStartDone"); // bytes there when the transfer starts (a kept part)
    QTest::addColumn<qint64>("lTotal");
    QTest::addColumn<QList<qint64>>("samples"); // time in ms, bytes done; pairs
    QTest::addColumn<qint64>("llNowMs");
    QTest::addColumn<QString>("sText");

    const qint64 lTotal = 200 * kMiB;
    // 1.3 MiB a second for ten seconds: the figures of a steady transfer.
    QList<qint64> steady;
    for (qint64 t = 1; t <= 10; ++t)
        steady << t * 1000 << t * 13 * kMiB / 10;
    QTest::newRow("steady") << qint64(0) << lTotal << steady << qint64(10000)
                            << "13 MB of 200 MB · 1.3 MB/s · about 2 min left";
    // Fast at first, slow in the last five seconds: only those count.
    QList<qint64> slowing{1000, 10 * kMiB, 4000, 40 * kMiB, 5000, 40 * kMiB,
                          10000, 40 * kMiB + 15 * kMiB / 2};
    QTest::newRow("only the last five seconds count")
        << qint64(0) << lTotal << slowing << qint64(10000)
        << "47.5 MB of 200 MB · 1.5 MB/s · about 2 min left";
    // A kept part is there, not fetched now: it is no speed.
    QTest::newRow("kept part is no speed")
        << 100 * kMiB << lTotal << QList<qint64>{2000, 100 * kMiB + 2 * kMiB} << qint64(2000)
        << "102 MB of 200 MB · 1 MB/s · about 2 min left";
    QTest::newRow("nothing for ten seconds")
        << qint64(0) << lTotal << QList<qint64>{1000, 12 * kMiB + 400 * 1024} << qint64(11000)
        << "12.4 MB of 200 MB · stalled";
    // Quiet for the last five seconds: no speed to tell, but no stall yet.
    QTest::newRow("nine seconds quiet is no stall yet")
        << qint64(0) << lTotal << QList<qint64>{1000, 9 * kMiB} << qint64(9999) << "9 MB of 200 MB";
    QTest::newRow("quiet seconds lower the average")
        << qint64(0) << lTotal
        << QList<qint64>{1000, 2 * kMiB, 4000, 2 * kMiB, 5000, 2 * kMiB + 15 * kMiB / 2}
        << qint64(8000) << "9.5 MB of 200 MB · 1.5 MB/s · about 2 min left";
    QTest::newRow("size unknown")
        << qint64(0) << qint64(-1) << QList<qint64>{1000, 2 * kMiB, 2000, 4 * kMiB} << qint64(2000)
        << "4 MB · 2 MB/s";
    QTest::newRow("seconds left")
        << qint64(0) << 10 * kMiB << QList<qint64>{5000, 5 * kMiB} << qint64(5000)
        << "5 MB of 10 MB · 1 MB/s · about 5 s left";
    QTest::newRow("hours left")
        << qint64(0) << 8000 * kMiB << QList<qint64>{5000, 5 * kMiB} << qint64(5000)
        << "5 MB of 7.8 GB · 1 MB/s · about 2 h 13 min left";
    QTest::newRow("nothing yet")
        << qint64(0) << lTotal << QList<qint64>() << qint64(500) << "0 Bytes of 200 MB";
}

void tst_TransferMeter::lineTellsAmountSpeedAndTimeLeft()
{
    QFETCH(qint64, lStartDone);
    QFETCH(qint64, lTotal);
    QFETCH(QList<qint64>, samples);
    QFETCH(qint64, llNowMs);
    QFETCH(QString, sText);

    TransferMeter meter;
    meter.Start(0, lStartDone, lTotal);
    for (qsizetype i = 0; i + 1 < samples.size(); i += 2) {
        // Every block reports, bytes growing evenly between the given samples;
        // the meter keeps only what it needs.
        const qint64 llFromMs = i > 0 ? samples.at(i - 2) : 0;
        const qint64 lFrom = i > 0 ? samples.at(i - 1) : lStartDone;
        const qint64 llSpanMs = samples.at(i) - llFromMs;
        for (qint64 t = llFromMs + 37; t < samples.at(i); t += 37)
            meter.Note(t, lFrom + (samples.at(i + 1) - lFrom) * (t - llFromMs) / llSpanMs);
        meter.Note(samples.at(i), samples.at(i + 1));
    }
    QCOMPARE(meter.Text(llNowMs), sText);
}

QTEST_GUILESS_MAIN(tst_TransferMeter)
#include "tst_transfermeter.moc"
