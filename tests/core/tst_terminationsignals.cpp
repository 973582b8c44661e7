#include <QProcess>
#include <QTest>

#include <csignal>

// A second termination signal ends a program that is still on its way out.
class tst_TerminationSignals : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondSignalEndsAtOnce_data();
    void secondSignalEndsAtOnce();
};

namespace {

bool ReadUntil(QProcess &process, const QByteArray &line)
{
    QByteArray out;
    while (!out.contains(line + '\n')) {
        if (!process.waitForReadyRead(30000))
            return false;
        out += process.readAllStandardOutput();
    }
    return true;
}

} // namespace

void tst_TerminationSignals::secondSignalEndsAtOnce_data()
{
    QTest::addColumn<int>("iFirst");
    QTest::addColumn<int>("iSecond");
    QTest::newRow("SIGTERM twice") << SIGTERM << SIGTERM;
    QTest::newRow("Ctrl+C twice") << SIGINT << SIGINT;
    QTest::newRow("SIGTERM, then Ctrl+C") << SIGTERM << SIGINT;
    QTest::newRow("SIGHUP, then SIGTERM") << SIGHUP << SIGTERM;
}

void tst_TerminationSignals::secondSignalEndsAtOnce()
{
    QFETCH(int, iFirst);
    QFETCH(int, iSecond);
    QProcess probe;
    probe.start(QStringLiteral(TERMINATION_PROBE_PATH), QStringList());
    QVERIFY(ReadUntil(probe, "ready"));

    ::kill(pid_t(probe.processId()), iFirst);
    QVERIFY(ReadUntil(probe, "ending"));
    QCOMPARE(probe.state(), QProcess::Running);

    ::kill(pid_t(probe.processId()), iSecond);
    // The probe's own end never comes: only the signal ends it.
    QVERIFY(probe.waitForFinished(30000));
    QCOMPARE(probe.exitStatus(), QProcess::CrashExit);
    QCOMPARE(probe.exitCode(), iSecond);
}

QTEST_GUILESS_MAIN(tst_TerminationSignals)
#include "tst_terminationsignals.moc"
