#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "httptestserver.h"
#include "requiredtool.h"
#include "watcherprobe.h"
#include "xvfbserver.h"

// Stands in for the tray of a desktop that speaks StatusNotifierItem (KDE
// Plasma, GNOME with the AppIndicator extension): the program's icon
// registers here, and the test clicks it the way such a tray does, which
// reports single clicks and never a double-click.
class StatusNotifierHost : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems MEMBER items)

public:
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList items;

public Q_SLOTS:
    void RegisterStatusNotifierItem(const QString &sService) { items << sService; }
    void RegisterStatusNotifierHost(const QString &) {}
};

// The program on a real X desktop (an Xvfb of the test's own), driven with
// xdotool as a user drives it: an address typed into the skin's field, the
// add and start buttons, a later start handing an address over, and the
// close button; then, under a window manager and a tray, the window brought
// back from wherever it was put.
class tst_DesktopWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::unique_ptr<XvfbServer> m_xvfb;
    HttpTestServer m_server;

    // The desktop of the last test: a window manager, a session bus with a
    // tray on it, and one program that every row of the test drives.
    QProcess m_windowManager;
    QProcess m_bus;
    StatusNotifierHost m_tray;
    QProcess m_desktopProgram;
    QString m_sDesktopWindow;

    bool Run(const QString &sTool, const QStringList &arguments, QString *pOutput = nullptr)
    {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(sTool, arguments);
        if (!tool.waitForFinished(30000) || tool.exitCode() != 0)
            return false;
        if (pOutput)
            *pOutput = QString::fromLocal8Bit(tool.readAllStandardOutput()).trimmed();
        return true;
    }

    bool XDo(const QStringList &arguments, QString *pOutput = nullptr)
    {
        return Run(QStringLiteral("xdotool"), arguments, pOutput);
    }

    bool StartDesktop();
    bool PutWindow(const QString &sState, QProcess &other);
    bool TakeRoad(const QString &sRoad);
    // "normal", "iconic", "hidden" or "" when it cannot be told.
    QString WindowState();
    bool WindowIsInFrontAndActive();

    // A click at a point of the skin, in window coordinates.
    bool Click(const QString &sWindow, int x, int y)
    {
        return XDo({QStringLiteral("mousemove"), QStringLiteral("--window"), sWindow,
                    QString::number(x), QString::number(y), QStringLiteral("click"),
                    QStringLiteral("1")});
    }

    // Serves a page of a supported site whose video is sName, answered with file.
    QString ServePage(const QString &sName, const HttpTestServer::Response &file)
    {
        m_server.SetRoute(QStringLiteral("/files/") + sName, file);
        const QString sPage = QStringLiteral("/angryalien.com/") + sName + QStringLiteral(".html");
        m_server.SetRoute(sPage, HttpTestServer::Ok("<html><embed src=\""
                                                        + m_server.Url(QStringLiteral("/files/") + sName).toLatin1()
                                                        + "\" width=400></html>",
                                                    "text/html"));
        return m_server.Url(sPage);
    }

    QByteArray ServeVideo(const QString &sName)
    {
        QByteArray video(60000, Qt::Uninitialized);
        for (int i = 0; i < video.size(); ++i)
            video[i] = char('a' + (i * 7 + sName.size()) % 26);
        ServePage(sName, HttpTestServer::Ok(video, "video/x-flv"));
        return video;
    }

    bool Arrived(const QString &sName, const QByteArray &video) const
    {
        QFile file(DownloadPath(sName));
        return file.open(QIODevice::ReadOnly) && file.readAll() == video;
    }

    QString DownloadPath(const QString &sName) const
    {
        return m_home.filePath(QStringLiteral("home/Downloaded Videos/") + sName);
    }

    // Serves a page whose video sends its headers and a few blocks, then
    // nothing for longer than any test runs.
    QString ServeStalledVideo(const QString &sName)
    {
        HttpTestServer::Response stalling =
            HttpTestServer::Ok(QByteArray(100000, 's'), "video/x-flv");
        stalling.trickleBytes = 8192;
        stalling.trickleIntervalMs = 600000;
        return ServePage(sName, stalling);
    }

    // The socket a later start hands its addresses to.
    QString InstanceEndpoint() const
    {
        return QDir(m_environment.value(QStringLiteral("XDG_RUNTIME_DIR")))
            .filePath(QStringLiteral("clipvane/instance"));
    }

    // The window's id once it shows; empty when it does not.
    QString FindWindow(const QStringList &known = {})
    {
        QString sFound;
        const bool bFound = QTest::qWaitFor([&] {
            QString sOutput;
            if (!XDo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), QStringLiteral("^Clipvane$")},
                     &sOutput))
                return false;
            for (const QString &sId : sOutput.split(QLatin1Char('\n'))) {
                if (!known.contains(sId)) {
                    sFound = sId;
                    return true;
                }
            }
            return false;
        }, 30000);
        return bFound ? sFound : QString();
    }

private Q_SLOTS:
    void initTestCase();
    void typedAddressIsDownloadedAndCloseEnds();
    void exitDuringAStalledTransferEndsAtOnce_data();
    void exitDuringAStalledTransferEndsAtOnce();
    void windowComesBackFromEveryRoad_data();
    void windowComesBackFromEveryRoad();
    void cleanupTestCase();
};

void tst_DesktopWindow::initTestCase()
{
    CLIPVANE_REQUIRE_TOOL(XvfbServer::Available(),
                          "Xvfb is not installed (the package xvfb); no X desktop to drive");
    CLIPVANE_REQUIRE_TOOL(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
                          "xdotool is not installed (the package xdotool); nothing to drive the window with");
    m_xvfb = std::make_unique<XvfbServer>();
    QVERIFY2(m_xvfb->Start(), qPrintable(m_xvfb->Error()));
    QVERIFY(m_server.Start());

    QVERIFY(m_home.isValid());
    m_environment = m_xvfb->FreshUserEnvironment(m_home.path());
    QVERIFY(!m_environment.isEmpty());
}

void tst_DesktopWindow::typedAddressIsDownloadedAndCloseEnds()
{
    const QByteArray typed = ServeVideo(QStringLiteral("typed.flv"));
    const QByteArray handed = ServeVideo(QStringLiteral("handed.flv"));

    // A first start with a fresh home. Loopback is the only network here,
    // hence the option.
    QProcess program;
    program.setProcessEnvironment(m_environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(CLIPVANE_PATH), {QStringLiteral("--skip-connection-check")});
    QVERIFY(program.waitForStarted(30000));
    QString sWindow;
    QTRY_VERIFY_WITH_TIMEOUT(XDo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                  QStringLiteral("--name"), QStringLiteral("^Clipvane$")},
                                 &sWindow),
                             30000);
    sWindow = sWindow.section(QLatin1Char('\n'), 0, 0);

    // The skin's Download page: the address field, "Add to list", "Start".
    QVERIFY(Click(sWindow, 150, 147));
    QVERIFY(XDo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"),
                 m_server.Url(QStringLiteral("/angryalien.com/typed.flv.html"))}));
    QVERIFY(Click(sWindow, 542, 147));
    QVERIFY(Click(sWindow, 526, 240));
    QTRY_VERIFY_WITH_TIMEOUT(Arrived(QStringLiteral("typed.flv"), typed), 60000);

    // A later start hands its address to the running program and ends.
    QProcess second;
    second.setProcessEnvironment(m_environment);
    second.start(QStringLiteral(CLIPVANE_PATH),
                 {m_server.Url(QStringLiteral("/angryalien.com/handed.flv.html"))});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(Arrived(QStringLiteral("handed.flv"), handed), 60000);

    // The skin's close button ends the program (nothing runs: no question).
    QVERIFY(Click(sWindow, 612, 21));
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFile::exists(m_home.filePath(QStringLiteral("home/Downloaded Videos/typed.flv.part"))));
}

void tst_DesktopWindow::exitDuringAStalledTransferEndsAtOnce_data()
{
    QTest::addColumn<bool>("bSignal"); // SIGTERM rather than the close button and Yes
    QTest::newRow("close button, Yes") << false;
    QTest::newRow("SIGTERM") << true;
}

void tst_DesktopWindow::exitDuringAStalledTransferEndsAtOnce()
{
    QFETCH(bool, bSignal);
    const QString sTag = QString::fromLatin1(QTest::currentDataTag()).left(5).toLower();
    const QString sStalled = sTag + QStringLiteral("-stalled.flv");
    const QString sLater = sTag + QStringLiteral("-later.flv");
    const QString sStalledPage = ServeStalledVideo(sStalled);
    const QByteArray later = ServeVideo(sLater);

    // An address given at the start is listed and downloaded at once.
    QProcess program;
    program.setProcessEnvironment(m_environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(CLIPVANE_PATH),
                  {QStringLiteral("--skip-connection-check"), sStalledPage});
    QVERIFY(program.waitForStarted(30000));
    const QString sWindow = FindWindow();
    QVERIFY(!sWindow.isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(DownloadPath(sStalled + QStringLiteral(".part"))), 60000);
    const QString sWatcher = QFileInfo(QStringLiteral(CLIPVANE_PATH)).canonicalPath()
                             + QStringLiteral("/clipvane-clip");
    QList<qint64> watchers;
    QTRY_VERIFY_WITH_TIMEOUT(
        !(watchers = WatcherProbe::Processes(sWatcher, QString::number(program.processId())))
             .isEmpty(),
        30000);

    if (bSignal) {
        program.terminate();
    } else {
        // The close button asks first; Yes is the box's default answer.
        QVERIFY(Click(sWindow, 612, 21));
        const QString sQuestion = FindWindow({sWindow});
        QVERIFY(!sQuestion.isEmpty());
        QVERIFY(XDo({QStringLiteral("windowfocus"), QStringLiteral("--sync"), sQuestion}));
        QVERIFY(XDo({QStringLiteral("key"), QStringLiteral("Return")}));
    }
    // From the answer on, the program takes no more addresses...
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(InstanceEndpoint()), 10000);
    // ... and its list is kept, given-up item and all. The next start would
    // bring it back; this one is about the address it is given, so it keeps
    // its list elsewhere.
    QFile keptList(m_home.filePath(QStringLiteral("data/Clipvane/downloadlist.json")));
    QVERIFY(keptList.open(QIODevice::ReadOnly));
    QVERIFY(keptList.readAll().contains(sStalledPage.toUtf8()));
    QVERIFY(keptList.remove());
    QProcessEnvironment nextEnvironment = m_environment;
    nextEnvironment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(sTag + QStringLiteral("-next")));
    // ... so a start now becomes the running program and downloads its own.
    QProcess next;
    next.setProcessEnvironment(nextEnvironment);
    next.setProcessChannelMode(QProcess::ForwardedChannels);
    next.start(QStringLiteral(CLIPVANE_PATH),
               {QStringLiteral("--skip-connection-check"),
                m_server.Url(QStringLiteral("/angryalien.com/") + sLater + QStringLiteral(".html"))});
    QVERIFY(next.waitForStarted(30000));

    // Well within the transfer's 60 s inactivity limit: the stall was given
    // up. (It may have ended already while the test waited above.)
    QVERIFY(program.state() == QProcess::NotRunning || program.waitForFinished(5000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    // What arrived is kept for a later run to continue.
    QVERIFY(QFile::exists(DownloadPath(sStalled + QStringLiteral(".part"))));
    for (const qint64 iPid : std::as_const(watchers))
        QVERIFY(WatcherProbe::WaitUntilGone(iPid, 10000));

    QTRY_VERIFY_WITH_TIMEOUT(Arrived(sLater, later), 60000);
    QCOMPARE(next.state(), QProcess::Running);
    // Idle, a signal ends it in order as well.
    next.terminate();
    QVERIFY(next.waitForFinished(10000));
    QCOMPARE(next.exitStatus(), QProcess::NormalExit);
    QCOMPARE(next.exitCode(), 0);
}

bool tst_DesktopWindow::StartDesktop()
{
    m_windowManager.setProcessEnvironment(m_environment);
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"),
                 QStringLiteral("--print-address=1")});
    if (!m_windowManager.waitForStarted(30000) || !m_bus.waitForStarted(30000))
        return false;
    QByteArray address;
    while (!address.endsWith('\n') && m_bus.waitForReadyRead(30000))
        address += m_bus.readAllStandardOutput();
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLatin1(address.trimmed()),
                                                        QStringLiteral("tray"));
    if (!bus.isConnected() || !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))
        || !bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &m_tray,
                               QDBusConnection::ExportAllSlots
                                   | QDBusConnection::ExportAllProperties))
        return false;
    m_environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                         QString::fromLatin1(address.trimmed()));
    // The window manager has taken over once it names itself on the root.
    QString sCheck;
    if (!QTest::qWaitFor([&] {
            return Run(QStringLiteral("xprop"), {QStringLiteral("-root"),
                                                 QStringLiteral("_NET_SUPPORTING_WM_CHECK")},
                       &sCheck)
                   && sCheck.contains(QLatin1String("window id"));
        }, 30000))
        return false;

    m_desktopProgram.setProcessEnvironment(m_environment);
    m_desktopProgram.setProcessChannelMode(QProcess::ForwardedChannels);
    m_desktopProgram.start(QStringLiteral(CLIPVANE_PATH));
    m_sDesktopWindow = FindWindow();
    // The icon is in the tray once it has registered there.
    return !m_sDesktopWindow.isEmpty() && QTest::qWaitFor([this] { return !m_tray.items.isEmpty(); }, 30000)
           && QTest::qWaitFor([this] { return WindowIsInFrontAndActive(); }, 30000);
}

QString tst_DesktopWindow::WindowState()
{
    QString sInfo, sState;
    if (!Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), m_sDesktopWindow}, &sInfo)
        || !Run(QStringLiteral("xprop"),
                {QStringLiteral("-id"), m_sDesktopWindow, QStringLiteral("WM_STATE")}, &sState))
        return QString();
    if (sState.contains(QLatin1String("window state: Iconic")))
        return QStringLiteral("iconic");
    if (sInfo.contains(QLatin1String("IsUnMapped")))
        return QStringLiteral("hidden");
    if (sInfo.contains(QLatin1String("IsViewable"))
        && sState.contains(QLatin1String("window state: Normal")))
        return QStringLiteral("normal");
    return QString();
}

bool tst_DesktopWindow::WindowIsInFrontAndActive()
{
    QString sActive, sStacking;
    if (WindowState() != QLatin1String("normal") || !XDo({QStringLiteral("getactivewindow")}, &sActive)
        || !Run(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")}, &sStacking))
        return false;
    // Bottom to top: the last one is in front of every other.
    bool bOk = false;
    const qulonglong uTop = sStacking.section(QLatin1Char(' '), -1).toULongLong(&bOk, 16);
    return sActive == m_sDesktopWindow && bOk && uTop == m_sDesktopWindow.toULongLong();
}

bool tst_DesktopWindow::PutWindow(const QString &sState, QProcess &other)
{
    // The skin's title buttons, in window coordinates.
    const auto minimise = [this] { return Click(m_sDesktopWindow, 528, 21); };
    const auto toTray = [this] { return Click(m_sDesktopWindow, 570, 21); };
    const auto becomes = [this](const char *sWanted) {
        return QTest::qWaitFor([&] { return WindowState() == QLatin1String(sWanted); }, 30000);
    };
    if (sState == QLatin1String("hidden in the tray"))
        return toTray() && becomes("hidden");
    if (sState == QLatin1String("minimised by its button"))
        return minimise() && becomes("iconic");
    if (sState == QLatin1String("minimised by the desktop"))
        return XDo({QStringLiteral("windowminimize"), m_sDesktopWindow}) && becomes("iconic");
    if (sState == QLatin1String("minimised, restored, hidden")) {
        // Restored by the desktop (a task bar would do it this way), then
        // put in the tray.
        return minimise() && becomes("iconic")
               && XDo({QStringLiteral("windowactivate"), m_sDesktopWindow}) && becomes("normal")
               && toTray() && becomes("hidden");
    }
    other.setProcessEnvironment(m_environment);
    other.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("600x400+0+0"),
                                             QStringLiteral("in front")});
    QString sOtherId;
    return XDo({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--onlyvisible"),
                QStringLiteral("--classname"), QStringLiteral("xmessage")},
               &sOtherId)
           && XDo({QStringLiteral("windowactivate"), QStringLiteral("--sync"),
                   sOtherId.section(QLatin1Char('\n'), 0, 0)})
           && !WindowIsInFrontAndActive();
}

bool tst_DesktopWindow::TakeRoad(const QString &sRoad)
{
    if (sRoad == QLatin1String("second start")) {
        QProcess second;
        second.setProcessEnvironment(m_environment);
        second.start(QStringLiteral(CLIPVANE_PATH));
        return second.waitForFinished(30000) && second.exitStatus() == QProcess::NormalExit
               && second.exitCode() == 0;
    }
    // A StatusNotifierItem tray reports a left click as Activate and a right
    // click as ContextMenu, each with the pointer's position.
    const QString sMethod = sRoad == QLatin1String("tray click") ? QStringLiteral("Activate")
                                                                 : QStringLiteral("ContextMenu");
    QDBusMessage click = QDBusMessage::createMethodCall(
        m_tray.items.constLast(), QStringLiteral("/StatusNotifierItem"),
        QStringLiteral("org.kde.StatusNotifierItem"), sMethod);
    click.setArguments({300, 200});
    if (QDBusConnection(QStringLiteral("tray")).call(click).type() == QDBusMessage::ErrorMessage)
        return false;
    if (sRoad == QLatin1String("tray click"))
        return true;
    // The menu opens under the pointer, as a window of the program's that
    // is not the main window; its first entry is "Clipvane".
    const QString sPid = QString::number(m_desktopProgram.processId());
    return QTest::qWaitFor([&] {
               QString sShown;
               if (!XDo({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                         QStringLiteral("--pid"), sPid},
                        &sShown))
                   return false;
               const QStringList shown = sShown.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
               return shown.size() > shown.count(m_sDesktopWindow);
           }, 30000)
           && XDo({QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Return")});
}

void tst_DesktopWindow::windowComesBackFromEveryRoad_data()
{
    QTest::addColumn<QString>("sState");
    QTest::addColumn<QString>("sRoad");
    const char *states[] = {"hidden in the tray", "minimised by its button",
                            "minimised by the desktop", "minimised, restored, hidden",
                            "behind another window"};
    // The tray double-click never comes from such a tray; the window's own
    // test takes that road.
    const char *roads[] = {"second start", "tray click", "tray menu"};
    for (const char *sRoad : roads) {
        for (const char *sState : states)
            QTest::addRow("%s, %s", sState, sRoad) << QString::fromLatin1(sState)
                                                   << QString::fromLatin1(sRoad);
    }
}

void tst_DesktopWindow::windowComesBackFromEveryRoad()
{
    QFETCH(QString, sState);
    QFETCH(QString, sRoad);
    CLIPVANE_REQUIRE_TOOL(!QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()
                              && !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()
                              && !QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty(),
                          "openbox, dbus-daemon or x11-utils is not installed; no window manager or tray");
    if (m_desktopProgram.state() == QProcess::NotRunning)
        QVERIFY(StartDesktop());
    // Every row starts where the last one ended.
    QVERIFY2(WindowIsInFrontAndActive(), "an earlier row left the window elsewhere");

    QProcess other;
    QVERIFY2(PutWindow(sState, other), qPrintable(WindowState()));
    QVERIFY(TakeRoad(sRoad));
    QVERIFY2(QTest::qWaitFor([this] { return WindowIsInFrontAndActive(); }, 30000),
             qPrintable(WindowState()));
}

void tst_DesktopWindow::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("tray"));
    for (QProcess *pProcess : {&m_desktopProgram, &m_windowManager, &m_bus}) {
        if (pProcess->state() == QProcess::NotRunning)
            continue;
        pProcess->terminate();
        if (!pProcess->waitForFinished(10000))
            pProcess->kill();
        pProcess->waitForFinished(10000);
    }
}

QTEST_GUILESS_MAIN(tst_DesktopWindow)
#include "tst_desktopwindow.moc"
