#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "core/skinvariables.h"
#include "httptestserver.h"
#include "list/idownloadgrid.h"
#include "net/download.h"
#include "net/youtuberesolver.h"
#include "scriptedmessagebox.h"
#include "session/downloadeventhandlers.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "sitepages.h"
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

// The path and query of an address, as the server sees them in its request line.
QString RequestTarget(const QString &sAddress)
{
    return QUrl(sAddress).toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::FullyEncoded);
}

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
    void readOnlyScratchFromBeforeIsReplaced();
    void fetchingFlagIsSetOnlyDuringTheFetch();

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

QTEST_GUILESS_MAIN(tst_PageRetriever)
#include "tst_pageretriever.moc"
