#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "core/cliphandover.h"
#include "core/skinvariables.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "monitor/clipboardmonitor.h"
#include "monitor/clipboardpoller.h"
#include "monitor/handoverendpoint.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "settings/programsettings.h"

// The program's side of the clipboard: texts handed over by a watcher, and
// the poll of the hidden check box. No display is needed: the watcher is
// played by a socket of the test's, the clipboard by a text of its own.
class tst_ClipboardMonitor : public QObject
{
    Q_OBJECT

private:
    const DownloadItem &Item(int i) const { return m_session->ListStore().Items().at(i); }
    int Items() const { return int(m_session->ListStore().Count()); }

    // A connection that plays the watcher.
    std::unique_ptr<QLocalSocket> Watcher()
    {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(ClipHandOver::ProgramEndpoint(m_endpoint->Number()));
        return socket->waitForConnected(5000) ? std::move(socket) : nullptr;
    }

    QTemporaryDir m_runtime;
    HeadlessDownloadGrid m_grid;
    ScriptedMessageBox m_messages;
    std::unique_ptr<SkinVariables> m_skin;
    std::unique_ptr<DownloadSession> m_session;
    std::unique_ptr<HandOverEndpoint> m_endpoint;
    std::unique_ptr<ClipboardMonitor> m_monitor;
    std::unique_ptr<ClipboardPoller> m_poller;
    QString m_sClipboard;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void init()
    {
        m_messages.shown.clear();
        m_skin = std::make_unique<SkinVariables>();
        m_session = std::make_unique<DownloadSession>(m_grid, m_messages, *m_skin);
        // Each start of the queue shows one message and goes no further.
        m_session->Queue().SetConnectivityTest([] { return false; });
        m_endpoint = std::make_unique<HandOverEndpoint>(QCoreApplication::applicationPid());
        QVERIFY(m_endpoint->Listen());
        m_monitor = std::make_unique<ClipboardMonitor>(ClipboardMonitor::Parts{
            *m_endpoint, m_session->Adder(), m_session->Run(), m_session->Queue(), *m_skin,
            m_session->Settings()});
        m_poller = std::make_unique<ClipboardPoller>(
            ClipboardPoller::Parts{m_session->Adder(), m_session->Run(), m_session->Queue(),
                                   *m_skin, m_session->Settings()},
            [this] { return m_sClipboard; });
    }

    void cleanup()
    {
        m_poller.reset();
        m_monitor.reset();
        m_endpoint.reset();
        m_session.reset();
        m_skin.reset();
    }

    void handOverListsTheTextAndStartsTheQueue_data();
    void handOverListsTheTextAndStartsTheQueue();
    void handOverTakesEveryWholeLineInOrder();
    void handOverArrivingWhileOneIsListedIsTaken();
    void overlongHandOverIsDropped();
    void endpointIsTheUsersAlone();
    void poll_data();
    void poll();
    void checkBoxSwitchesThePoll();
};

void tst_ClipboardMonitor::handOverListsTheTextAndStartsTheQueue_data()
{
    QTest::addColumn<QString>("sText");
    QTest::addColumn<bool>("bAnySite");
    QTest::addColumn<bool>("bDownloading");
    QTest::addColumn<QString>("sListed"); // empty: nothing is listed
    QTest::addColumn<bool>("bStarts");
    QTest::addColumn<QString>("sTyped");  // in the address field before; "listed": an address listed before
    QTest::addColumn<bool>("bFieldShows"); // the field shows the listed address after

    const QString sUrl = QStringLiteral("http://www.youtube.com/watch?v=abc");
    const QString sOther = QStringLiteral("https://example.org/reset?token=1");
    QTest::newRow("idle: the queue is started") << sUrl << false << false << sUrl << true << QString() << true;
    QTest::newRow("downloading: no second run") << sUrl << false << true << sUrl << false << QString() << true;
    QTest::newRow("white space around")
        << " \t" + sUrl + "  " << false << false << sUrl << true << QString() << true;
    QTest::newRow("sentence naming a site")
        << "ask Bob about the dailymotion.com contract, budget 5000" << true << false << QString()
        << false << QString() << false;
    // A link of another site may work once only: it waits for Start.
    QTest::newRow("Any Site: another site's address")
        << sOther << true << false << sOther << false << QString() << true;
    // What the user is typing stays; an address already listed may go.
    QTest::newRow("user typing in the field")
        << sUrl << false << false << sUrl << true << "http://www.bolt.com/v/half-typ" << false;
    QTest::newRow("field holds a listed address") << sUrl << false << false << sUrl << true
                                                  << "listed" << true;
}

void tst_ClipboardMonitor::handOverListsTheTextAndStartsTheQueue()
{
    QFETCH(QString, sText);
    QFETCH(bool, bAnySite);
    QFETCH(bool, bDownloading);
    QFETCH(QString, sListed);
    QFETCH(bool, bStarts);
    QFETCH(QString, sTyped);
    QFETCH(bool, bFieldShows);
    m_session->Settings().bAnySite = bAnySite;
    if (bDownloading)
        m_session->Run().BeginRun();
    if (sTyped == QLatin1String("listed")) {
        sTyped = QStringLiteral("http://www.youtube.com/watch?v=before");
        m_session->Adder().AddURL(sTyped);
    }
    m_skin->SetVariable(QStringLiteral("_root.video_url"), sTyped);
    QStringList changes;
    connect(m_endpoint.get(), &HandOverEndpoint::TextChanged, this,
            [&] { changes << m_endpoint->Text(); });

    auto watcher = Watcher();
    QVERIFY(watcher);
    watcher->write(ClipHandOver::Frame(sText));
    watcher->flush();

    // The box holds the text while it is handled and is empty again after.
    QTRY_COMPARE(changes, (QStringList{sText, QString()}));
    QCOMPARE(m_endpoint->Text(), QString());
    QCOMPARE(m_skin->GetVariable(QStringLiteral("_root.video_url")), bFieldShows ? sListed : sTyped);
    if (!sTyped.isEmpty() && bFieldShows) {
        QCOMPARE(m_session->ListStore().Count(), 2);
        return;
    }
    QCOMPARE(Items(), sListed.isEmpty() ? 0 : 1);
    QCOMPARE(m_session->Queue().tmrDownload.isActive(), bStarts);
    m_session->Queue().tmrDownload.stop();
    if (sListed.isEmpty())
        return;
    QCOMPARE(Item(0).Video_URL, sListed);
    QCOMPARE(Item(0).Status, QStringLiteral("Waiting"));
}

void tst_ClipboardMonitor::handOverTakesEveryWholeLineInOrder()
{
    auto watcher = Watcher();
    QVERIFY(watcher);
    // Split across writes, several in one write, a carriage return inside (no
    // watcher sends that), and a text of no supported site, which no watcher
    // sends either and which the program drops all the same.
    watcher->write("http://www.youtube.com/watch?v=1\nhttp://www.bre");
    watcher->flush();
    QTRY_COMPARE(Items(), 1);
    watcher->write("ak.com/2\nfirst\rsecond\nhttp://example.org/\nhttp://www.youtube.com/watch?v=3\n");
    watcher->flush();
    QTRY_COMPARE(Items(), 3);
    QCOMPARE(Item(1).Video_URL, QStringLiteral("http://www.break.com/2"));
    QCOMPARE(Item(2).Video_URL, QStringLiteral("http://www.youtube.com/watch?v=3"));
    m_session->Queue().tmrDownload.stop();
}

void tst_ClipboardMonitor::handOverArrivingWhileOneIsListedIsTaken()
{
    // Listing an address processes events; a text the watcher sends
    // meanwhile reaches the endpoint's socket while its readyRead still runs,
    // where no second readyRead comes for it.
    const QString sFirst = QStringLiteral("http://www.youtube.com/watch?v=1");
    const QString sSecond = QStringLiteral("http://www.youtube.com/watch?v=2");
    auto watcher = Watcher();
    QVERIFY(watcher);
    bool bArrived = false;
    connect(m_endpoint.get(), &HandOverEndpoint::TextChanged, this, [&] {
        if (m_endpoint->Text() != sFirst)
            return;
        watcher->write(ClipHandOver::Frame(sSecond));
        watcher->flush();
        const QLocalSocket *pEnd = m_endpoint->findChild<QLocalSocket *>();
        bArrived = QTest::qWaitFor([pEnd] { return pEnd->bytesAvailable() > 0; });
    });
    watcher->write(ClipHandOver::Frame(sFirst));
    watcher->flush();

    QTRY_COMPARE(Items(), 2);
    QVERIFY(bArrived);
    QCOMPARE(Item(1).Video_URL, sSecond);
    m_session->Queue().tmrDownload.stop();
}

void tst_ClipboardMonitor::overlongHandOverIsDropped()
{
    auto watcher = Watcher();
    QVERIFY(watcher);
    watcher->write(QByteArray(ClipHandOver::kMaxTextLength * 4 + 10, 'x'));
    watcher->flush();
    QTRY_COMPARE(watcher->state(), QLocalSocket::UnconnectedState);
    QCOMPARE(Items(), 0);
}

void tst_ClipboardMonitor::endpointIsTheUsersAlone()
{
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                      | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    const QString sEndpoint = ClipHandOver::ProgramEndpoint(m_endpoint->Number());
    QVERIFY(sEndpoint.startsWith(m_runtime.path() + QLatin1Char('/')));
    QCOMPARE(QFileInfo(sEndpoint).permissions() & others, QFile::Permissions());
    QCOMPARE(QFileInfo(QFileInfo(sEndpoint).path()).permissions() & others, QFile::Permissions());
}

void tst_ClipboardMonitor::poll_data()
{
    const QString sYoutube = QStringLiteral("http://www.youtube.com/watch?v=p");
    const QString sBreak = QStringLiteral("http://www.break.com/p");
    QTest::addColumn<QStringList>("clipboard"); // one text per tick
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<int>("iStarts");
    QTest::addColumn<bool>("bAnySite");
    const QString sOther = QStringLiteral("http://example.org/");
    QTest::newRow("an address stays copied") << QStringList{sYoutube, sYoutube, sYoutube}
                                             << QStringList{sYoutube} << 1 << false;
    QTest::newRow("no supported site") << QStringList{sOther, QStringLiteral("hello")}
                                       << QStringList{} << 0 << false;
    QTest::newRow("empty clipboard") << QStringList{QString(), QString()} << QStringList{} << 0
                                     << false;
    QTest::newRow("two addresses") << QStringList{sYoutube, sBreak}
                                   << QStringList{sYoutube, sBreak} << 2 << false;
    // The address is new to the poll again, but the list keeps it once.
    QTest::newRow("copied again after other text")
        << QStringList{sYoutube, QStringLiteral("hello"), sYoutube} << QStringList{sYoutube} << 2
        << false;
    // Listed, but another site's address waits for Start.
    QTest::newRow("Any Site: any one web address")
        << QStringList{sOther, QStringLiteral("hello"), QStringLiteral("ftp://example.org/v.mp4"),
                       sOther + QStringLiteral(" and more")}
        << QStringList{sOther} << 0 << true;
    QTest::newRow("sentence naming a site")
        << QStringList{QStringLiteral("see www.youtube.com for it"), QStringLiteral("youtube.com")}
        << QStringList{} << 0 << false;
    QTest::newRow("white space around") << QStringList{sYoutube + QStringLiteral("\n")}
                                        << QStringList{sYoutube} << 1 << false;
}

void tst_ClipboardMonitor::poll()
{
    QFETCH(QStringList, clipboard);
    QFETCH(QStringList, listed);
    QFETCH(int, iStarts);
    QFETCH(bool, bAnySite);
    m_session->Settings().bAnySite = bAnySite;

    for (const QString &sText : std::as_const(clipboard)) {
        m_sClipboard = sText;
        m_poller->tmrMonitor_Timer();
        QCOMPARE(m_poller->sLastClipText, sText);
    }

    QStringList actual;
    for (const DownloadItem &item : std::as_const(m_session->ListStore().Items()))
        actual << item.Video_URL;
    QCOMPARE(actual, listed);
    QCOMPARE(m_messages.shown.size(), iStarts);
    if (!listed.isEmpty())
        QCOMPARE(m_skin->GetVariable(QStringLiteral("_root.video_url")), listed.last());
}

void tst_ClipboardMonitor::checkBoxSwitchesThePoll()
{
    m_poller->sLastClipText = QStringLiteral("seen before");
    m_poller->chkMonitor_Click();
    QVERIFY(m_poller->tmrMonitor.isActive());
    QCOMPARE(m_poller->tmrMonitor.interval(), 2000);
    QVERIFY(m_session->Settings().bURLMonitor);
    QVERIFY(m_poller->sLastClipText.isEmpty());

    m_poller->chkMonitor_Click();
    QVERIFY(!m_poller->tmrMonitor.isActive());
    QVERIFY(!m_session->Settings().bURLMonitor);
}

QTEST_GUILESS_MAIN(tst_ClipboardMonitor)
#include "tst_clipboardmonitor.moc"
