#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "clip/watcherslot.h"
#include "core/cliphandover.h"
#include "core/skinvariables.h"
#include "list/idownloadgrid.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/handoverendpoint.h"
#include "scriptedmessagebox.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"
#include "watcherprobe.h"

// The watcher program, run without a display (on Qt's offscreen platform):
// how it is started, replaced and ended. What it does with a real clipboard
// is tested under an X server of the test's own.
class tst_ClipWatcher : public QObject
{
    Q_OBJECT

private:
    static QString Clip() { return QStringLiteral(CLIPVANE_CLIP_PATH); }

    // A watcher for the endpoint iNumber, started by the test.
    std::unique_ptr<QProcess> StartWatcher(qint64 iNumber)
    {
        auto process = std::make_unique<QProcess>();
        process->start(Clip(), {QString::number(iNumber)});
        return process->waitForStarted(10000) ? std::move(process) : nullptr;
    }

    static int Run(const QStringList &arguments,
                   const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(Clip(), arguments);
        if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
            return -1;
        return process.exitCode();
    }

    QTemporaryDir m_runtime;
    std::unique_ptr<HandOverEndpoint> m_endpoint;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        // The watchers started here inherit these: their sockets are the
        // test's own, and they never look at the developer's display.
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    void init()
    {
        m_endpoint = std::make_unique<HandOverEndpoint>(QCoreApplication::applicationPid());
        QVERIFY(m_endpoint->Listen());
    }

    void cleanup()
    {
        Run({QStringLiteral("Exit")});
        m_endpoint.reset();
    }

    void monitorStartsOneWatcherAndEndsIt();
    void secondWatcherReplacesTheFirst();
    void exitWithNoWatcherSucceeds();
    void watcherEndsWithItsProgram();
    void watcherThatCannotServeEnds_data();
    void watcherThatCannotServeEnds();
    void claimUnderWayKeepsOthersOff();
};

void tst_ClipWatcher::monitorStartsOneWatcherAndEndsIt()
{
    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    SkinVariables skin;
    DownloadSession session(grid, messages, skin);
    ClipboardMonitor monitor(ClipboardMonitor::Parts{*m_endpoint, session.Adder(), session.Run(),
                                                     session.Queue(), skin, session.Settings()});
    monitor.SetWatcherPath(Clip());
    const QString sNumber = QString::number(m_endpoint->Number());

    // The watcher starts once the event loop turns; a stop asked for before
    // then means none starts at all.
    monitor.Monitor(true);
    monitor.Monitor(false);
    QCoreApplication::processEvents(); // where the start would have run
    QVERIFY(!WatcherProbe::Watching());
    QVERIFY(WatcherProbe::Processes(Clip(), sNumber).isEmpty());

    monitor.Monitor(true);
    QVERIFY(session.Settings().bURLMonitor);
    QTRY_VERIFY_WITH_TIMEOUT(WatcherProbe::Watching(), 30000);
    const QList<qint64> watchers = WatcherProbe::Processes(Clip(), sNumber);
    QCOMPARE(watchers.size(), 1);

    monitor.Monitor(false);
    QVERIFY(!session.Settings().bURLMonitor);
    QVERIFY(WatcherProbe::WaitUntilGone(watchers.first(), 30000));
    QVERIFY(!WatcherProbe::Watching());
}

void tst_ClipWatcher::secondWatcherReplacesTheFirst()
{
    auto first = StartWatcher(m_endpoint->Number());
    QVERIFY(first);
    QTRY_VERIFY_WITH_TIMEOUT(WatcherProbe::Watching(), 30000);

    auto second = StartWatcher(m_endpoint->Number());
    QVERIFY(second);
    QVERIFY(first->waitForFinished(30000));
    QCOMPARE(first->exitStatus(), QProcess::NormalExit);
    QCOMPARE(first->exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(WatcherProbe::Watching(), 30000);
    QCOMPARE(second->state(), QProcess::Running);

    QCOMPARE(Run({QStringLiteral("Exit")}), 0);
    QVERIFY(second->waitForFinished(30000));
    QCOMPARE(second->exitCode(), 0);
}

void tst_ClipWatcher::exitWithNoWatcherSucceeds()
{
    QVERIFY(!WatcherProbe::Watching());
    QCOMPARE(Run({QStringLiteral("Exit")}), 0);
}

void tst_ClipWatcher::watcherEndsWithItsProgram()
{
    auto watcher = StartWatcher(m_endpoint->Number());
    QVERIFY(watcher);
    QTRY_VERIFY_WITH_TIMEOUT(WatcherProbe::Watching(), 30000);
    // The program's end closes its side of every connection.
    m_endpoint.reset();
    QVERIFY(watcher->waitForFinished(30000));
    QCOMPARE(watcher->exitCode(), 0);
}

void tst_ClipWatcher::watcherThatCannotServeEnds_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("bDisplay"); // offscreen as a display, or none at all
    QTest::addColumn<int>("iExit");
    QTest::newRow("no argument") << QStringList{} << true << 2;
    QTest::newRow("two arguments") << QStringList{QStringLiteral("1"), QStringLiteral("2")} << true << 2;
    QTest::newRow("not a decimal number") << QStringList{QStringLiteral("0x1f")} << true << 2;
    QTest::newRow("signed number") << QStringList{QStringLiteral("+5")} << true << 2;
    QTest::newRow("exit in other letters") << QStringList{QStringLiteral("exit")} << true << 2;
    QTest::newRow("no program listens") << QStringList{QStringLiteral("999999999")} << true << 1;
    QTest::newRow("no display") << QStringList{QStringLiteral("<endpoint>")} << false << 1;
}

void tst_ClipWatcher::watcherThatCannotServeEnds()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, bDisplay);
    QFETCH(int, iExit);
    arguments.replaceInStrings(QStringLiteral("<endpoint>"), QString::number(m_endpoint->Number()));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!bDisplay)
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QCOMPARE(Run(arguments, environment), iExit);
    QVERIFY(!WatcherProbe::Watching());
}

void tst_ClipWatcher::claimUnderWayKeepsOthersOff()
{
    const QString sSlot = ClipHandOver::WatcherEndpoint();
    // A socket file left by a watcher that died.
    QFile stale(sSlot);
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();

    // Another watcher is claiming the place: a second one neither removes
    // what is there nor listens, so the two cannot both end up holding it.
    QLockFile otherClaim(sSlot + QStringLiteral(".lock"));
    QVERIFY(otherClaim.tryLock(0));
    WatcherSlot slot;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Not watching: ")));
    QVERIFY(!slot.Claim());
    QVERIFY(QFileInfo(sSlot).isFile());

    // Once that claim is over, the stale file is no obstacle.
    otherClaim.unlock();
    QVERIFY(slot.Claim());
    QLocalSocket probe;
    probe.connectToServer(sSlot);
    QVERIFY(probe.waitForConnected(5000));
}

QTEST_GUILESS_MAIN(tst_ClipWatcher)
#include "tst_clipwatcher.moc"
