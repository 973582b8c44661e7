#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <functional>
#include <memory>

#include "core/partfile.h"
#include "core/partorigin.h"
#include "core/skinvariables.h"
#include "httptestserver.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"
#include "list/listcommands.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "net/download.h"
#include "scriptedmessagebox.h"
#include "session/downloadqueue.h"
#include "session/downloadsession.h"
#include "session/pageretriever.h"
#include "session/runpresenter.h"
#include "session/transferretry.h"
#include "settings/programsettings.h"

namespace {

QByteArray Bytes(int iSize, char cSeed)
{
    QByteArray data(iSize, Qt::Uninitialized);
    for (int i = 0; i < iSize; ++i)
        data[i] = static_cast<char>(cSeed + i % 61);
    return data;
}

} // namespace

// Pages and files served on 127.0.0.1, run through the whole queue.
class tst_DownloadQueue : public QObject
{
    Q_OBJECT

private:
    // A page of the site whose rule takes the address of the embedded movie.
    QString ServeVideo(const QString &sName, const HttpTestServer::Response &file)
    {
        return ServePage(sName, QStringLiteral("/files/%1.flv").arg(sName), file);
    }

    QString ServeVideo(const QString &sName, const QByteArray &content)
    {
        return ServeVideo(sName, HttpTestServer::Ok(content, "video/x-flv"));
    }

    // A page of that site whose movie is the answer file at sFilePath.
    QString ServePage(const QString &sName, const QString &sFilePath,
                      const HttpTestServer::Response &file)
    {
        m_server.SetRoute(sFilePath, file);
        const QString sPagePath = QStringLiteral("/angryalien.com/%1.html").arg(sName);
        m_server.SetRoute(sPagePath, HttpTestServer::Ok(QByteArray("<html><embed src=\"")
                                                             + m_server.Url(sFilePath).toLatin1()
                                                             + "\" width=400></html>",
                                                         "text/html"));
        return m_server.Url(sPagePath);
    }

    // An answer of the file that names its version (ETag and/or
    // Last-Modified), serves ranges of it, and breaks off after cutAfter
    // bytes unless that is -1.
    static HttpTestServer::Response Version(const QByteArray &body, const QByteArray &eTag,
                                            const QByteArray &lastModified, qint64 cutAfter = -1,
                                            bool bRanges = true)
    {
        HttpTestServer::Response answer = HttpTestServer::Ok(body, "video/x-flv");
        if (!eTag.isEmpty())
            answer.headers.append({"ETag", eTag});
        if (!lastModified.isEmpty())
            answer.headers.append({"Last-Modified", lastModified});
        answer.cutAfter = cutAfter;
        answer.honourRange = bRanges;
        return answer;
    }

    static HttpTestServer::Response Status(const QByteArray &statusLine,
                                           const QByteArray &retryAfter = QByteArray())
    {
        HttpTestServer::Response answer;
        answer.statusLine = statusLine;
        if (!retryAfter.isEmpty())
            answer.headers.append({"Retry-After", retryAfter});
        return answer;
    }

    // A file that takes seconds to arrive.
    static HttpTestServer::Response Trickling(int iBytes)
    {
        HttpTestServer::Response slow = HttpTestServer::Ok(Bytes(iBytes, 't'), "video/x-flv");
        slow.trickleBytes = 8192;
        slow.trickleIntervalMs = 20;
        return slow;
    }

    QString DownloadPath(const QString &sFileName) const
    {
        return QDir(m_downloads->path()).filePath(sFileName);
    }

    // clipvane-get's environment: a home of the test's own, so that it
    // neither reads the developer's settings nor leaves anything behind.
    QProcessEnvironment ChildEnvironment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QDir home(m_home->path());
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
        // Reasons in the system's words, in English.
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        return environment;
    }

    // clipvane-get downloading sUrl into the test's download directory.
    void StartGet(QProcess &get, const QString &sUrl) const
    {
        get.setProcessEnvironment(ChildEnvironment());
        get.start(QStringLiteral(CLIPVANE_GET_PATH),
                  {QStringLiteral("--dir"), m_downloads->path(),
                   QStringLiteral("--skip-connection-check"), sUrl});
    }

    // Waits until clipvane-get reports that its first item's file has some of
    // its bytes on disk; what it wrote to standard error is added to errors.
    static bool TransferHasBegun(QProcess &get, QByteArray &errors, const QString &sFileName)
    {
        const QRegularExpression progress(QStringLiteral("\\[1\\] [1-9][0-9]*%  ")
                                          + QRegularExpression::escape(sFileName) + '\n');
        return QTest::qWaitFor([&] {
            errors += get.readAllStandardError();
            return progress.match(QString::fromLocal8Bit(errors)).hasMatch();
        }, 30000);
    }

    QByteArray Downloaded(const QString &sFileName) const
    {
        QFile file(QDir(m_downloads->path()).filePath(sFileName));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    const DownloadItem &Item(int i) const { return m_session->ListStore().Items().at(i); }

    void Add(const QString &sUrl) { m_session->Adder().AddURL(sUrl); }

    // At the first progress signal that bWhen accepts, the user presses the
    // button again and confirms the stop.
    bool &ConfirmStopAtFirstProgress(std::function<bool()> bWhen)
    {
        m_bStopAsked = false;
        connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [this, bWhen] {
            if (m_bStopAsked || !bWhen())
                return;
            m_bStopAsked = true;
            m_messages.answerToQuestions = IMessageBox::Answer::Yes;
            m_session->Queue().cmdStartDownload_Click();
            m_messages.answerToQuestions = IMessageBox::Answer::No;
        });
        return m_bStopAsked;
    }

    // Body bytes of the answers to this test's GETs for sPath. Qt itself
    // sends a request again, unasked, when its connection closes at some
    // moments; such a copy (the same Range as the request before it) is
    // left out: the program cannot know of it.
    qint64 BytesSentFor(const QString &sPath) const
    {
        const QList<QByteArray> heads = m_server.RequestHeads();
        const QList<qint64> bytes = m_server.BodyBytesPerRequest();
        const QByteArray line = "GET " + sPath.toLatin1() + " ";
        QByteArray previous;
        qint64 lSent = 0;
        for (qsizetype i = m_iRequestsBefore; i < heads.size(); ++i) {
            if (!heads.at(i).startsWith(line))
                continue;
            if (heads.at(i) != previous || !heads.at(i).contains("\r\nRange: "))
                lSent += bytes.at(i);
            previous = heads.at(i);
        }
        return lSent;
    }

    // How often a GET for sPath has reached the server since this test began.
    int Requests(const QString &sPath) const
    {
        const QByteArray line = "GET " + sPath.toLatin1() + " ";
        int iCount = 0;
        for (const QByteArray &head : m_server.RequestHeads().mid(m_iRequestsBefore))
            iCount += head.startsWith(line) ? 1 : 0;
        return iCount;
    }

    // What the list's editing commands do: change the list through the
    // store, rebuild, and find the run's row again.
    void EditList(const std::function<void(DownloadListStore &)> &edit)
    {
        edit(m_session->ListStore());
        m_session->ListStore().FillDownloadList();
        if (m_session->Run().bDownloading())
            m_session->Run().FindCurrentRow();
    }

    HttpTestServer m_server;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<QTemporaryDir> m_downloads;
    std::unique_ptr<QTemporaryDir> m_home;
    HeadlessDownloadGrid m_grid;
    ScriptedMessageBox m_messages;
    std::unique_ptr<SkinVariables> m_skin;
    std::unique_ptr<DownloadSession> m_session;
    bool m_bStopAsked = false;
    qsizetype m_iRequestsBefore = 0;

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void emptyListAsksForAddresses();
    void noConnectionStartsNothing();
    void runSkipsFinishedItemsAndDownloadsTheRest();
    void unresolvedItemsSayWhy();
    void retriedUnresolvedItemIsNamedAnew();
    void unknownLengthShowsBytesSoFar();
    void failedTransfersEndInError_data();
    void failedTransfersEndInError();
    void onlyAWholeFileAnswerCompletes_data();
    void onlyAWholeFileAnswerCompletes();
    void takenNamesAreNeverReplaced_data();
    void takenNamesAreNeverReplaced();
    void sameSuggestedNameIsNumbered_data();
    void sameSuggestedNameIsNumbered();
    void stopDuringATransferCancelsThatItemOnly();
    void stopDuringAPageFetchFetchesNoMore();
    void stopAtTheEndCancelsOnlyAnUncommittedFile_data();
    void stopAtTheEndCancelsOnlyAnUncommittedFile();
    void partsBelongToTheirItems_data();
    void partsBelongToTheirItems();
    void resolvedAddressBytesAreRequestedAsTheyAre_data();
    void resolvedAddressBytesAreRequestedAsTheyAre();
    void unwritableLocalFileEndsInError();
    void itemAddedDuringTheLastTransferIsDownloaded();
    void editsDuringATransferKeepTheRunOnItsItem_data();
    void editsDuringATransferKeepTheRunOnItsItem();
    void startDuringAStoppedRunWaitsForItsEnd();
    void brokenTransfersResumeAndPassingFailuresRetry_data();
    void brokenTransfersResumeAndPassingFailuresRetry();
    void abandonedRunGivesUpAtOnce_data();
    void abandonedRunGivesUpAtOnce();
    void commandLineFrontEndDownloadsAndReports();
    void killedFrontEndLeavesNothingUnderTheName_data();
    void killedFrontEndLeavesNothingUnderTheName();
    void frontEndKeepsAFolderUnderTheName_data();
    void frontEndKeepsAFolderUnderTheName();
    void frontEndContinuesWhatAnEarlierRunKept_data();
    void frontEndContinuesWhatAnEarlierRunKept();
    void runReachesItemsListedDuringIt_data();
    void runReachesItemsListedDuringIt();
    void pageWithoutAVideoKeepsItsAddress_data();
    void pageWithoutAVideoKeepsItsAddress();
    void failuresNameTheirCause_data();
    void failuresNameTheirCause();
    void transferTellsHowItGoesAndWhatItKept();
    void runTipTellsTheWholeRun_data();
    void runTipTellsTheWholeRun();
};

void tst_DownloadQueue::initTestCase()
{
    QVERIFY(m_server.Start());
}

void tst_DownloadQueue::init()
{
    m_scratch = std::make_unique<QTemporaryDir>();
    m_downloads = std::make_unique<QTemporaryDir>();
    m_home = std::make_unique<QTemporaryDir>();
    m_messages.shown.clear();
    m_iRequestsBefore = m_server.RequestHeads().size();
    m_skin = std::make_unique<SkinVariables>();
    m_session = std::make_unique<DownloadSession>(m_grid, m_messages, *m_skin);
    m_session->Settings().sDownloadDir = m_downloads->path();
    m_session->Pages().SetScratchDir(m_scratch->path());
    m_session->Queue().SetConnectivityTest([] { return true; });
    // The planned waits are what the tests look at; they pass in no time.
    m_session->Retry().SetTimeScale(0.001);
}

void tst_DownloadQueue::cleanup()
{
    m_session.reset();
    m_skin.reset();
}

void tst_DownloadQueue::emptyListAsksForAddresses()
{
    m_skin->SetVariable(QStringLiteral("_root.startDownload"), QStringLiteral("0"));
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(m_skin->GetVariable(QStringLiteral("_root.startDownload")), QStringLiteral("1"));
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown.at(0).icon, IMessageBox::Icon::Exclamation);
    QCOMPARE(m_messages.shown.at(0).sTitle, QStringLiteral("Empty List"));
    QCOMPARE(m_messages.shown.at(0).sText, QStringLiteral("Please add video URL's first."));
    QCOMPARE(m_session->Presenter().cmdStartDownloadCaption(), QStringLiteral("Start Downloading"));
}

void tst_DownloadQueue::noConnectionStartsNothing()
{
    Add(ServeVideo(QStringLiteral("offline"), Bytes(100, 'a')));
    m_session->Queue().SetConnectivityTest([] { return false; });
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown.at(0).sText,
             QStringLiteral("You are not connected to the internet, Please connect first then "
                            "try again"));
    QCOMPARE(m_session->Presenter().cmdStartDownloadCaption(), QStringLiteral("Start Downloading"));
    QCOMPARE(m_session->Presenter().mnuDownloadCaption(), QStringLiteral("Start Downloading"));
    QCOMPARE(Item(0).Status, QStringLiteral("Waiting"));
}

void tst_DownloadQueue::runSkipsFinishedItemsAndDownloadsTheRest()
{
    const QByteArray first = Bytes(5000, 'a');
    const QByteArray third = Bytes(7000, 'c');
    Add(ServeVideo(QStringLiteral("one"), first));
    Add(ServeVideo(QStringLiteral("two"), Bytes(10, 'b')));
    Add(ServeVideo(QStringLiteral("three"), third));
    DownloadListStore &store = m_session->ListStore();
    store.Finish(store.ItemAt(1)->uSerial, ItemState::Complete);

    QStringList variables;
    connect(m_skin.get(), &SkinVariables::VariableSet, this,
            [&](const QString &sName, const QString &sValue) { variables << sName + '=' + sValue; });
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(0).FileName, QStringLiteral("one.flv"));
    QCOMPARE(Item(0).FileSize, QStringLiteral("4.9 KB"));
    QCOMPARE(Downloaded(QStringLiteral("one.flv")), first);
    QCOMPARE(Item(1).FileName, QStringLiteral("Waiting (Auto Detect)"));
    QCOMPARE(Item(2).Status, QStringLiteral("Complete"));
    QCOMPARE(Downloaded(QStringLiteral("three.flv")), third);
    QVERIFY(!QFile::exists(QDir(m_downloads->path()).filePath(QStringLiteral("two.flv"))));

    QCOMPARE(variables, QStringList({"_root.downloadBtn=0", "_root.startDownload=0",
                                     "_root.downloadTab=0", "_root.startDownload=1",
                                     "_root.downloadBtn=1", "_root.downloadTab=1"}));
    QCOMPARE(m_session->Presenter().cmdStartDownloadCaption(), QStringLiteral("Start Downloading"));
    QVERIFY(!m_session->Run().bDownloading());
    QVERIFY(m_messages.shown.isEmpty());
}

void tst_DownloadQueue::unresolvedItemsSayWhy()
{
    m_server.SetRoute(QStringLiteral("/angryalien.com/empty.html"),
                      HttpTestServer::Ok("<html>no movie here</html>", "text/html"));
    Add(QStringLiteral("http://example.org/not-a-video-site"));
    Add(m_server.Url(QStringLiteral("/angryalien.com/empty.html")));
    Add(QStringLiteral("http://host.invalid/angryalien.com/x.html"));
    m_session->Queue().cmdStartDownload_Click();

    // The list said so when it was added; the run tries it all the same.
    QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
    QCOMPARE(Item(0).FileName, QStringLiteral("Un supported link"));
    QCOMPARE(Item(1).Status, QStringLiteral("ERROR"));
    QCOMPARE(Item(1).FileName, QStringLiteral("Process failed."));
    QCOMPARE(Item(1).Video_URL,
             QStringLiteral("Video may be inappropriate and can not be downloaded"));
    QCOMPARE(Item(2).Status, QStringLiteral("ERROR"));
    QCOMPARE(Item(2).FileName, QStringLiteral("Waiting (Auto Detect)"));
}

void tst_DownloadQueue::retriedUnresolvedItemIsNamedAnew()
{
    const QString sPage = m_server.Url(QStringLiteral("/angryalien.com/later.html"));
    m_server.SetRoute(QStringLiteral("/angryalien.com/later.html"),
                      HttpTestServer::Ok("<html>not yet</html>", "text/html"));
    Add(sPage);
    m_session->Queue().cmdStartDownload_Click();
    QCOMPARE(Item(0).FileName, QStringLiteral("Process failed."));

    // The page names its movie now; the item is tried again from its page.
    ServeVideo(QStringLiteral("later"), Bytes(500, 'l'));
    m_session->ListStore().SetVideo_URL(Item(0).uSerial, sPage);
    m_grid.SetRowSelected(0);
    ListCommands(m_session->ListStore(), m_session->Run()).RetrySelected();
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(0).FileName, QStringLiteral("later.flv"));
    QCOMPARE(Downloaded(QStringLiteral("later.flv")), Bytes(500, 'l'));
}

void tst_DownloadQueue::unknownLengthShowsBytesSoFar()
{
    HttpTestServer::Response file = HttpTestServer::Ok(Bytes(1536 * 1024, 'z'), "video/x-flv");
    file.addContentLength = false;
    Add(ServeVideo(QStringLiteral("nolength"), file));

    QStringList statuses;
    connect(&m_session->TransferControl(), &Download::DownloadProgress, this,
            [&] { statuses << Item(0).Status; });
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).FileSize, QStringLiteral("0"));
    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Downloaded(QStringLiteral("nolength.flv")).size(), 1536 * 1024);
    QVERIFY(statuses.contains(QStringLiteral("1.5 MB so far..")));
    QVERIFY(statuses.contains(QStringLiteral("2 KB so far..")));
}

void tst_DownloadQueue::failedTransfersEndInError_data()
{
    QTest::addColumn<QByteArray>("statusLine");
    QTest::addColumn<bool>("bLength");
    QTest::addColumn<qint64>("llCutAfter");

    QTest::newRow("body cut short") << QByteArray("HTTP/1.1 200 OK") << true << qint64(3000);
    // A length, so the size text looks fine: only the status tells.
    QTest::newRow("server error page") << QByteArray("HTTP/1.1 500 Internal Server Error") << true
                                       << qint64(-1);
}

void tst_DownloadQueue::failedTransfersEndInError()
{
    QFETCH(QByteArray, statusLine);
    QFETCH(bool, bLength);
    QFETCH(qint64, llCutAfter);

    HttpTestServer::Response file = HttpTestServer::Ok(Bytes(9000, 'q'), "video/x-flv");
    file.statusLine = statusLine;
    file.addContentLength = bLength;
    file.cutAfter = llCutAfter;
    Add(ServeVideo(QStringLiteral("broken"), file));
    Add(ServeVideo(QStringLiteral("fine"), Bytes(100, 'f')));
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
    QCOMPARE(Item(1).Status, QStringLiteral("Complete"));
}

void tst_DownloadQueue::onlyAWholeFileAnswerCompletes_data()
{
    QTest::addColumn<QByteArray>("headStatusLine"); // empty: HEAD gets no answer at all
    QTest::addColumn<bool>("bHeadLength");
    QTest::addColumn<QByteArray>("getStatusLine");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<bool>("bGetLength");
    QTest::addColumn<QString>("sStatus");
    QTest::addColumn<bool>("bFileKept");
    QTest::addColumn<QString>("sFileSize");
    QTest::addColumn<QString>("sReason"); // what ItemFailed says; empty when it stays silent

    const QByteArray ok("HTTP/1.1 200 OK");
    const QByteArray file = Bytes(5000, 'h');
    const QString sComplete = QStringLiteral("Complete");
    const auto nothingSaved = [](const char *pAnswer) {
        return QStringLiteral("The server answered %1")
            .arg(QLatin1StringView(pAnswer));
    };
    const QString sError = QStringLiteral("ERROR");
    // Servers that refuse HEAD still send the file to GET; the size comes
    // from the GET then, and a HEAD error page's length is no file's size.
    QTest::newRow("HEAD 404 without length, GET 200")
        << QByteArray("HTTP/1.1 404 Not Found") << false << ok << file << true << sComplete
        << true << QStringLiteral("4.9 KB") << QString();
    QTest::newRow("HEAD 405 with its page's length, GET 200")
        << QByteArray("HTTP/1.1 405 Method Not Allowed") << true << ok << file << true
        << sComplete << true << QStringLiteral("4.9 KB") << QString();
    QTest::newRow("HEAD unanswered, GET 200 without length")
        << QByteArray() << false << ok << file << false << sComplete << true
        << QStringLiteral("4.9 KB") << QString();
    // Answers that are not the file write nothing under its name.
    QTest::newRow("GET 204") << QByteArray("HTTP/1.1 204 No Content") << false
                             << QByteArray("HTTP/1.1 204 No Content") << QByteArray() << false
                             << sError << false << QStringLiteral("0")
                             << nothingSaved("204 No Content");
    QTest::newRow("GET 304") << QByteArray("HTTP/1.1 304 Not Modified") << false
                             << QByteArray("HTTP/1.1 304 Not Modified") << QByteArray() << false
                             << sError << false << QStringLiteral("0")
                             << nothingSaved("304 Not Modified");
    QTest::newRow("GET 404") << QByteArray("HTTP/1.1 404 Not Found") << false
                             << QByteArray("HTTP/1.1 404 Not Found") << QByteArray("no such video")
                             << true << sError << false << QStringLiteral("-1 Bytes")
                             << nothingSaved("404 Not Found");
}

void tst_DownloadQueue::onlyAWholeFileAnswerCompletes()
{
    QFETCH(QByteArray, headStatusLine);
    QFETCH(bool, bHeadLength);
    QFETCH(QByteArray, getStatusLine);
    QFETCH(QByteArray, body);
    QFETCH(bool, bGetLength);
    QFETCH(QString, sStatus);
    QFETCH(bool, bFileKept);
    QFETCH(QString, sFileSize);
    QFETCH(QString, sReason);

    HttpTestServer::Response get = HttpTestServer::Ok(body, "video/x-flv");
    get.statusLine = getStatusLine;
    get.addContentLength = bGetLength;
    HttpTestServer::Response head = HttpTestServer::Ok("refused", "text/html");
    head.statusLine = headStatusLine;
    head.addContentLength = bHeadLength;
    head.closeWithoutAnswer = headStatusLine.isEmpty();
    m_server.SetHeadRoute(QStringLiteral("/files/answer.flv"), head);
    Add(ServeVideo(QStringLiteral("answer"), get));

    QStringList reasons;
    connect(&m_session->Queue(), &DownloadQueue::ItemFailed, this,
            [&](int, const QString &sWhy) { reasons << sWhy; });
    // The window shows no reason: the log keeps it.
    if (!sReason.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QRegularExpression::escape(sReason) + u'$'));
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, sStatus);
    QCOMPARE(Item(0).FileName, QStringLiteral("answer.flv"));
    QCOMPARE(Item(0).FileSize, sFileSize);
    const QString sFinal = DownloadPath(QStringLiteral("answer.flv"));
    if (bFileKept)
        QCOMPARE(Downloaded(QStringLiteral("answer.flv")), body);
    else
        QVERIFY(!QFileInfo::exists(sFinal));
    QVERIFY(!QFileInfo::exists(PartFile::PartPathFor(sFinal)));
    QCOMPARE(reasons, sReason.isEmpty() ? QStringList() : QStringList{sReason});
    // The window shows the reason as the Status cell's tool tip; a cell
    // without one has a tip only where the grid draws its text cut.
    const DownloadViewModel *pView = m_session->ListStore().rsDownloadView();
    QCOMPARE(pView->index(0, DownloadViewModel::colStatus).data(Qt::ToolTipRole).toString(),
             sReason);
}

void tst_DownloadQueue::takenNamesAreNeverReplaced_data()
{
    QTest::addColumn<QString>("sTyped");    // the name the user gave; empty: the server's
    QTest::addColumn<QString>("sOnDisk");   // "file", "link" or "folder" under that name
    QTest::addColumn<QString>("sExpected"); // the name the item ends with
    QTest::newRow("the user's own file, typed name")
        << "my movie.flv" << "file" << "my movie (2).flv";
    // As a file this program saved before a restart.
    QTest::newRow("a file under the server's name") << "" << "file" << "taken (2).flv";
    QTest::newRow("a link to nothing") << "" << "link" << "taken (2).flv";
    QTest::newRow("a folder") << "" << "folder" << "taken (2).flv";
    QTest::newRow("a file made during the transfer") << "" << "file later" << "taken (2).flv";
}

void tst_DownloadQueue::takenNamesAreNeverReplaced()
{
    QFETCH(QString, sTyped);
    QFETCH(QString, sOnDisk);
    QFETCH(QString, sExpected);
    const QByteArray content = Bytes(3000, 'n');
    const QByteArray old(10000, 'X');
    Add(ServeVideo(QStringLiteral("taken"), sOnDisk == "file later" ? Trickling(64 * 1024)
                                                                    : HttpTestServer::Ok(content, "video/x-flv")));
    if (!sTyped.isEmpty())
        m_session->ListStore().SetFileName(Item(0).uSerial, sTyped);
    const QString sPath = DownloadPath(sTyped.isEmpty() ? QStringLiteral("taken.flv") : sTyped);
    auto writeOld = [&] {
        QFile file(sPath);
        return file.open(QIODevice::WriteOnly) && file.write(old) == old.size();
    };
    if (sOnDisk == "file")
        QVERIFY(writeOld());
    if (sOnDisk == "link")
        QVERIFY(QFile::link(DownloadPath(QStringLiteral("nowhere")), sPath));
    if (sOnDisk == "folder")
        QVERIFY(QDir().mkpath(sPath));
    bool bWritten = false;
    if (sOnDisk == "file later") {
        connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [&] {
            if (!bWritten && !Item(0).Status.startsWith(QLatin1String("Preparing")))
                bWritten = writeOld();
        });
    }

    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(0).FileName, sExpected);
    QCOMPARE(Downloaded(sExpected).size(), sOnDisk == "file later" ? 64 * 1024 : content.size());
    if (sOnDisk.startsWith("file"))
        QCOMPARE(Downloaded(QFileInfo(sPath).fileName()), old);
    QCOMPARE(QFileInfo(sPath).isSymLink(), sOnDisk == "link");
    QCOMPARE(QFileInfo(sPath).isDir(), sOnDisk == "folder");
}

void tst_DownloadQueue::sameSuggestedNameIsNumbered_data()
{
    QTest::addColumn<bool>("bSeparateRuns");
    QTest::newRow("one run") << false;
    QTest::newRow("a later run") << true;
}

void tst_DownloadQueue::sameSuggestedNameIsNumbered()
{
    QFETCH(bool, bSeparateRuns);
    // Two different files whose server names both "clip.mp4".
    auto named = [](const QByteArray &content) {
        HttpTestServer::Response file = HttpTestServer::Ok(content, "video/mp4");
        file.headers += qMakePair(QByteArray("Content-Disposition"),
                                  QByteArray("attachment; filename=\"clip.mp4\""));
        return file;
    };
    const QByteArray first = Bytes(4000, '1');
    const QByteArray second = Bytes(3000, '2');
    const QString sFirst = ServePage(QStringLiteral("clip-1"), QStringLiteral("/files/get?id=1"),
                                     named(first));
    const QString sSecond = ServePage(QStringLiteral("clip-2"), QStringLiteral("/files/get?id=2"),
                                      named(second));

    Add(sFirst);
    if (bSeparateRuns) {
        m_session->Queue().cmdStartDownload_Click();
        QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    }
    Add(sSecond);
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(0).FileName, QStringLiteral("clip.mp4"));
    QCOMPARE(Item(1).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(1).FileName, QStringLiteral("clip (2).mp4"));
    QCOMPARE(Downloaded(QStringLiteral("clip.mp4")), first);
    QCOMPARE(Downloaded(QStringLiteral("clip (2).mp4")), second);
}

void tst_DownloadQueue::stopDuringATransferCancelsThatItemOnly()
{
    HttpTestServer::Response slow = HttpTestServer::Ok(Bytes(200 * 1024, 's'), "video/x-flv");
    slow.trickleBytes = 8192;
    slow.trickleIntervalMs = 5;
    Add(ServeVideo(QStringLiteral("slow"), slow));
    Add(ServeVideo(QStringLiteral("later"), Bytes(100, 'l')));

    const bool &bAsked = ConfirmStopAtFirstProgress(
        [this] { return !Item(0).Status.startsWith(QLatin1String("Preparing")); });
    m_session->Queue().cmdStartDownload_Click();

    QVERIFY(bAsked);
    QCOMPARE(m_messages.shown.size(), 1);
    QCOMPARE(m_messages.shown.at(0).sText,
             QStringLiteral("Are you sure that you want to cancel downloading?"));
    QCOMPARE(Item(0).Status, QStringLiteral("Cancelled"));
    QCOMPARE(Item(1).Status, QStringLiteral("Waiting"));
    QCOMPARE(m_session->Presenter().cmdStartDownloadCaption(), QStringLiteral("Start Downloading"));
    QCOMPARE(m_skin->GetVariable(QStringLiteral("_root.startDownload")), QStringLiteral("1"));
    QVERIFY(!m_session->Run().bDownloading());
}

void tst_DownloadQueue::stopDuringAPageFetchFetchesNoMore()
{
    // A page large enough to take several blocks.
    const QString sPagePath = QStringLiteral("/angryalien.com/long.html");
    m_server.SetRoute(sPagePath, HttpTestServer::Ok(QByteArray(20000, ' ') + "<embed src=\"http://x/a.flv\">",
                                                    "text/html"));
    Add(m_server.Url(sPagePath));
    Add(ServeVideo(QStringLiteral("never"), Bytes(100, 'v')));

    const bool &bAsked = ConfirmStopAtFirstProgress([] { return true; });
    m_session->Queue().cmdStartDownload_Click();
    QVERIFY(bAsked);

    // The stopped item can be run again; the run fetches nothing more.
    QCOMPARE(Item(0).Status, QStringLiteral("Cancelled"));
    QCOMPARE(Item(1).Status, QStringLiteral("Waiting"));
    QCOMPARE(Requests(QStringLiteral("/angryalien.com/never.html")), 0);
    QVERIFY(!QFile::exists(QDir(m_downloads->path()).filePath(QStringLiteral("never.flv"))));
    QVERIFY(!m_session->Run().bDownloading());
}

void tst_DownloadQueue::stopAtTheEndCancelsOnlyAnUncommittedFile_data()
{
    QTest::addColumn<bool>("bWhileWrittenOut"); // else at the last block's progress
    QTest::addColumn<QString>("sStatus");
    QTest::newRow("stop while the file is written out") << true << "Complete";
    QTest::newRow("stop at the last block") << false << "Cancelled";
}

void tst_DownloadQueue::stopAtTheEndCancelsOnlyAnUncommittedFile()
{
    QFETCH(bool, bWhileWrittenOut);
    QFETCH(QString, sStatus);
    const QByteArray content = Bytes(5000, 'e');
    auto named = [](const QByteArray &body) {
        HttpTestServer::Response file = HttpTestServer::Ok(body, "video/mp4");
        file.headers += qMakePair(QByteArray("Content-Disposition"),
                                  QByteArray("attachment; filename=\"ending.mp4\""));
        return file;
    };
    Add(ServePage(QStringLiteral("ending-1"), QStringLiteral("/files/ending?id=1"), named(content)));
    Add(ServePage(QStringLiteral("ending-2"), QStringLiteral("/files/ending?id=2"),
                  named(Bytes(3000, 'f'))));

    auto confirmStop = [this] {
        m_bStopAsked = true;
        m_messages.answerToQuestions = IMessageBox::Answer::Yes;
        m_session->Queue().cmdStartDownload_Click();
        m_messages.answerToQuestions = IMessageBox::Answer::No;
    };
    m_bStopAsked = false;
    std::atomic<bool> bStopped{false};
    if (bWhileWrittenOut) {
        // The stop arrives while the sync of the video's part is on: the sync
        // waits until the window's thread has taken it.
        m_session->TransferControl().SetSyncFunction([&](int fd) {
            const QString sFile = QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd));
            if (sFile.endsWith(QLatin1String("ending.mp4.part")) && !bStopped) {
                QMetaObject::invokeMethod(this, [&] { confirmStop(); bStopped = true; },
                                          Qt::QueuedConnection);
                for (int i = 0; i < 10000 && !bStopped; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            return ::fsync(fd);
        });
    } else {
        connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [&] {
            if (!m_bStopAsked && Item(0).Status == QLatin1String("100"))
                confirmStop();
        });
    }
    m_session->Queue().cmdStartDownload_Click();

    QVERIFY(m_bStopAsked);
    QCOMPARE(Item(0).Status, sStatus);
    QCOMPARE(Item(1).Status, QStringLiteral("Waiting"));
    const QString sFinal = DownloadPath(QStringLiteral("ending.mp4"));
    if (bWhileWrittenOut) {
        QCOMPARE(Downloaded(QStringLiteral("ending.mp4")), content);
    } else {
        QVERIFY(!QFileInfo::exists(sFinal));
        QCOMPARE(QFileInfo(PartFile::PartPathFor(sFinal)).size(), qint64(content.size()));
    }

    // The next run completes what was cancelled; the other item of that
    // name never takes the first one's file.
    m_session->TransferControl().SetSyncFunction({});
    m_session->Queue().cmdStartDownload_Click();
    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(1).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(1).FileName, QStringLiteral("ending (2).mp4"));
    QCOMPARE(Downloaded(QStringLiteral("ending.mp4")), content);
}

void tst_DownloadQueue::partsBelongToTheirItems_data()
{
    QTest::addColumn<QByteArray>("serverName");
    // A part there before: none (""), of "this" or "another" address, of
    // another address under the item's "own" name, or the part of another
    // listed "item" of that name.
    QTest::addColumn<QString>("sPartOf");
    QTest::addColumn<QString>("sAfterFail"); // "": one run; else the first try breaks, then
                                             // "retry" or "remove"
    QTest::addColumn<QString>("sName");      // the item's name at the end
    QTest::addColumn<qint64>("lBytesSent");

    QTest::newRow("another address's part: the next number")
        << QByteArray("parted.mp4") << "another" << "" << "parted (2).mp4" << qint64(100000);
    QTest::newRow("another listed item's name: the next number")
        << QByteArray("parted.mp4") << "item" << "" << "parted (2).mp4" << qint64(100000);
    QTest::newRow("the item's own name, its address changed: started over")
        << QByteArray("parted.mp4") << "own" << "" << "parted.mp4" << qint64(100000);
    QTest::newRow("this address's part: continued")
        << QByteArray("parted.mp4") << "this" << "" << "parted.mp4" << qint64(70000);
    QTest::newRow("a server name ending in .part")
        << QByteArray("parted.mp4.part") << "" << "" << "parted.mp4" << qint64(100000);
    QTest::newRow("a server name ending in .part.origin")
        << QByteArray("parted.mp4.part.origin") << "" << "" << "parted.mp4" << qint64(100000);
    QTest::newRow("a server name that is .part alone")
        << QByteArray(".part") << "" << "" << "_part" << qint64(100000);
    QTest::newRow("failed, then Retry: its part goes on")
        << QByteArray("parted.mp4") << "" << "retry" << "parted.mp4" << qint64(100000);
    QTest::newRow("failed, then removed: its part goes")
        << QByteArray("parted.mp4") << "" << "remove" << "" << qint64(30000);
}

void tst_DownloadQueue::partsBelongToTheirItems()
{
    QFETCH(QByteArray, serverName);
    QFETCH(QString, sPartOf);
    QFETCH(QString, sAfterFail);
    QFETCH(QString, sName);
    QFETCH(qint64, lBytesSent);
    const QByteArray file = Bytes(100000, 'p');
    const QByteArray eTag("\"p1\"");
    auto version = [&](qint64 lCutAfter) {
        HttpTestServer::Response answer = Version(file, eTag, {}, lCutAfter);
        answer.headers += qMakePair(QByteArray("Content-Disposition"),
                                    "attachment; filename=\"" + serverName + '"');
        return answer;
    };
    const QString sFilePath = QStringLiteral("/files/parted");
    Add(ServePage(QStringLiteral("parted"), sFilePath, version(-1)));
    if (!sAfterFail.isEmpty())
        m_server.SetRouteSequence(sFilePath, {version(30000), version(-1)});

    const QString sTaken = DownloadPath(QStringLiteral("parted.mp4"));
    const QString sOther = QStringLiteral("http://elsewhere.invalid/parted.mp4");
    if (!sPartOf.isEmpty()) {
        PartFile part;
        QVERIFY(part.Open(sTaken));
        const QByteArray kept = sPartOf == "this" ? file.left(30000) : QByteArray("other");
        QVERIFY(part.Write(kept.constData(), kept.size()));
        if (sPartOf != "item")
            QVERIFY(part.SetOrigin({sPartOf == "this" ? m_server.Url(sFilePath) : sOther,
                                    QString::fromLatin1(eTag), file.size()}));
        part.Keep();
    }
    if (sPartOf == "own")
        m_session->ListStore().SetFileName(Item(0).uSerial, QStringLiteral("parted.mp4"));
    if (sPartOf == "item") {
        Add(ServeVideo(QStringLiteral("holder"), Bytes(10, 'h')));
        m_session->ListStore().SetFileName(Item(1).uSerial, QStringLiteral("parted.mp4"));
        m_session->ListStore().Finish(Item(1).uSerial, ItemState::Failed);
    }
    if (!sAfterFail.isEmpty()) {
        m_session->Retry().SetRetries(0);
        m_session->Queue().cmdStartDownload_Click();
        QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
        QCOMPARE(QFileInfo(PartFile::PartPathFor(sTaken)).size(), qint64(30000));
        m_grid.SetRowSelected(0);
        ListCommands commands(m_session->ListStore(), m_session->Run());
        if (sAfterFail == "retry")
            commands.RetrySelected();
        else
            commands.RemoveSelected();
    }
    if (m_session->ListStore().Count() > 0)
        m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(BytesSentFor(sFilePath), lBytesSent);
    if (sName.isEmpty()) {
        QVERIFY(m_session->ListStore().IsListEmpty());
        QVERIFY(!QFileInfo::exists(PartFile::PartPathFor(sTaken)));
        QVERIFY(!QFileInfo::exists(PartOrigin::SidePathFor(PartFile::PartPathFor(sTaken))));
        return;
    }
    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(0).FileName, sName);
    QCOMPARE(Downloaded(sName), file);
    // Another's part is left as it was, for its own item.
    if (sPartOf == "another" || sPartOf == "item") {
        QCOMPARE(Downloaded(QStringLiteral("parted.mp4.part")), QByteArray("other"));
        QCOMPARE(PartFile::KeptOrigin(sTaken).sUrl, sPartOf == "item" ? QString() : sOther);
    } else {
        QVERIFY(!QFileInfo::exists(PartFile::PartPathFor(DownloadPath(sName))));
    }
}

void tst_DownloadQueue::resolvedAddressBytesAreRequestedAsTheyAre_data()
{
    QTest::addColumn<QString>("sSite");      // the page's folder: the site whose rule reads it
    QTest::addColumn<QByteArray>("pageHead"); // what comes before the file's address
    QTest::addColumn<QByteArray>("pageTail");
    QTest::addColumn<QByteArray>("namedPath"); // the file's path as the page writes it
    // The rule decodes percent escapes into bytes.
    QTest::newRow("percent-encoded UTF-8, decoded by the rule")
        << "video.google.com" << QByteArray("var videoUrl = \"") << QByteArray("\";")
        << QByteArray("/files/f%C3%A9.flv");
    QTest::newRow("raw UTF-8 bytes in the page")
        << "angryalien.com" << QByteArray("<embed src=\"") << QByteArray("\" width=400>")
        << QByteArray("/files/f\xC3\xA9.flv");
    QTest::newRow("percent-encoded UTF-8, taken as written")
        << "angryalien.com" << QByteArray("<embed src=\"") << QByteArray("\" width=400>")
        << QByteArray("/files/f%C3%A9.flv");
}

void tst_DownloadQueue::resolvedAddressBytesAreRequestedAsTheyAre()
{
    QFETCH(QString, sSite);
    QFETCH(QByteArray, pageHead);
    QFETCH(QByteArray, pageTail);
    QFETCH(QByteArray, namedPath);
    const QByteArray content = Bytes(2000, 'u');
    const QString sRequested = QStringLiteral("/files/f%C3%A9.flv");
    m_server.SetRoute(sRequested, HttpTestServer::Ok(content, "video/x-flv"));
    const QString sPage = QStringLiteral("/%1/accent.html").arg(sSite);
    m_server.SetRoute(sPage, HttpTestServer::Ok("<html>" + pageHead + m_server.Url({}).toLatin1()
                                                    + namedPath + pageTail + "</html>",
                                                "text/html"));
    Add(m_server.Url(sPage));
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Requests(sRequested), 1);
    QCOMPARE(Item(0).FileName, QStringLiteral("f\u00E9.flv"));
    QCOMPARE(Downloaded(Item(0).FileName), content);
}

void tst_DownloadQueue::unwritableLocalFileEndsInError()
{
    // The directory does not exist yet: it is made, parents and all.
    m_session->Settings().sDownloadDir = QDir(m_downloads->path()).filePath(QStringLiteral("a/b"));
    Add(ServeVideo(QStringLiteral("blocked"), Bytes(3000, 'b')));
    Add(ServeVideo(QStringLiteral("written"), Bytes(3000, 'w')));
    // A name the user typed whose part is taken by a folder cannot be written.
    m_session->ListStore().SetFileName(Item(0).uSerial, QStringLiteral("taken"));
    QVERIFY(QDir().mkpath(QDir(m_session->Settings().sDownloadDir).filePath(QStringLiteral("taken.part"))));

    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
    QCOMPARE(Item(1).Status, QStringLiteral("Complete"));
    QVERIFY(QFile::exists(
        QDir(m_session->Settings().sDownloadDir).filePath(QStringLiteral("written.flv"))));
}

void tst_DownloadQueue::itemAddedDuringTheLastTransferIsDownloaded()
{
    Add(ServeVideo(QStringLiteral("first"), Bytes(6000, '1')));
    const QString sLate = ServeVideo(QStringLiteral("late"), Bytes(4000, '2'));

    connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [&] {
        if (m_session->ListStore().Count() == 1
            && !Item(0).Status.startsWith(QLatin1String("Preparing")))
            Add(sLate);
    });
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(m_session->ListStore().Count(), 2);
    QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(1).Status, QStringLiteral("Complete"));
    QCOMPARE(Downloaded(QStringLiteral("late.flv")), Bytes(4000, '2'));
}

void tst_DownloadQueue::commandLineFrontEndDownloadsAndReports()
{
    const QByteArray content = Bytes(12345, 'g');
    const QString sGood = ServeVideo(QStringLiteral("cli"), content);
    const QString sBad = QStringLiteral("http://example.org/elsewhere");
    const QString sNoHost = QStringLiteral("http://nohost.invalid/angryalien.com/gone.html");

    // The front end keeps its scratch page in the per-user data directory.
    const QProcessEnvironment environment = ChildEnvironment();
    const QDir scratchFolders(QDir(environment.value(QStringLiteral("XDG_DATA_HOME")))
                                  .filePath(PageRetriever::kDataFolder));

    QProcess get;
    get.setProcessEnvironment(environment);
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--dir"), m_downloads->path(),
               QStringLiteral("--skip-connection-check"), sGood, sBad, sNoHost});
    QVERIFY(get.waitForFinished(60000));
    QCOMPARE(get.exitStatus(), QProcess::NormalExit);
    QCOMPARE(get.exitCode(), 1);
    QCOMPARE(Downloaded(QStringLiteral("cli.flv")), content);

    const QList<QByteArray> lines = get.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QByteArray("1\tComplete\tcli.flv\t12.1 KB\t") + sGood.toLatin1());
    QCOMPARE(lines.at(1), QByteArray("2\tERROR\tUn supported link\t????\t") + sBad.toLatin1());
    // Not a terminal: one line per change of status.
    const QByteArray progress = get.readAllStandardError();
    QVERIFY(progress.contains("[1] Preparing (0%)"));
    QVERIFY(progress.contains("[1] 100%  cli.flv\n"));
    // Each failure says why.
    QVERIFY(progress.contains("clipvane-get: [2] No supported site matches this address\n"));
    QVERIFY2(progress.contains("clipvane-get: [3] The host nohost.invalid was not found\n"),
             progress.constData());

    QProcess printUrl;
    printUrl.setProcessEnvironment(environment);
    printUrl.start(QStringLiteral(CLIPVANE_GET_PATH), {QStringLiteral("--print-url"), sGood, sBad});
    QVERIFY(printUrl.waitForFinished(60000));
    QCOMPARE(printUrl.exitCode(), 1);
    const QList<QByteArray> urls = printUrl.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(urls.size(), 2);
    QCOMPARE(urls.at(0), m_server.Url(QStringLiteral("/files/cli.flv")).toLatin1());
    QVERIFY(urls.at(1).startsWith("-1\t"));
    // Each run's scratch page went with it.
    QVERIFY(scratchFolders.exists());
    QCOMPARE(scratchFolders.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());

    QProcess usage;
    usage.start(QStringLiteral(CLIPVANE_GET_PATH), {QStringLiteral("--no-such-option")});
    QVERIFY(usage.waitForFinished(60000));
    QCOMPARE(usage.exitCode(), 2);
}

void tst_DownloadQueue::killedFrontEndLeavesNothingUnderTheName_data()
{
    QTest::addColumn<bool>("bEarlierFile");
    QTest::newRow("no file before") << false;
    QTest::newRow("a file before") << true;
}

void tst_DownloadQueue::killedFrontEndLeavesNothingUnderTheName()
{
    QFETCH(bool, bEarlierFile);
    const QString sFinal = DownloadPath(QStringLiteral("killed.flv"));
    const QByteArray earlier = Bytes(500, 'e');
    if (bEarlierFile) {
        QFile file(sFinal);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
    }

    // The earlier file keeps its name: the new one is numbered.
    const QString sNew = bEarlierFile ? QStringLiteral("killed (2).flv") : QStringLiteral("killed.flv");
    QProcess get;
    StartGet(get, ServeVideo(QStringLiteral("killed"), Trickling(4 * 1024 * 1024)));
    QByteArray errors;
    QVERIFY(TransferHasBegun(get, errors, sNew));
    get.kill(); // SIGKILL: nothing of the program runs any more
    QVERIFY(get.waitForFinished(10000));
    QCOMPARE(get.exitStatus(), QProcess::CrashExit);

    // The name holds what it held before, and at most the part lies beside it.
    if (bEarlierFile)
        QCOMPARE(Downloaded(QStringLiteral("killed.flv")), earlier);
    else
        QVERIFY(!QFileInfo(sFinal).exists() && !QFileInfo(sFinal).isSymLink());
    const QStringList left = QDir(m_downloads->path())
                                 .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString &sLeft : left)
        QVERIFY2(sLeft == sNew + QLatin1String(".part")
                     || (bEarlierFile && sLeft == QLatin1String("killed.flv")),
                 qPrintable(sLeft));
}

void tst_DownloadQueue::frontEndKeepsAFolderUnderTheName_data()
{
    QTest::addColumn<bool>("bDuringTransfer");
    QTest::newRow("folder there before") << false;
    QTest::newRow("folder made during the transfer") << true;
}

void tst_DownloadQueue::frontEndKeepsAFolderUnderTheName()
{
    QFETCH(bool, bDuringTransfer);
    const QString sFinal = DownloadPath(QStringLiteral("blocked.flv"));
    const QString sInside = QDir(sFinal).filePath(QStringLiteral("inside.txt"));
    auto makeFolder = [&] {
        QFile file(sInside);
        return QDir().mkpath(sFinal) && file.open(QIODevice::WriteOnly) && file.write("mine") == 4;
    };
    if (!bDuringTransfer)
        QVERIFY(makeFolder());

    QProcess get;
    const QByteArray content = Bytes(2 * 1024 * 1024, 't');
    const QString sUrl = ServeVideo(QStringLiteral("blocked"), Trickling(content.size()));
    StartGet(get, sUrl);
    QByteArray errors;
    if (bDuringTransfer) {
        QVERIFY(TransferHasBegun(get, errors, QStringLiteral("blocked.flv")));
        QVERIFY(makeFolder());
    }
    QVERIFY(get.waitForFinished(60000));
    QCOMPARE(get.exitStatus(), QProcess::NormalExit);
    QCOMPARE(get.exitCode(), 0);

    // The file takes the next number; the folder and what it holds are
    // untouched, and no part is left.
    const QByteArray output = get.readAllStandardOutput();
    QVERIFY2(output.startsWith("1\tComplete\tblocked (2).flv\t"), output.constData());
    QCOMPARE(Downloaded(QStringLiteral("blocked (2).flv")), content);
    QFile inside(sInside);
    QVERIFY(inside.open(QIODevice::ReadOnly));
    QCOMPARE(inside.readAll(), QByteArray("mine"));
    QVERIFY(!QFileInfo::exists(PartFile::PartPathFor(sFinal)));
}

void tst_DownloadQueue::editsDuringATransferKeepTheRunOnItsItem_data()
{
    using Edit = std::function<void(DownloadListStore &)>;
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QStringList>("expectedOrder"); // file names, in list order afterwards

    // The list is a, b, c, d; the edit comes during b's transfer.
    QTest::newRow("current moved to the end")
        << Edit([](DownloadListStore &l) { l.MoveItemDown(2); l.MoveItemDown(3); })
        << QStringList{"a", "c", "d", "b"};
    QTest::newRow("current moved to the top")
        << Edit([](DownloadListStore &l) { l.MoveItemUp(2); }) << QStringList{"b", "a", "c", "d"};
    QTest::newRow("item above removed")
        << Edit([](DownloadListStore &l) { l.RemoveDownloadItem(1); })
        << QStringList{"b", "c", "d"};
    QTest::newRow("later item moved above")
        << Edit([](DownloadListStore &l) { l.MoveItemUp(4); l.MoveItemUp(3); l.MoveItemUp(2); })
        << QStringList{"d", "a", "b", "c"};
    // Its transfer is given up; the run goes on with the next item.
    QTest::newRow("current removed")
        << Edit([](DownloadListStore &l) { l.RemoveDownloadItem(2); })
        << QStringList{"a", "c", "d"};
}

void tst_DownloadQueue::editsDuringATransferKeepTheRunOnItsItem()
{
    using Edit = std::function<void(DownloadListStore &)>;
    QFETCH(Edit, edit);
    QFETCH(QStringList, expectedOrder);

    HttpTestServer::Response slow = HttpTestServer::Ok(Bytes(64 * 1024, 'b'), "video/x-flv");
    slow.trickleBytes = 8192;
    slow.trickleIntervalMs = 5;
    const QStringList names{"a", "b", "c", "d"};
    for (const QString &sName : names) {
        Add(sName == QLatin1String("b") ? ServeVideo(sName, slow)
                                        : ServeVideo(sName, Bytes(300, sName[0].toLatin1())));
    }

    bool bEdited = false;
    connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [&] {
        const int iB = m_session->ListStore().IndexOfSerial(m_session->Run().CurrentSerial());
        if (bEdited || iB < 0 || Item(iB).FileName != QLatin1String("b.flv")
            || Item(iB).Status.startsWith(QLatin1String("Preparing")))
            return;
        bEdited = true;
        EditList(edit);
    });
    m_session->Queue().cmdStartDownload_Click();
    QVERIFY(bEdited);

    QStringList order;
    for (const DownloadItem &item : std::as_const(m_session->ListStore().Items())) {
        order << QFileInfo(item.FileName).completeBaseName();
        QCOMPARE(item.Status, QStringLiteral("Complete"));
    }
    QCOMPARE(order, expectedOrder);
    // Every item was fetched once and transferred into its own file, except
    // that the file of an item removed during its transfer never lands.
    for (const QString &sName : names) {
        QCOMPARE(Requests(QStringLiteral("/angryalien.com/%1.html").arg(sName)), 1);
        const bool bLands = sName != QLatin1String("b") || expectedOrder.contains(sName);
        QCOMPARE(QFileInfo::exists(QDir(m_downloads->path()).filePath(sName + QLatin1String(".flv"))), bLands);
        if (bLands)
            QCOMPARE(Downloaded(sName + QLatin1String(".flv")).size(),
                     sName == QLatin1String("b") ? 64 * 1024 : 300);
    }
}

void tst_DownloadQueue::startDuringAStoppedRunWaitsForItsEnd()
{
    HttpTestServer::Response slow = HttpTestServer::Ok(Bytes(200 * 1024, 's'), "video/x-flv");
    slow.trickleBytes = 8192;
    slow.trickleIntervalMs = 5;
    Add(ServeVideo(QStringLiteral("again"), slow));

    // Stop, and press start again while the stopped transfer is still on.
    bool bPressed = false;
    connect(&m_session->TransferControl(), &Download::DownloadProgress, this, [&] {
        if (bPressed || Item(0).Status.startsWith(QLatin1String("Preparing")))
            return;
        bPressed = true;
        m_messages.answerToQuestions = IMessageBox::Answer::Yes;
        m_session->Queue().cmdStartDownload_Click();
        m_messages.answerToQuestions = IMessageBox::Answer::No;
        m_session->Queue().cmdStartDownload_Click();
        QVERIFY(!m_session->Queue().IsRunning());
    });
    m_session->Queue().cmdStartDownload_Click();
    QVERIFY(bPressed);
    QCOMPARE(Item(0).Status, QStringLiteral("Cancelled"));

    // The second start runs once the first run has ended, on its own.
    QTRY_COMPARE_WITH_TIMEOUT(Item(0).Status, QStringLiteral("Complete"), 20000);
    QCOMPARE(Downloaded(QStringLiteral("again.flv")).size(), 200 * 1024);
    QCOMPARE(m_session->Presenter().cmdStartDownloadCaption(), QStringLiteral("Start Downloading"));
}

void tst_DownloadQueue::brokenTransfersResumeAndPassingFailuresRetry_data()
{
    QTest::addColumn<QList<HttpTestServer::Response>>("answers"); // to the file's GETs, in turn
    QTest::addColumn<int>("iPageFailures");  // 503s before the page comes
    QTest::addColumn<QByteArray>("result");  // the file; empty: none, the item ends "ERROR"
    QTest::addColumn<qint64>("lBytesSent");  // body bytes of all answers together
    QTest::addColumn<QList<qint64>>("waits"); // planned, in ms
    QTest::addColumn<bool>("bProgressGoesOn"); // no percentage after a retry is below one before

    const QByteArray file = Bytes(100000, 'a');
    const QByteArray changed = Bytes(90000, 'c');
    const QByteArray eTag("\"v1\"");
    const QByteArray date("Mon, 07 Dec 2026 10:00:00 GMT");
    using Answers = QList<HttpTestServer::Response>;
    using Waits = QList<qint64>;
    // Every try that gets further starts the count afresh, so each wait is
    // the first one.
    QTest::newRow("cut once, ETag") << Answers{Version(file, eTag, date, 30000),
                                               Version(file, eTag, date)}
                                    << 0 << file << qint64(100000) << Waits{1000} << true;
    QTest::newRow("cut twice, ETag")
        << Answers{Version(file, eTag, {}, 30000), Version(file, eTag, {}, 20000),
                   Version(file, eTag, {})}
        << 0 << file << qint64(100000) << Waits{1000, 1000} << true;
    QTest::newRow("cut once, Last-Modified only")
        << Answers{Version(file, {}, date, 30000), Version(file, {}, date)} << 0 << file
        << qint64(100000) << Waits{1000} << true;
    QTest::newRow("cut once, weak ETag only: no resume")
        << Answers{Version(file, "W/\"v1\"", {}, 30000), Version(file, "W/\"v1\"", {})} << 0
        << file << qint64(130000) << Waits{1000} << false;
    QTest::newRow("cut twice, no validator: starts over")
        << Answers{Version(file, {}, {}, 30000), Version(file, {}, {}, 40000),
                   Version(file, {}, {})}
        << 0 << file << qint64(170000) << Waits{1000, 1000} << false;
    QTest::newRow("server ignores Range")
        << Answers{Version(file, eTag, {}, 30000, false), Version(file, eTag, {}, -1, false)} << 0
        << file << qint64(130000) << Waits{1000} << false;
    QTest::newRow("file changed between tries: the new file, never a splice")
        << Answers{Version(file, eTag, {}, 30000), Version(changed, "\"v2\"", {})} << 0 << changed
        << qint64(120000) << Waits{1000} << false;
    QTest::newRow("416: starts over once")
        << Answers{Version(file, eTag, {}, 30000), Status("HTTP/1.1 416 Range Not Satisfiable"),
                   Version(file, eTag, {})}
        << 0 << file << qint64(130000) << Waits{1000} << false;
    QTest::newRow("503 with Retry-After")
        << Answers{Status("HTTP/1.1 503 Service Unavailable", "7"), Version(file, eTag, {})} << 0
        << file << qint64(100000) << Waits{7000} << true;
    QTest::newRow("503 with a Retry-After too long: back-off")
        << Answers{Status("HTTP/1.1 503 Service Unavailable", "61"), Version(file, eTag, {})} << 0
        << file << qint64(100000) << Waits{1000} << true;
    QTest::newRow("503, 500, 429, 408, 504: back-off, doubling")
        << Answers{Status("HTTP/1.1 503 Service Unavailable"), Status("HTTP/1.1 500 Oops"),
                   Status("HTTP/1.1 429 Too Many Requests"), Status("HTTP/1.1 408 Timeout"),
                   Status("HTTP/1.1 504 Gateway Timeout"), Version(file, {}, {})}
        << 0 << file << qint64(100000) << Waits{1000, 2000, 4000, 8000, 16000} << true;
    QTest::newRow("502 every time: five retries, then ERROR")
        << Answers{Status("HTTP/1.1 502 Bad Gateway")} << 0 << QByteArray() << qint64(0)
        << Waits{1000, 2000, 4000, 8000, 16000} << true;
    QTest::newRow("404 is not retried")
        << Answers{Status("HTTP/1.1 404 Not Found"), Version(file, {}, {})} << 0 << QByteArray()
        << qint64(0) << Waits{} << true;
    QTest::newRow("page 503 twice, then the page")
        << Answers{Version(file, eTag, {})} << 2 << file << qint64(100000) << Waits{1000, 2000}
        << true;
    // Less than 1 % of the file per try is no progress: the count goes on.
    QTest::newRow("a trickle of 100 bytes a try: five retries, then ERROR")
        << Answers{Version(file, eTag, {}, 100)} << 0 << QByteArray() << qint64(600)
        << Waits{1000, 2000, 4000, 8000, 16000} << true;
    // Every try gets 2 % further, but 4 x (5 + 1) tries is the most there is.
    QTest::newRow("2 % a try: 24 tries, then ERROR")
        << Answers{Version(file, eTag, {}, 2000)} << 0 << QByteArray() << qint64(48000)
        << Waits(23, 1000) << true;
    HttpTestServer::Response endless;
    endless.rawAnswer = "HTTP/1.1 200 OK\r\n";
    endless.endlessRaw = "X-Pad: " + QByteArray(100, 'a') + "\r\n";
    QTest::newRow("headers that never end are not retried")
        << Answers{endless} << 0 << QByteArray() << qint64(0) << Waits{} << true;
}

void tst_DownloadQueue::brokenTransfersResumeAndPassingFailuresRetry()
{
    QFETCH(QList<HttpTestServer::Response>, answers);
    QFETCH(int, iPageFailures);
    QFETCH(QByteArray, result);
    QFETCH(qint64, lBytesSent);
    QFETCH(QList<qint64>, waits);
    QFETCH(bool, bProgressGoesOn);

    const QString sName = QStringLiteral("resume-%1")
                              .arg(QString::fromLatin1(QTest::currentDataTag()))
                              .remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")));
    const QString sPage = ServeVideo(sName, answers.constFirst());
    m_server.SetRouteSequence(QStringLiteral("/files/%1.flv").arg(sName), answers);
    const QString sPagePath = QUrl(sPage).path();
    QList<HttpTestServer::Response> pages(iPageFailures, Status("HTTP/1.1 503 Busy"));
    // Only the endless header block takes this long; the program's own limit
    // would make the test wait.
    m_session->TransferControl().SetHeaderTimeLimitSeconds(1);
    HttpTestServer::Response page;
    QVERIFY(m_server.FindRoute("GET", sPagePath.toLatin1(), page));
    m_server.SetRouteSequence(sPagePath, pages << page);
    Add(sPage);

    QList<qint64> planned;
    QStringList statuses;
    connect(&m_session->Retry(), &TransferRetry::Waiting, this,
            [&](int iRetry, int iRetries, qint64 lMs) {
                planned << lMs;
                QCOMPARE(Item(0).Status, QStringLiteral("Retrying (%1/%2)\u2026").arg(iRetry).arg(iRetries));
                statuses << Item(0).Status;
            });
    connect(&m_session->TransferControl(), &Download::DownloadProgress, this,
            [&] { statuses << Item(0).Status; });
    m_session->Queue().cmdStartDownload_Click();

    QCOMPARE(planned, waits);
    QCOMPARE(Item(0).Status, result.isEmpty() ? QStringLiteral("ERROR") : QStringLiteral("Complete"));
    const QString sFinal = DownloadPath(sName + QStringLiteral(".flv"));
    if (result.isEmpty())
        QVERIFY(!QFileInfo::exists(sFinal));
    else
        QCOMPARE(Downloaded(sName + QStringLiteral(".flv")), result);
    QCOMPARE(BytesSentFor(QStringLiteral("/files/%1.flv").arg(sName)), lBytesSent);
    // What a failed item received is kept for a later try.
    QCOMPARE(QFileInfo::exists(PartFile::PartPathFor(sFinal)), result.isEmpty() && lBytesSent > 0);
    if (!result.isEmpty())
        QVERIFY(!QFileInfo::exists(PartOrigin::SidePathFor(PartFile::PartPathFor(sFinal))));

    // A continued transfer shows its percentage going on from where it was.
    bool bGoesOn = true;
    int iHighest = -1;
    for (const QString &sStatus : std::as_const(statuses)) {
        bool bNumber = false;
        const int iPercent = sStatus.toInt(&bNumber);
        if (bNumber) {
            bGoesOn = bGoesOn && iPercent >= iHighest;
            iHighest = qMax(iHighest, iPercent);
        }
    }
    QCOMPARE(bGoesOn, bProgressGoesOn);
}

void tst_DownloadQueue::abandonedRunGivesUpAtOnce_data()
{
    QTest::addColumn<QString>("sStalls");  // "page", "information" or "transfer"
    QTest::addColumn<QString>("sBefore");  // what happened before the program ends

    QTest::newRow("page fetch") << "page" << "";
    QTest::newRow("information request") << "information" << "";
    QTest::newRow("transfer") << "transfer" << "";
    // The toggle shows idle already; a start pressed meanwhile must not run.
    QTest::newRow("transfer, stop confirmed and start pressed")
        << "transfer" << "confirmed stop";
    // The toggle never showed the run: only the ending can stop it.
    QTest::newRow("transfer, run without the toggle") << "transfer" << "no toggle";
    QTest::newRow("information request, run without the toggle") << "information" << "no toggle";
    QTest::newRow("wait to retry") << "retry" << "";
}

void tst_DownloadQueue::abandonedRunGivesUpAtOnce()
{
    QFETCH(QString, sStalls);
    QFETCH(QString, sBefore);
    // Only the ending may end the wait: the limits would end it much later.
    constexpr int kLimitSeconds = 30;
    Download &transfer = m_session->TransferControl();
    transfer.SetInactivityTimeoutSeconds(kLimitSeconds);
    transfer.SetHeaderTimeLimitSeconds(kLimitSeconds);

    // Headers and two blocks, then nothing for longer than any test runs.
    HttpTestServer::Response stalling = HttpTestServer::Ok(Bytes(100000, 's'), "video/x-flv");
    stalling.trickleBytes = 2 * Download::kBlockSize;
    stalling.trickleIntervalMs = 600000;
    Add(ServeVideo(QStringLiteral("stall"), stalling));
    Add(ServeVideo(QStringLiteral("after"), Bytes(100, 'a')));
    HttpTestServer::Response silent;
    silent.neverAnswer = true;
    QByteArray waitingFor;
    if (sStalls == QLatin1String("page")) {
        m_server.SetRoute(QStringLiteral("/angryalien.com/stall.html"), stalling);
        waitingFor = "GET /angryalien.com/stall.html ";
    } else if (sStalls == QLatin1String("information")) {
        m_server.SetRoute(QStringLiteral("/files/stall.flv"), silent);
        waitingFor = "HEAD /files/stall.flv ";
    } else if (sStalls == QLatin1String("retry")) {
        m_server.SetRoute(QStringLiteral("/files/stall.flv"),
                          Status("HTTP/1.1 503 Service Unavailable", "60"));
        m_session->Retry().SetTimeScale(1);
    }
    auto bWaiting = [&] {
        if (sStalls == QLatin1String("retry"))
            return Item(0).Status.startsWith(QLatin1String("Retrying"));
        if (waitingFor.isEmpty()) {
            bool bNumber = false;
            return Item(0).Status.toInt(&bNumber) > 0 && bNumber;
        }
        const QList<QByteArray> heads = m_server.RequestHeads().mid(m_iRequestsBefore);
        return std::any_of(heads.begin(), heads.end(),
                           [&](const QByteArray &head) { return head.startsWith(waitingFor); });
    };

    // The program is told to end from an event, as the exit question's
    // answer or a signal reaches it, while the run waits.
    bool bEnded = false;
    QTimer watch;
    watch.setInterval(10);
    connect(&watch, &QTimer::timeout, this, [&] {
        if (bEnded || !bWaiting())
            return;
        bEnded = true;
        if (sBefore == QLatin1String("confirmed stop")) {
            m_messages.answerToQuestions = IMessageBox::Answer::Yes;
            m_session->Queue().cmdStartDownload_Click();
            m_messages.answerToQuestions = IMessageBox::Answer::No;
            m_session->Queue().cmdStartDownload_Click();
        }
        m_session->Queue().AbandonRun();
    });
    watch.start();
    QElapsedTimer clock;
    clock.start();
    if (sBefore == QLatin1String("no toggle"))
        m_session->Queue().StartDownloading();
    else
        m_session->Queue().cmdStartDownload_Click();
    const qint64 iElapsedMs = clock.elapsed();
    watch.stop();

    QVERIFY(bEnded);
    QVERIFY2(iElapsedMs < kLimitSeconds * 1000, "a time limit, not the ending, ended the wait");
    QCOMPARE(Item(0).Status, QStringLiteral("Cancelled"));
    // What arrived is kept for a later run.
    QCOMPARE(QFileInfo(DownloadPath(QStringLiteral("stall.flv.part"))).size() > 0,
             sStalls == QLatin1String("transfer"));
    QCOMPARE(Item(1).Status, QStringLiteral("Waiting"));
    QVERIFY(!m_session->Run().bDownloading());
    QCOMPARE(m_session->Presenter().cmdStartDownloadCaption(), QStringLiteral("Start Downloading"));

    // Nothing starts again: neither the start pressed before nor a new one.
    QVERIFY(!m_session->Queue().tmrDownload.isActive());
    const qsizetype iMessagesAtEnd = m_messages.shown.size();
    m_session->Queue().cmdStartDownload_Click();
    QCOMPARE(m_messages.shown.size(), iMessagesAtEnd);
    QCOMPARE(Item(1).Status, QStringLiteral("Waiting"));
    QCOMPARE(Requests(QStringLiteral("/angryalien.com/after.html")), 0);
}

void tst_DownloadQueue::frontEndContinuesWhatAnEarlierRunKept_data()
{
    QTest::addColumn<QString>("sEnd"); // how the first run ends: "retries 0", "SIGINT", "kill -9"
    QTest::newRow("--retries 0, the connection breaks") << QStringLiteral("retries 0");
    QTest::newRow("Ctrl+C") << QStringLiteral("SIGINT");
    // The part may hold more than the run ever reported.
    QTest::newRow("kill -9") << QStringLiteral("kill -9");
}

void tst_DownloadQueue::frontEndContinuesWhatAnEarlierRunKept()
{
    QFETCH(QString, sEnd);
    const QByteArray content = Bytes(4 * 1024 * 1024, 'k');
    const QByteArray eTag("\"k1\"");
    HttpTestServer::Response first = Version(content, eTag, {}, 100000);
    if (sEnd != QLatin1String("retries 0")) {
        first = Version(content, eTag, {});
        first.trickleBytes = 8192;
        first.trickleIntervalMs = 20;
    }
    const QString sName = QStringLiteral("kept-%1").arg(sEnd).remove(u' ');
    const QString sUrl = ServeVideo(sName, first);
    const QString sFilePath = QStringLiteral("/files/%1.flv").arg(sName);
    m_server.SetRouteSequence(sFilePath, {first, Version(content, eTag, {})});
    const QString sFinal = DownloadPath(sName + QStringLiteral(".flv"));

    QProcess get;
    get.setProcessEnvironment(ChildEnvironment());
    get.start(QStringLiteral(CLIPVANE_GET_PATH),
              {QStringLiteral("--dir"), m_downloads->path(), QStringLiteral("--skip-connection-check"),
               QStringLiteral("--retries"), QStringLiteral("0"), sUrl});
    QByteArray errors;
    if (sEnd != QLatin1String("retries 0")) {
        QVERIFY(TransferHasBegun(get, errors, sName + QStringLiteral(".flv")));
        if (sEnd == QLatin1String("SIGINT"))
            ::kill(static_cast<pid_t>(get.processId()), SIGINT);
        else
            get.kill();
    }
    QVERIFY(get.waitForFinished(60000));
    if (sEnd == QLatin1String("kill -9")) {
        QCOMPARE(get.exitStatus(), QProcess::CrashExit);
    } else {
        QCOMPARE(get.exitCode(), 1);
        const QByteArray status = sEnd == QLatin1String("SIGINT") ? "Cancelled" : "ERROR";
        QVERIFY(get.readAllStandardOutput().startsWith("1\t" + status + '\t'));
    }
    // One try only (Qt itself may send a request again on a connection that
    // closed before it answered, so the server's count is no measure).
    errors += get.readAllStandardError();
    QVERIFY2(!errors.contains("Retrying"), errors.constData());
    const qint64 lKept = QFileInfo(PartFile::PartPathFor(sFinal)).size();
    QVERIFY(lKept > 0 && lKept < content.size());
    QVERIFY(!QFileInfo::exists(sFinal));

    // The next run asks only for what is not on disk.
    m_iRequestsBefore = m_server.RequestHeads().size();
    QProcess again;
    StartGet(again, sUrl);
    QVERIFY(again.waitForFinished(60000));
    QCOMPARE(again.exitCode(), 0);
    QCOMPARE(Downloaded(sName + QStringLiteral(".flv")), content);
    QCOMPARE(BytesSentFor(sFilePath), qint64(content.size() - lKept));
    QVERIFY((m_server.RequestHeads().constLast() + "\r\n")
                .contains("\r\nRange: bytes=" + QByteArray::number(lKept) + "-\r\n"));
    const QStringList left = QDir(m_downloads->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(left, QStringList{sName + QStringLiteral(".flv")});
}

void tst_DownloadQueue::runReachesItemsListedDuringIt_data()
{
    QTest::addColumn<QString>("sFirst");

    m_server.SetRoute(QStringLiteral("/angryalien.com/novideo.html"),
                      HttpTestServer::Ok("<html>no movie here</html>", "text/html"));
    QTest::newRow("page without a video") << m_server.Url(QStringLiteral("/angryalien.com/novideo.html"));
    QTest::newRow("no supported site") << "http://example.org/not-a-video-site";
    QTest::newRow("page not fetched") << "http://127.0.0.1:1/angryalien.com/x.html";
    QTest::newRow("transfer failed")
        << ServePage(QStringLiteral("gone"), QStringLiteral("/files/gone.flv"),
                     Status("HTTP/1.1 404 Not Found"));
}

// Whatever became of the item before them, items listed while the run is on
// are reached.
void tst_DownloadQueue::runReachesItemsListedDuringIt()
{
    QFETCH(QString, sFirst);
    const QString sLate1 = ServeVideo(QStringLiteral("late1"), Bytes(3000, '1'));
    const QString sLate2 = ServeVideo(QStringLiteral("late2"), Bytes(4000, '2'));
    Add(sFirst);
    bool bAdded = false;
    connect(&m_session->ListStore(), &DownloadListStore::Changed, this, [&] {
        if (bAdded || !Item(0).Status.startsWith(QLatin1String("Preparing")))
            return;
        bAdded = true;
        Add(sLate1);
        Add(sLate2);
    });
    m_session->Queue().cmdStartDownload_Click();

    QVERIFY(bAdded);
    QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
    QCOMPARE(Item(1).Status, QStringLiteral("Complete"));
    QCOMPARE(Item(2).Status, QStringLiteral("Complete"));
    QCOMPARE(Downloaded(QStringLiteral("late2.flv")), Bytes(4000, '2'));
    QVERIFY(!m_session->Run().bDownloading());
}

void tst_DownloadQueue::pageWithoutAVideoKeepsItsAddress_data()
{
    QTest::addColumn<QString>("sUse");
    QTest::newRow("tool tip") << "tool tip";
    QTest::newRow("listed once") << "listed once";
    QTest::newRow("waiting again") << "waiting again";
}

void tst_DownloadQueue::pageWithoutAVideoKeepsItsAddress()
{
    QFETCH(QString, sUse);
    const QString sPagePath = QStringLiteral("/angryalien.com/later.html");
    m_server.SetRoute(sPagePath, HttpTestServer::Ok("<html>no movie yet</html>", "text/html"));
    const QString sPage = m_server.Url(sPagePath);
    Add(sPage);
    m_session->Queue().cmdStartDownload_Click();
    QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
    // The row says what it always said.
    QCOMPARE(Item(0).Video_URL,
             QStringLiteral("Video may be inappropriate and can not be downloaded"));
    QCOMPARE(Item(0).PageUrl(), sPage);

    if (sUse == QLatin1String("tool tip")) {
        const DownloadViewModel &view = *m_grid.DataSource();
        QCOMPARE(view.data(view.index(0, DownloadViewModel::colVideo_URL), Qt::ToolTipRole).toString(),
                 sPage);
    } else if (sUse == QLatin1String("listed once")) {
        Add(sPage + QLatin1Char(' '));
        QCOMPARE(m_session->ListStore().Count(), 1);
    } else {
        // What a retry does: the item waits again, and its page is read again.
        ServePage(QStringLiteral("later"), QStringLiteral("/files/later.flv"),
                  HttpTestServer::Ok(Bytes(2000, 'L'), "video/x-flv"));
        m_session->ListStore().SetStatus(Item(0).uSerial, QStringLiteral("Waiting"));
        m_session->Queue().cmdStartDownload_Click();
        QCOMPARE(Item(0).Status, QStringLiteral("Complete"));
        QCOMPARE(Item(0).Video_URL, sPage);
        QCOMPARE(Downloaded(Item(0).FileName), Bytes(2000, 'L'));
    }
}

void tst_DownloadQueue::failuresNameTheirCause_data()
{
    QTest::addColumn<QString>("sPage");    // served page; "names FILE" embeds the file address
    QTest::addColumn<QString>("sFile");    // the file address the page names
    QTest::addColumn<QByteArray>("answer"); // the status line of whatever is served; empty: none
    QTest::addColumn<QString>("sReason");  // %1 stands for the closed port

    const QString sServed = QStringLiteral("served");
    const QString sUnknownHost = QStringLiteral("http://nohost.invalid/angryalien.com/x.html");
    const QString sClosed = QStringLiteral("http://127.0.0.1:%1/angryalien.com/x.html");
    QTest::newRow("file 503 after every retry")
        << sServed << sServed << QByteArray("HTTP/1.1 503 Service Unavailable")
        << "The server answered 503 Service Unavailable 6 times";
    QTest::newRow("page 503 after every retry")
        << sServed << QString() << QByteArray("HTTP/1.1 503 Service Unavailable")
        << "The server answered 503 Service Unavailable 6 times";
    QTest::newRow("file 404 at once")
        << sServed << sServed << QByteArray("HTTP/1.1 404 Not Found")
        << "The server answered 404 Not Found";
    QTest::newRow("page 410 at once")
        << sServed << QString() << QByteArray("HTTP/1.1 410 Gone") << "The server answered 410 Gone";
    QTest::newRow("file on a closed port")
        << sServed << "http://127.0.0.1:%1/x.flv" << QByteArray()
        << "The connection to 127.0.0.1:%1 was refused";
    QTest::newRow("page on a closed port")
        << sClosed << QString() << QByteArray() << "The connection to 127.0.0.1:%1 was refused";
    QTest::newRow("file of an unknown host")
        << sServed << "http://nohost.invalid/x.flv" << QByteArray()
        << "The host nohost.invalid was not found";
    QTest::newRow("page of an unknown host")
        << sUnknownHost << QString() << QByteArray() << "The host nohost.invalid was not found";
    QTest::newRow("file server silent")
        << sServed << sServed << QByteArray("silent") << "127.0.0.1 sent nothing for 1 s";
    QTest::newRow("page without a video")
        << sServed << QString() << QByteArray("HTTP/1.1 200 OK") << "The page names no video file";
}

void tst_DownloadQueue::failuresNameTheirCause()
{
    QFETCH(QString, sPage);
    QFETCH(QString, sFile);
    QFETCH(QByteArray, answer);
    QFETCH(QString, sReason);

    // A port that was just free and is closed again: nothing listens there.
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 uClosedPort = closed.serverPort();
    closed.close();

    HttpTestServer::Response served = HttpTestServer::Ok("<html>no movie here</html>", "text/html");
    if (answer == "silent")
        served.neverAnswer = true;
    else if (!answer.isEmpty())
        served.statusLine = answer;
    const auto withPort = [uClosedPort](const QString &sText) {
        return sText.contains(QLatin1String("%1")) ? sText.arg(uClosedPort) : sText;
    };
    const QString sPagePath = QStringLiteral("/angryalien.com/cause.html");
    const QString sFileAddress = sFile == QLatin1String("served")
        ? m_server.Url(QStringLiteral("/files/cause.flv"))
        : withPort(sFile);
    if (!sFile.isEmpty()) {
        m_server.SetRoute(QStringLiteral("/files/cause.flv"), served);
        served = HttpTestServer::Ok(
            "<html><embed src=\"" + sFileAddress.toLatin1() + "\" width=400></html>", "text/html");
    }
    m_server.SetRoute(sPagePath, served);
    Add(sPage == QLatin1String("served") ? m_server.Url(sPagePath) : withPort(sPage));
    m_session->TransferControl().SetInactivityTimeoutSeconds(1);

    QStringList reasons;
    connect(&m_session->Queue(), &DownloadQueue::ItemFailed, this,
            [&](int, const QString &sWhy) { reasons << sWhy; });
    m_session->Queue().cmdStartDownload_Click();

    const QString sExpected = withPort(sReason);
    // The status stays what it always was; the tool tip and the signal say why.
    QCOMPARE(Item(0).Status, QStringLiteral("ERROR"));
    const DownloadViewModel *pView = m_session->ListStore().rsDownloadView();
    QCOMPARE(pView->index(0, DownloadViewModel::colStatus).data(Qt::ToolTipRole).toString(),
             sExpected);
    QCOMPARE(reasons, QStringList{sExpected});
}

void tst_DownloadQueue::runTipTellsTheWholeRun_data()
{
    QTest::addColumn<int>("iItem");
    QTest::addColumn<int>("iItems");
    QTest::addColumn<int>("iPercent"); // of the file under way
    QTest::addColumn<QString>("sTip");
    QTest::newRow("third of seven, its file at 45 %") << 3 << 7 << 45 << "Clipvane · 3 of 7 · 35 %";
    QTest::newRow("only item is the run") << 1 << 1 << 45 << "Clipvane · 1 of 1 · 45 %";
    QTest::newRow("first of four just begun") << 1 << 4 << 0 << "Clipvane · 1 of 4 · 0 %";
    QTest::newRow("last file whole") << 4 << 4 << 100 << "Clipvane · 4 of 4 · 100 %";
    QTest::newRow("size unknown: no percentage") << 2 << 5 << -1 << "Clipvane · 2 of 5";
    QTest::newRow("no run") << 0 << 0 << 50 << "Clipvane";
}

void tst_DownloadQueue::runTipTellsTheWholeRun()
{
    QFETCH(int, iItem);
    QFETCH(int, iItems);
    QFETCH(int, iPercent);
    QFETCH(QString, sTip);
    m_session->Presenter().ShowRunProgress(iItem, iItems, iPercent);
    QCOMPARE(m_session->Presenter().RunToolTip(), sTip);
}

void tst_DownloadQueue::transferTellsHowItGoesAndWhatItKept()
{
    // Seconds in coming, so that the figures are shown while it does.
    HttpTestServer::Response slow = Version(Bytes(1200 * 1024, 's'), "\"v1\"", QByteArray());
    slow.trickleBytes = 8192;
    slow.trickleIntervalMs = 20;
    Add(ServeVideo(QStringLiteral("slow"), slow));
    QStringList lines;
    QStringList toolTips;
    QStringList runTips;
    connect(&m_session->Presenter(), &RunPresenter::TransferChanged, this,
            [&](int iID, const QString &sLine) {
                QCOMPARE(iID, 1);
                lines << sLine;
                const DownloadViewModel *pView = m_session->ListStore().rsDownloadView();
                toolTips << pView->index(0, DownloadViewModel::colStatus).data(Qt::ToolTipRole).toString();
            });
    connect(&m_session->Presenter(), &RunPresenter::RunToolTipChanged, this,
            [&](const QString &sTip) { runTips << sTip; });
    // The user stops it past half of the file; what came is kept.
    ConfirmStopAtFirstProgress(
        [this] { return m_session->TransferControl().BytesReceived() > 700 * 1024; });
    m_session->Queue().cmdStartDownload_Click();
    QCOMPARE(Item(0).Status, QStringLiteral("Cancelled"));

    QVERIFY2(lines.size() >= 2, qPrintable(lines.join(u'|')));
    const QRegularExpression figures(QStringLiteral(
        "^[0-9.]+ (Bytes|KB|MB) of 1.2 MB · [0-9.]+ (Bytes|KB|MB)/s · about [0-9]+ s left$"));
    QVERIFY2(figures.match(lines.first()).hasMatch(), qPrintable(lines.first()));
    QCOMPARE(toolTips.first(), lines.first());
    QCOMPARE(lines.last(), QString());
    QVERIFY2(runTips.first() == QStringLiteral("Clipvane · 1 of 1"), qPrintable(runTips.join(u'|')));
    QVERIFY(runTips.filter(QRegularExpression(QStringLiteral("^Clipvane · 1 of 1 · [0-9]+ %$")))
                .size() >= 1);
    QCOMPARE(runTips.last(), QStringLiteral("Clipvane"));

    // Waiting again, now or after a restart, the row tells what is kept;
    // the Status itself stays what the program acts on.
    const QRegularExpression kept(QStringLiteral("^Waiting · ([5-9][0-9]) % kept$"));
    for (const bool bRestarted : {false, true}) {
        if (bRestarted) {
            const QList<DownloadItem> items = m_session->ListStore().Items();
            m_session = std::make_unique<DownloadSession>(m_grid, m_messages, *m_skin);
            m_session->Settings().sDownloadDir = m_downloads->path();
            m_session->ListStore().RestoreItems(items);
            m_session->ListStore().SetNote(Item(0).uSerial, QString());
            m_session->Queue().NoteKeptParts();
        }
        m_session->ListStore().SetStatus(Item(0).uSerial, QStringLiteral("Waiting"));
        m_session->ListStore().FillDownloadList();
        const QModelIndex status = m_grid.DataSource()->index(0, DownloadViewModel::colStatus);
        QVERIFY2(kept.match(status.data().toString()).hasMatch(), qPrintable(status.data().toString()));
        QCOMPARE(status.data(Qt::ToolTipRole).toString(), status.data().toString());
        QCOMPARE(status.data(Qt::EditRole).toString(), QStringLiteral("Waiting"));
    }
}

QTEST_GUILESS_MAIN(tst_DownloadQueue)
#include "tst_downloadqueue.moc"
