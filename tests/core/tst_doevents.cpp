#include <QTest>
#include <QTimer>

#include "core/doevents.h"

class tst_DoEvents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { DoEventsGate::SetPassIntervalMicroseconds(1000); }
    void callsWithinTheIntervalSkipTheEventLoop();
    void dueCallsRunPendingEvents();
};

void tst_DoEvents::callsWithinTheIntervalSkipTheEventLoop()
{
    DoEventsGate::SetPassIntervalMicroseconds(3600LL * 1000 * 1000);
    DoEventsGate::PassNow();
    bool bTimerRan = false;
    QTimer::singleShot(0, this, [&] { bTimerRan = true; });

    const unsigned long long llBefore = DoEventsGate::PassCount();
    for (int i = 0; i < 100000; ++i)
        DoEvents();
    QCOMPARE(DoEventsGate::PassCount(), llBefore);
    QVERIFY(!bTimerRan);

    DoEventsGate::PassNow();
    QVERIFY(bTimerRan);
}

void tst_DoEvents::dueCallsRunPendingEvents()
{
    DoEventsGate::SetPassIntervalMicroseconds(0);
    int iTimerRuns = 0;
    QTimer::singleShot(0, this, [&] { ++iTimerRuns; });

    const unsigned long long llBefore = DoEventsGate::PassCount();
    for (int i = 0; i < 64; ++i)
        DoEvents();
    QCOMPARE(iTimerRuns, 1);
    // Even when every pass is due, the clock is only read every few calls.
    const unsigned long long llPasses = DoEventsGate::PassCount() - llBefore;
    QVERIFY(llPasses >= 1);
    QVERIFY(llPasses <= 8);
}

QTEST_GUILESS_MAIN(tst_DoEvents)
#include "tst_doevents.moc"
