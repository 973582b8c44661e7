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

// The program on a real X desktop (an Xvfb of the test's own), driven with
// xdotool as a user drives it: an address typed into the skin's field, the
// add and start buttons, a later start handing an address over, and the
// close button.
class tst_DesktopWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::unique_ptr<XvfbServer> m_xvfb;
    HttpTestServer m_server;

    bool XDo(const QStringList &arguments, QString *pOutput = nullptr)
    {
        QProcess xdotool;
        xdotool.setProcessEnvironment(m_environment);
        xdotool.start(QStringLiteral("xdotool"), arguments);
        if (!xdotool.waitForFinished(30000) || xdotool.exitCode() != 0)
            return false;
        if (pOutput)
            *pOutput = QString::fromLocal8Bit(xdotool.readAllStandardOutput()).trimmed();
        return true;
    }

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

QTEST_GUILESS_MAIN(tst_DesktopWindow)
#include "tst_desktopwindow.moc"
