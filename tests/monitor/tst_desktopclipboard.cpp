#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include "core/cliphandover.h"
#include "core/skinvariables.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/handoverendpoint.h"
#include "requiredtool.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"
#include "watcherprobe.h"
#include "xvfbserver.h"

// The clipboard of a real X desktop (an Xvfb of the test's own), filled by
// xclip the way any other program fills it: what the watcher hands over, and
// the whole road from a copied page address to the downloaded file.
class tst_DesktopClipboard : public QObject
{
    Q_OBJECT

private:
    // Copies sText into the selection ("clipboard" or "primary") and waits
    // until a reader has asked xclip for it iRequests times; xclip then ends.
    bool Copy(const QString &sText, const char *selection = "clipboard", int iRequests = 0)
    {
        auto xclip = std::make_unique<QProcess>();
        xclip->setProcessEnvironment(m_environment);
        QStringList arguments{QStringLiteral("-quiet"), QStringLiteral("-selection"),
                              QString::fromLatin1(selection)};
        if (iRequests > 0)
            arguments << QStringLiteral("-loops") << QString::number(iRequests);
        xclip->start(QStringLiteral("xclip"), arguments);
        if (!xclip->waitForStarted(10000))
            return false;
        xclip->write(sText.toUtf8());
        xclip->closeWriteChannel();
        const bool bOk = iRequests == 0 || xclip->waitForFinished(30000);
        m_copies.push_back(std::move(xclip));
        return bOk;
    }

    // A watcher for endpoint's program, watching once this returns true.
    bool StartWatcher(QProcess &watcher, const HandOverEndpoint &endpoint)
    {
        watcher.setProcessEnvironment(m_environment);
        // Its warnings (and debug lines, when switched on) explain a failure.
        watcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        watcher.start(QStringLiteral(CLIPVANE_CLIP_PATH), {QString::number(endpoint.Number())});
        return QTest::qWaitFor([] { return WatcherProbe::Watching(); }, 30000);
    }

    // Every text handed over to endpoint from now on goes to m_received.
    void RecordHandOvers(HandOverEndpoint &endpoint)
    {
        m_received.clear();
        connect(&endpoint, &HandOverEndpoint::TextChanged, this, [this, &endpoint] {
            if (!endpoint.Text().isEmpty())
                m_received << endpoint.Text();
        });
    }

    // Ends the running watcher the way the program does.
    bool EndWatcher()
    {
        QProcess exit;
        exit.setProcessEnvironment(m_environment);
        exit.start(QStringLiteral(CLIPVANE_CLIP_PATH), {QStringLiteral("Exit")});
        return exit.waitForFinished(30000) && exit.exitCode() == 0;
    }

    QStringList m_received;
    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    std::unique_ptr<XvfbServer> m_xvfb;
    std::vector<std::unique_ptr<QProcess>> m_copies;

private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void cleanupTestCase();

    void watcherHandsOverOneLineClipboardTexts();
    void onlyWantedAddressesAreListed_data();
    void onlyWantedAddressesAreListed();
    void copiedAddressIsDownloaded();
};

void tst_DesktopClipboard::initTestCase()
{
    CLIPVANE_REQUIRE_TOOL(XvfbServer::Available(),
                          "Xvfb is not installed (the package xvfb); no X desktop to copy on");
    CLIPVANE_REQUIRE_TOOL(!QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty(),
                          "xclip is not installed (the package xclip); nothing to copy with");
    m_xvfb = std::make_unique<XvfbServer>();
    QVERIFY2(m_xvfb->Start(), qPrintable(m_xvfb->Error()));

    QVERIFY(m_home.isValid());
    m_environment = m_xvfb->FreshUserEnvironment(m_home.path());
    QVERIFY(!m_environment.isEmpty());
    // The endpoints this test listens on live where the program's do.
    qputenv("XDG_RUNTIME_DIR", m_environment.value(QStringLiteral("XDG_RUNTIME_DIR")).toLocal8Bit());
}

void tst_DesktopClipboard::cleanup()
{
    EndWatcher();
    for (const auto &xclip : m_copies) {
        xclip->kill();
        xclip->waitForFinished(10000);
    }
    m_copies.clear();
}

void tst_DesktopClipboard::cleanupTestCase()
{
    m_xvfb.reset();
}

void tst_DesktopClipboard::watcherHandsOverOneLineClipboardTexts()
{
    HandOverEndpoint endpoint(QCoreApplication::applicationPid());
    QVERIFY(endpoint.Listen());
    RecordHandOvers(endpoint);
    QProcess watcher;
    QVERIFY(StartWatcher(watcher, endpoint));

    // Each text the watcher must leave alone is copied and read (xclip ends
    // after the watcher asked it for the text) before the next is copied, so
    // none can hide behind another.
    const QString sLongest =
        QStringLiteral("http://www.youtube.com/watch?v=").leftJustified(ClipHandOver::kMaxTextLength, u'y');
    QVERIFY(Copy(QStringLiteral("http://www.youtube.com/watch?v=mouse"), "primary", 0));
    QVERIFY(Copy(QStringLiteral("http://www.youtube.com/watch?v=1\nsecond line\n"), "clipboard", 1));
    QVERIFY(Copy(QString(ClipHandOver::kMaxTextLength + 1, u'x'), "clipboard", 1));
    QVERIFY(Copy(sLongest, "clipboard", 1));
    QVERIFY(Copy(QStringLiteral("http://www.youtube.com/watch?v=last\n"), "clipboard", 1));

    QTRY_VERIFY_WITH_TIMEOUT(m_received.contains(QStringLiteral("http://www.youtube.com/watch?v=last")),
                             30000);
    QCOMPARE(m_received, (QStringList{sLongest, QStringLiteral("http://www.youtube.com/watch?v=last")}));
    QCOMPARE(watcher.state(), QProcess::Running);

    QVERIFY(EndWatcher());
    QVERIFY(watcher.waitForFinished(30000));
    QCOMPARE(watcher.exitCode(), 0);
}

void tst_DesktopClipboard::onlyWantedAddressesAreListed_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<bool>("bAnySite");
    QTest::addColumn<bool>("bListed");
    const QString sOther = QStringLiteral("https://news.example.org/story/42.html");
    const QString sSupported = QStringLiteral("http://www.youtube.com/watch?v=copied");
    QTest::newRow("plain text") << QStringLiteral("hello world") << false << false;
    QTest::newRow("address of another site") << sOther << false << false;
    QTest::newRow("address of a supported site") << sSupported << false << true;
    QTest::newRow("Any Site: plain text") << QStringLiteral("hello world") << true << false;
    QTest::newRow("Any Site: address of another site") << sOther << true << true;
    QTest::newRow("Any Site: not http") << QStringLiteral("ftp://files.example.org/v.mp4") << true
                                        << false;
    QTest::newRow("Any Site: an address and more") << sOther + QStringLiteral(" and more") << true
                                                   << false;
    const QString sSentence = QStringLiteral("ask Bob about the dailymotion.com contract, budget 5000");
    QTest::newRow("sentence naming a site") << sSentence << false << false;
    QTest::newRow("Any Site: sentence naming a site") << sSentence << true << false;
}

void tst_DesktopClipboard::onlyWantedAddressesAreListed()
{
    QFETCH(QString, sText);
    QFETCH(bool, bAnySite);
    QFETCH(bool, bListed);

    HeadlessDownloadGrid grid;
    ScriptedMessageBox messages;
    SkinVariables skin;
    DownloadSession session(grid, messages, skin);
    session.Settings().bAnySite = bAnySite;
    // The run a listed address starts finds no connection, so nothing here
    // reaches for the network.
    session.Queue().SetConnectivityTest([] { return false; });
    HandOverEndpoint endpoint(QCoreApplication::applicationPid());
    QVERIFY(endpoint.Listen());
    endpoint.SetAnySite(bAnySite);
    // What the watcher hands over, apart from what the program lists; heard
    // first, before listing processes events and a nested hand-over empties
    // the text.
    RecordHandOvers(endpoint);
    ClipboardMonitor monitor(ClipboardMonitor::Parts{endpoint, session.Adder(), session.Run(),
                                                     session.Queue(), skin, session.Settings()});
    QProcess watcher;
    QVERIFY(StartWatcher(watcher, endpoint));

    // The text is read before the closing address is copied, so it cannot
    // hide behind it.
    const QString sLast = QStringLiteral("http://www.youtube.com/watch?v=last");
    QVERIFY(Copy(sText, "clipboard", 1));
    QVERIFY(Copy(sLast, "clipboard", 1));
    const auto listed = [&session] {
        QStringList urls;
        for (const DownloadItem &item : session.ListStore().Items())
            urls << item.Video_URL;
        return urls;
    };
    QTRY_VERIFY_WITH_TIMEOUT(listed().contains(sLast), 30000);
    const QStringList expected = bListed ? QStringList{sText, sLast} : QStringList{sLast};
    QCOMPARE(m_received, expected);
    QCOMPARE(listed(), expected);
    QVERIFY(EndWatcher());
    QVERIFY(watcher.waitForFinished(30000));
}

void tst_DesktopClipboard::copiedAddressIsDownloaded()
{
    HttpTestServer server;
    QVERIFY(server.Start());
    QByteArray video(40000, Qt::Uninitialized);
    for (int i = 0; i < video.size(); ++i)
        video[i] = char('a' + i % 23);
    server.SetRoute(QStringLiteral("/files/copied.flv"), HttpTestServer::Ok(video, "video/x-flv"));
    server.SetRoute(QStringLiteral("/angryalien.com/copied.html"),
                    HttpTestServer::Ok("<html><embed src=\""
                                           + server.Url(QStringLiteral("/files/copied.flv")).toLatin1()
                                           + "\" width=400></html>",
                                       "text/html"));

    // A first start: no settings stored, so the program watches the
    // clipboard and downloads into ~/Downloaded Videos. Loopback is the only
    // network here, hence the option.
    QProcess program;
    program.setProcessEnvironment(m_environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(CLIPVANE_PATH), {QStringLiteral("--skip-connection-check")});
    QVERIFY(program.waitForStarted(30000));
    QTRY_VERIFY_WITH_TIMEOUT(WatcherProbe::Watching(), 30000);
    const QString sClip = QStringLiteral(CLIPVANE_CLIP_PATH);
    const QList<qint64> watchers = WatcherProbe::Processes(sClip, QString::number(program.processId()));
    QCOMPARE(watchers.size(), 1);

    QVERIFY(Copy(server.Url(QStringLiteral("/angryalien.com/copied.html"))));

    const QString sFile = m_home.filePath(QStringLiteral("home/Downloaded Videos/copied.flv"));
    const auto downloaded = [&] {
        QFile file(sFile);
        return file.open(QIODevice::ReadOnly) && file.readAll() == video;
    };
    QTRY_VERIFY_WITH_TIMEOUT(downloaded(), 60000);

    QProcess exit;
    exit.setProcessEnvironment(m_environment);
    exit.start(sClip, {QStringLiteral("Exit")});
    QVERIFY(exit.waitForFinished(30000));
    QCOMPARE(exit.exitCode(), 0);
    QVERIFY(WatcherProbe::WaitUntilGone(watchers.first(), 30000));
    QCOMPARE(program.state(), QProcess::Running);

    program.terminate();
    QVERIFY(program.waitForFinished(30000));
}

QTEST_GUILESS_MAIN(tst_DesktopClipboard)
#include "tst_desktopclipboard.moc"
