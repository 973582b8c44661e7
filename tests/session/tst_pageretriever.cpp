#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>

#include "core/skinvariables.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/idownloadgrid.h"
#include "list/urladder.h"
#include "net/download.h"
#include "net/youtuberesolver.h"
#include "peakmemory.h"
#include "scriptedmessagebox.h"
#include "session/downloadeventhandlers.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "sitepages.h"
#include "settings/programsettings.h"
#include "sites/sitedetect.h"

namespace {

QByteArray ReadFile(const QString &sPath)
{
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &sPath, const QByteArray &content)
{
    QFile file(sPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(sPath));
}

// Points the per-user data directory, where a program keeps its scratch page
// unless told otherwise, at a folder of the test's own while it lives.
class OwnDataHome
{
public:
    OwnDataHome() : m_bHad(qEnvironmentVariableIsSet("XDG_DATA_HOME")), m_old(qgetenv("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.path()));
    }
    ~OwnDataHome()
    {
        if (m_bHad)
            qputenv("XDG_DATA_HOME", m_old);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    bool IsValid() const { return m_dir.isValid(); }
    // The folder that holds each running program's scratch folder.
    QString ScratchFolders() const
    {
        return QDir(m_dir.path()).filePath(PageRetriever::kDataFolder);
    }
    // What is left in it.
    QStringList Left() const
    {
        return QDir(ScratchFolders()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden
                                                | QDir::System);
    }

private:
    QTemporaryDir m_dir;
    bool m_bHad;
    QByteArray m_old;
};

// The path and query of an address, as the server sees them in its request line.
QString RequestTarget(const QString &sAddress)
{
    return QUrl(sAddress).toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::FullyEncoded);
}

// How the server behind a YouTube player address treats the redirect request.
enum RedirectServer { Refused, Silent, HangsUp, NoRedirect };

} // namespace

// The program's pieces as the window wires them, pointed at a local server
// and a scratch folder of the test's own.
class tst_PageRetriever : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void supportedPageYieldsItsAddress_data();
    void supportedPageYieldsItsAddress();
    void unsupportedAddressFetchesNothing();
    void unreachableHostIsAFetchFailure();
    void pageWithoutMarkerGivesZero();
    void youtubeRedirectWithoutAnswerKeepsTheAddress_data();
    void youtubeRedirectWithoutAnswerKeepsTheAddress();
    void readOnlyScratchFromBeforeIsReplaced();
    void fetchingFlagIsSetOnlyDuringTheFetch();
    void programsKeepTheirOwnScratchPages();
    void pageIsReadUpToTheByteLimit_data();
    void pageIsReadUpToTheByteLimit();

private:
    struct Program
    {
        HeadlessDownloadGrid grid;
        ScriptedMessageBox messages;
        SkinVariables skin;
        DownloadSession session{grid, messages, skin};
        Download &download = session.TransferControl();
        DownloadEventHandlers &handlers = session.Handlers();
        YoutubeResolver &resolver = session.Resolver();
        PageRetriever &pages = session.Pages();
    };

    std::unique_ptr<HttpTestServer> m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Program> m_program;
    QString m_sScratch;
};

void tst_PageRetriever::init()
{
    m_server = std::make_unique<HttpTestServer>();
    QVERIFY(m_server->Start());
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_program = std::make_unique<Program>();
    m_program->pages.SetScratchDir(m_dir->path());
    m_program->download.SetInactivityTimeoutSeconds(20);
    m_program->resolver.SetPort(m_server->Port());
    m_sScratch = m_program->pages.ScratchPath();
    QCOMPARE(m_sScratch, m_dir->filePath(QStringLiteral("Parse.wvi")));
}

void tst_PageRetriever::cleanup()
{
    m_program.reset();
    m_server.reset();
    m_dir.reset();
}

void tst_PageRetriever::supportedPageYieldsItsAddress_data()
{
    QTest::addColumn<int>("iPage");
    const QList<SitePage> pages = SitePages(QString());
    for (int i = 0; i < pages.size(); ++i)
        QTest::newRow(pages.at(i).sName) << i;
}

void tst_PageRetriever::supportedPageYieldsItsAddress()
{
    QFETCH(int, iPage);
    // The pages' addresses carry the site's domain in their path, under the
    // server's own address, known only now.
    const SitePage site = SitePages(m_server->Url(QStringLiteral("/"))).at(iPage);
    m_server->SetRoute(RequestTarget(site.A), HttpTestServer::Ok(site.page, "text/html"));
    HttpTestServer::Response redirect;
    redirect.rawAnswer =
        "HTTP/1.1 303 See Other\r\nLocation: http://127.0.0.1/swf/p.swf?video_id=abc&t=xyz\r\n\r\n";
    m_server->SetRoute(QStringLiteral("/v/abc&hl=en"), redirect);
    const QString sExpected = site.iSite == modDownload::siteYoutube
        ? QStringLiteral("http://127.0.0.1/get_video?video_id=abc&t=xyz")
        : site.sExpected;

    QCOMPARE(m_program->pages.GetDownloadLink(site.A), sExpected);
    QCOMPARE(ReadFile(m_sScratch), site.page);
    // The rules' own sites get the agent the rules were written for.
    const QByteArray target = " " + RequestTarget(site.A).toUtf8() + " ";
    for (const QByteArray &head : m_server->RequestHeads()) {
        if (head.left(head.indexOf('\r')).contains(target))
            QVERIFY2(head.contains("\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows "
                                   "NT; DigExt)\r\n"),
                     head.constData());
    }
    QVERIFY(m_program->messages.shown.isEmpty());
}

void tst_PageRetriever::unsupportedAddressFetchesNothing()
{
    WriteFile(m_sScratch, "an earlier page");
    QCOMPARE(m_program->pages.GetDownloadLink(m_server->Url(QStringLiteral("/example.org/watch"))),
             QStringLiteral("-1"));
    QVERIFY(m_server->RequestHeads().isEmpty());
    QCOMPARE(ReadFile(m_sScratch), QByteArray("an earlier page"));
}

void tst_PageRetriever::unreachableHostIsAFetchFailure()
{
    QCOMPARE(m_program->pages.GetDownloadLink(QStringLiteral("http://www.youtube.com.invalid/watch?v=1")),
             QStringLiteral("-2"));
    QCOMPARE(m_program->handlers.sDownloadResult(), QStringLiteral("Could not find Url"));
}

void tst_PageRetriever::pageWithoutMarkerGivesZero()
{
    const QString sLink = m_server->Url(QStringLiteral("/break.com/index/cat.html"));
    m_server->SetRoute(RequestTarget(sLink), HttpTestServer::Ok("<html>no file here</html>", "text/html"));
    QCOMPARE(m_program->pages.GetDownloadLink(sLink), QStringLiteral("0"));
}

void tst_PageRetriever::youtubeRedirectWithoutAnswerKeepsTheAddress_data()
{
    QTest::addColumn<int>("iServer"); // how the redirect's server behaves: RedirectServer
    QTest::addColumn<QString>("sCode");
    QTest::addColumn<int>("iMessages"); // boxes shown by one resolution

    // A network failure says nothing about the page: the item keeps its
    // address and can be tried again.
    QTest::newRow("connection refused")
        << int(RedirectServer::Refused) << QStringLiteral("-2") << 1;
    QTest::newRow("silent until the time limit")
        << int(RedirectServer::Silent) << QStringLiteral("-2") << 0;
    QTest::newRow("hangs up without answering")
        << int(RedirectServer::HangsUp) << QStringLiteral("-2") << 0;
    // An answer without a redirect is the page's fault.
    QTest::newRow("answer without a redirect")
        << int(RedirectServer::NoRedirect) << QStringLiteral("0") << 0;
}

void tst_PageRetriever::youtubeRedirectWithoutAnswerKeepsTheAddress()
{
    QFETCH(int, iServer);
    QFETCH(QString, sCode);
    QFETCH(int, iMessages);

    const QList<SitePage> pages = SitePages(m_server->Url(QStringLiteral("/")));
    const auto found = std::find_if(pages.cbegin(), pages.cend(), [](const SitePage &page) {
        return page.iSite == modDownload::siteYoutube;
    });
    QVERIFY(found != pages.cend());
    const SitePage &youtube = *found;
    m_server->SetRoute(RequestTarget(youtube.A), HttpTestServer::Ok(youtube.page, "text/html"));
    HttpTestServer::Response redirect;
    redirect.neverAnswer = iServer == RedirectServer::Silent;
    redirect.closeWithoutAnswer = iServer == RedirectServer::HangsUp;
    if (iServer == RedirectServer::NoRedirect)
        redirect.rawAnswer = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n";
    m_server->SetRoute(QStringLiteral("/v/abc&hl=en"), redirect);
    m_program->resolver.SetTimeLimitMs(300);
    if (iServer == RedirectServer::Refused) {
        // A port that was free a moment ago refuses the connection.
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        m_program->resolver.SetPort(probe.serverPort());
    }

    QCOMPARE(m_program->pages.GetDownloadLink(youtube.A), sCode);
    QCOMPARE(m_program->messages.shown.size(), iMessages);
    for (const ScriptedMessageBox::Shown &box : std::as_const(m_program->messages.shown))
        QVERIFY(box.sText.startsWith(QLatin1StringView("Connection Error,")));

    // The same through a run: the item fails and, after a network failure,
    // keeps the address of its page.
    DownloadSession &session = m_program->session;
    session.Settings().sDownloadDir = m_dir->path();
    session.Queue().SetConnectivityTest([] { return true; });
    session.Adder().AddURL(youtube.A);
    session.Queue().cmdStartDownload_Click();
    const DownloadItem &item = session.ListStore().Items().at(0);
    QCOMPARE(item.Status, QStringLiteral("ERROR"));
    if (sCode == QLatin1StringView("-2")) {
        QCOMPARE(item.Video_URL, youtube.A);
        QCOMPARE(item.FileName, QStringLiteral("Waiting (Auto Detect)"));
    } else {
        QCOMPARE(item.Video_URL,
                 QStringLiteral("Video may be inappropriate and can not be downloaded"));
        QCOMPARE(item.FileName, QStringLiteral("Process failed."));
    }
}

void tst_PageRetriever::readOnlyScratchFromBeforeIsReplaced()
{
    // Longer than the new page: a file that was written over rather than
    // replaced would keep this tail.
    WriteFile(m_sScratch, QByteArray(5000, '#'));
    QVERIFY(QFile::setPermissions(m_sScratch, QFileDevice::ReadOwner | QFileDevice::ReadUser));

    const QByteArray page = "<embed src='http://www.thatvideosite.com/flv/a.flv' width=1>";
    const QString sLink = m_server->Url(QStringLiteral("/thatvideosite.com/video/1"));
    m_server->SetRoute(RequestTarget(sLink), HttpTestServer::Ok(page, "text/html"));

    QCOMPARE(m_program->pages.GetDownloadLink(sLink), QStringLiteral("http://www.thatvideosite.com/flv/a.flv"));
    QCOMPARE(ReadFile(m_sScratch), page);
}

void tst_PageRetriever::fetchingFlagIsSetOnlyDuringTheFetch()
{
    const QString sLink = m_server->Url(QStringLiteral("/blip.tv/file/9"));
    m_server->SetRoute(RequestTarget(sLink), HttpTestServer::Ok(QByteArray(10000, 'x'), "text/html"));
    QList<bool> seen;
    connect(&m_program->download, &Download::DownloadProgress, this,
            [this, &seen] { seen.append(m_program->handlers.bFetchingPage()); });

    QCOMPARE(m_program->pages.GetDownloadLink(sLink), QStringLiteral("0"));
    QVERIFY(!seen.isEmpty());
    QVERIFY(!seen.contains(false));
    QVERIFY(!m_program->handlers.bFetchingPage());
}

void tst_PageRetriever::programsKeepTheirOwnScratchPages()
{
    OwnDataHome home;
    QVERIFY(home.IsValid());
    auto first = std::make_unique<Program>();
    auto second = std::make_unique<Program>();
    // Pages of several blocks, so that the second program's whole fetch fits
    // between two blocks of the first one's.
    const QByteArray firstPage = QByteArray(20000, ' ') + "<embed src=\"http://x/first.flv\">";
    const QByteArray secondPage = QByteArray(30000, ' ') + "<embed src=\"http://x/second.flv\">";
    const QString sFirst = m_server->Url(QStringLiteral("/angryalien.com/first.html"));
    const QString sSecond = m_server->Url(QStringLiteral("/angryalien.com/second.html"));
    m_server->SetRoute(RequestTarget(sFirst), HttpTestServer::Ok(firstPage, "text/html"));
    m_server->SetRoute(RequestTarget(sSecond), HttpTestServer::Ok(secondPage, "text/html"));

    QString sSecondLink;
    connect(&first->download, &Download::DownloadProgress, this, [&] {
        if (sSecondLink.isNull())
            sSecondLink = second->pages.GetDownloadLink(sSecond);
    });
    QCOMPARE(first->pages.GetDownloadLink(sFirst), QStringLiteral("http://x/first.flv"));
    QCOMPARE(sSecondLink, QStringLiteral("http://x/second.flv"));

    const QString sFirstScratch = first->pages.ScratchPath();
    const QString sSecondScratch = second->pages.ScratchPath();
    QVERIFY(sFirstScratch != sSecondScratch);
    QCOMPARE(ReadFile(sFirstScratch), firstPage);
    QCOMPARE(ReadFile(sSecondScratch), secondPage);
    QCOMPARE(home.Left().size(), 2);

    // Each page goes with its owner, and only its own.
    const QString sFirstFolder = QFileInfo(sFirstScratch).path();
    first.reset();
    QVERIFY(!QFileInfo::exists(sFirstFolder));
    QCOMPARE(ReadFile(sSecondScratch), secondPage);
    second.reset();
    QCOMPARE(home.Left(), QStringList());
}

void tst_PageRetriever::pageIsReadUpToTheByteLimit_data()
{
    QTest::addColumn<qint64>("lMarkerAt");
    QTest::addColumn<QString>("sExpected");
    const qint64 lLimit = PageRetriever::kPageByteLimit;
    // The rule runs on the part that was read, as on any page.
    QTest::newRow("address within the limit") << lLimit - 100 << QStringLiteral("http://x/in.flv");
    QTest::newRow("address only past the limit") << lLimit + 100 << QStringLiteral("0");
}

void tst_PageRetriever::pageIsReadUpToTheByteLimit()
{
    QFETCH(qint64, lMarkerAt);
    QFETCH(QString, sExpected);
    const qint64 lLimit = PageRetriever::kPageByteLimit;
    OwnDataHome home;
    QVERIFY(home.IsValid());

    // Half as large again as the limit, served from disk so that the test's
    // own server does not count in the memory measured.
    QTemporaryDir served;
    QVERIFY(served.isValid());
    const QString sBody = served.filePath(QStringLiteral("page.html"));
    {
        QFile body(sBody);
        QVERIFY(body.open(QIODevice::WriteOnly));
        const QByteArray marker = "<embed src=\"http://x/in.flv\">";
        QByteArray block(1024 * 1024, ' ');
        for (qint64 lAt = 0; lAt < lLimit * 3 / 2; lAt += block.size()) {
            QByteArray piece = block;
            if (lMarkerAt >= lAt && lMarkerAt < lAt + block.size())
                piece.replace(lMarkerAt - lAt, marker.size(), marker);
            QCOMPARE(body.write(piece), qint64(piece.size()));
        }
    }
    HttpTestServer::Response page;
    page.headers = {{"Content-Type", "text/html"}};
    page.bodyFile = sBody;
    const QString sLink = m_server->Url(QStringLiteral("/angryalien.com/huge.html"));
    m_server->SetRoute(RequestTarget(sLink), page);

    auto program = std::make_unique<Program>();
    ResetPeakMemory();
    QCOMPARE(program->pages.GetDownloadLink(sLink), sExpected);
    const qint64 llPeak = PeakMemoryKiB();

    const QString sScratch = program->pages.ScratchPath();
    QCOMPARE(QFileInfo(sScratch).size(), lLimit);
    QVERIFY(!QFileInfo::exists(sScratch + QLatin1StringView(".part")));
    program.reset();
    QVERIFY(!QFileInfo::exists(sScratch));
    QCOMPARE(home.Left(), QStringList());
#ifdef CLIPVANE_SANITIZED
    QSKIP("peak memory under the sanitizers measures their shadow memory and quarantine");
#endif
    QVERIFY2(llPeak < 200 * 1024, qPrintable(QString::number(llPeak) + " KiB"));
}

QTEST_GUILESS_MAIN(tst_PageRetriever)
#include "tst_pageretriever.moc"
