#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "core/skinvariables.h"
#include "desktop/filemanager.h"
#include "desktop/notifier.h"
#include "desktop/sleepinhibitor.h"
#include "gui/desktopnotices.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "list/urladder.h"
#include "net/download.h"
#include "privatebus.h"
#include "requiredtool.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/transferretry.h"
#include "settings/programsettings.h"

// The desktop's notification server as the test plays it: it notes each
// notification and can invoke its actions.
class NotificationsStandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Shown
    {
        QString sIcon, sSummary, sBody;
        QStringList actions;
    };
    QList<Shown> shown;

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &sIcon, const QString &sSummary,
                const QString &sBody, const QStringList &actions, const QVariantMap &, int)
    {
        shown.append({sIcon, sSummary, sBody, actions});
        return static_cast<uint>(shown.size());
    }
};

// logind as the test plays it: each lock is one end of a pipe whose other
// end the test watches.
class Login1StandIn : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QStringList asked;
    int iWatchedEnd = -1;
    ~Login1StandIn() override
    {
        if (iWatchedEnd >= 0)
            ::close(iWatchedEnd);
    }
    // The lock was let go: every copy of its end is closed.
    bool Released() const
    {
        pollfd watched{iWatchedEnd, POLLIN, 0};
        return ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLHUP);
    }

public Q_SLOTS:
    QDBusUnixFileDescriptor Inhibit(const QString &sWhat, const QString &sWho, const QString &sWhy,
                                    const QString &sMode)
    {
        asked << QStringList{sWhat, sWho, sWhy, sMode}.join(u'|');
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return {};
        if (iWatchedEnd >= 0)
            ::close(iWatchedEnd);
        iWatchedEnd = ends[0];
        QDBusUnixFileDescriptor lock(ends[1]);
        ::close(ends[1]);
        return lock;
    }
};

// What the desktop hears of the runs, on a D-Bus daemon of the test's own.
class tst_DesktopNotices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void notifiesOnlyWhileTheWindowIsOutOfSight_data();
    void notifiesOnlyWhileTheWindowIsOutOfSight();
    void actionsActOnTheFile_data();
    void actionsActOnTheFile();
    void noServerIsNoError();
    void runHoldsOffSleepUntilItEnds();
    void commandLineRunHoldsOffSleepToo();

private:
    void Wire(const QString &sBus);
    QString SlowVideoPage();

    HttpTestServer m_server;
    std::unique_ptr<PrivateBus> m_bus;
    NotificationsStandIn m_notifications;
    Login1StandIn m_login1;
    QTemporaryDir m_dir;
    // Each row's own: a window that was minimised once is not shown afresh.
    std::unique_ptr<QWidget> m_window;
    HeadlessDownloadGrid m_grid;
    ScriptedMessageBox m_messages;
    SkinVariables m_skin;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<FileManager> m_fileManager;
    std::unique_ptr<Notifier> m_notifier;
    std::unique_ptr<SleepInhibitor> m_inhibitor;
    std::unique_ptr<DesktopNotices> m_notices;
    QList<QUrl> m_opened;
};

void tst_DesktopNotices::initTestCase()
{
    CLIPVANE_REQUIRE_TOOL(PrivateBus::Available(), "dbus-daemon is not installed");
    QVERIFY(m_server.Start());
    m_bus = std::make_unique<PrivateBus>();
    QVERIFY(m_bus->Start());
    QDBusConnection services = QDBusConnection::connectToBus(m_bus->Address(), QStringLiteral("services"));
    QVERIFY(services.registerService(QStringLiteral("org.freedesktop.Notifications")));
    QVERIFY(services.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_notifications,
                                    QDBusConnection::ExportAllSlots));
    QVERIFY(services.registerService(QStringLiteral("org.freedesktop.login1")));
    QVERIFY(services.registerObject(QStringLiteral("/org/freedesktop/login1"), &m_login1,
                                    QDBusConnection::ExportAllSlots));
}

void tst_DesktopNotices::init()
{
    m_notifications.shown.clear();
    m_login1.asked.clear();
    m_opened.clear();
    m_window = std::make_unique<QWidget>();
    m_window->resize(200, 100);
    m_session = std::make_unique<DownloadSession>(m_grid, m_messages, m_skin);
    m_session->Settings().sDownloadDir = m_dir.path();
    m_session->Queue().SetConnectivityTest([] { return true; });
    m_session->Retry().SetTimeScale(0.001);
}

void tst_DesktopNotices::cleanup()
{
    m_notices.reset();
    m_inhibitor.reset();
    m_notifier.reset();
    m_fileManager.reset();
    m_session.reset();
    m_window.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("program"));
}

// The program's side, on sBus (empty: a bus that is not there).
void tst_DesktopNotices::Wire(const QString &sBus)
{
    const QDBusConnection bus = sBus.isEmpty()
        ? QDBusConnection(QStringLiteral("none"))
        : QDBusConnection::connectToBus(sBus, QStringLiteral("program"));
    m_fileManager = std::make_unique<FileManager>(bus);
    m_notifier = std::make_unique<Notifier>(bus);
    m_inhibitor = std::make_unique<SleepInhibitor>(bus);
    m_notices = std::make_unique<DesktopNotices>(
        DesktopNotices::Parts{*m_window, m_session->Queue(), m_session->ListStore(),
                              m_session->Settings(), *m_notifier, *m_inhibitor, *m_fileManager});
    m_notices->SetOpener([this](const QUrl &url) { m_opened << url; });
}

void tst_DesktopNotices::notifiesOnlyWhileTheWindowIsOutOfSight_data()
{
    QTest::addColumn<QString>("sWindow"); // active, minimised, hidden, inactive
    QTest::addColumn<bool>("bSetting");
    QTest::addColumn<QString>("sEvent");  // completed, failed, run end
    QTest::addColumn<QString>("sShown");  // summary|body|actions; empty: none

    const QString sDone = QStringLiteral("Download complete|clip.mp4|open,Open,show,Show in folder");
    const QString sFailed = QStringLiteral("Download failed|http://127.0.0.1:1/v\nThe server answered 404 Not Found|");
    QTest::newRow("completed, hidden") << "hidden" << true << "completed" << sDone;
    QTest::newRow("completed, minimised") << "minimised" << true << "completed" << sDone;
    QTest::newRow("completed, window not active") << "inactive" << true << "completed" << sDone;
    QTest::newRow("completed, window in front") << "active" << true << "completed" << QString();
    QTest::newRow("completed, setting off") << "hidden" << false << "completed" << QString();
    QTest::newRow("failed, hidden") << "hidden" << true << "failed" << sFailed;
    QTest::newRow("failed, window in front") << "active" << true << "failed" << QString();
    QTest::newRow("run end, window in front")
        << "active" << true << "run end" << "Downloads finished|2 complete, 1 failed|";
    QTest::newRow("run end, setting off") << "hidden" << false << "run end" << QString();
}

void tst_DesktopNotices::notifiesOnlyWhileTheWindowIsOutOfSight()
{
    QFETCH(QString, sWindow);
    QFETCH(bool, bSetting);
    QFETCH(QString, sEvent);
    QFETCH(QString, sShown);
    Wire(m_bus->Address());
    m_session->Settings().bNotify = bSetting;
    QString sStatus, sSize;
    m_session->ListStore().AddDownloadItem(QStringLiteral("http://127.0.0.1:1/v"), QStringLiteral("clip.mp4"),
                                           sStatus, sSize);

    m_window->hide();
    if (sWindow != QLatin1String("hidden")) {
        m_window->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        if (sWindow == QLatin1String("minimised"))
            m_window->showMinimized();
        if (sWindow == QLatin1String("active")) {
            m_window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        }
    }
    QWidget other;
    if (sWindow == QLatin1String("inactive")) {
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }

    DownloadQueue &queue = m_session->Queue();
    if (sEvent == QLatin1String("completed"))
        Q_EMIT queue.ItemCompleted(1, QDir(m_dir.path()).filePath(QStringLiteral("clip.mp4")));
    else if (sEvent == QLatin1String("failed"))
        Q_EMIT queue.ItemFailed(1, QStringLiteral("The server answered 404 Not Found"));
    else
        Q_EMIT queue.RunEnded(2, 1);

    if (sShown.isEmpty()) {
        // Anything sent would have arrived by the time a call through the same bus has.
        QDBusConnection::connectToBus(m_bus->Address(), QStringLiteral("program"))
            .call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                 QStringLiteral("/org/freedesktop/DBus"),
                                                 QStringLiteral("org.freedesktop.DBus"),
                                                 QStringLiteral("GetId")));
        QCoreApplication::processEvents();
        QVERIFY(m_notifications.shown.isEmpty());
    } else {
        QTRY_COMPARE(m_notifications.shown.size(), 1);
        const NotificationsStandIn::Shown &shown = m_notifications.shown.first();
        QCOMPARE(shown.sIcon, QStringLiteral("clipvane"));
        QCOMPARE(QStringList({shown.sSummary, shown.sBody, shown.actions.join(u',')}).join(u'|'), sShown);
    }
    m_window->hide();
}

void tst_DesktopNotices::actionsActOnTheFile_data()
{
    QTest::addColumn<QString>("sAction");
    QTest::addColumn<QString>("sOpened"); // "file", "folder" (no file manager here) or nothing
    QTest::newRow("Open") << "open" << "file";
    QTest::newRow("Show in folder") << "show" << "folder";
    QTest::newRow("an action of no notification of ours") << "other" << QString();
}

void tst_DesktopNotices::actionsActOnTheFile()
{
    QFETCH(QString, sAction);
    QFETCH(QString, sOpened);
    Wire(m_bus->Address());
    const QString sFile = QDir(m_dir.path()).filePath(QStringLiteral("clip.mp4"));
    m_window->hide();
    Q_EMIT m_session->Queue().ItemCompleted(1, sFile);
    QTRY_COMPARE(m_notifications.shown.size(), 1);
    // The server's answer (the notification's id) must be in before its action comes.
    QTest::qWait(100);

    QDBusMessage invoked = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                      QStringLiteral("org.freedesktop.Notifications"),
                                                      QStringLiteral("ActionInvoked"));
    const bool bOurs = sAction != QLatin1String("other");
    invoked << (bOurs ? 1u : 7u) << (bOurs ? sAction : QStringLiteral("open"));
    QVERIFY(QDBusConnection(QStringLiteral("services")).send(invoked));

    if (sOpened.isEmpty()) {
        QTest::qWait(200);
        QVERIFY(m_opened.isEmpty());
    } else {
        QTRY_COMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(sOpened == QLatin1String("file") ? sFile
                                                                                             : m_dir.path())});
    }
}

void tst_DesktopNotices::noServerIsNoError()
{
    Wire(QString());
    m_window->hide();
    Q_EMIT m_session->Queue().ItemCompleted(1, QDir(m_dir.path()).filePath(QStringLiteral("clip.mp4")));
    m_inhibitor->Hold();
    QCoreApplication::processEvents();
    QVERIFY(!m_inhibitor->IsHeld());
    QVERIFY(m_notifications.shown.isEmpty());
}

// A page whose file takes a moment, so that logind's answer is in before
// the run ends.
QString tst_DesktopNotices::SlowVideoPage()
{
    HttpTestServer::Response file = HttpTestServer::Ok(QByteArray(256 * 1024, 'h'), "video/x-flv");
    file.trickleBytes = 16384;
    file.trickleIntervalMs = 20;
    m_server.SetRoute(QStringLiteral("/files/held.flv"), file);
    m_server.SetRoute(QStringLiteral("/angryalien.com/held.html"),
                      HttpTestServer::Ok("<html><embed src=\"" + m_server.Url(QStringLiteral("/files/held.flv")).toLatin1()
                                             + "\" width=400></html>",
                                         "text/html"));
    return m_server.Url(QStringLiteral("/angryalien.com/held.html"));
}

void tst_DesktopNotices::runHoldsOffSleepUntilItEnds()
{
    Wire(m_bus->Address());
    m_session->Adder().AddURL(SlowVideoPage());
    bool bHeldDuringTheRun = false;
    connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [&] {
        bHeldDuringTheRun = bHeldDuringTheRun || m_inhibitor->IsHeld();
    });
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(m_session->ListStore().ItemAt(0)->Status, QStringLiteral("Complete"));
    QVERIFY(bHeldDuringTheRun);
    QCOMPARE(m_login1.asked, QStringList{QStringLiteral("sleep|Clipvane|Downloading|block")});
    QVERIFY(!m_inhibitor->IsHeld());
    QTRY_VERIFY(m_login1.Released());
}

void tst_DesktopNotices::commandLineRunHoldsOffSleepToo()
{
    const QString sPage = SlowVideoPage();
    QProcess get;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus->Address());
    get.setProcessEnvironment(environment);
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--skip-connection-check"), QStringLiteral("--dir"), m_dir.path(),
               sPage});
    // The stand-in answers from this thread's event loop.
    QTRY_VERIFY_WITH_TIMEOUT(get.state() == QProcess::NotRunning, 60000);
    QVERIFY2(get.exitCode() == 0, get.readAllStandardError().constData());
    QCOMPARE(m_login1.asked, QStringList{QStringLiteral("sleep|Clipvane|Downloading|block")});
    QTRY_VERIFY(m_login1.Released());
}

QTEST_MAIN(tst_DesktopNotices)
#include "tst_desktopnotices.moc"
