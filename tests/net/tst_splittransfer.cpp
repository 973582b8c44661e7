#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/byteranges.h"
#include "core/partfile.h"
#include "httptestserver.h"
#include "net/download.h"
#include "net/ratebudget.h"

using Response = HttpTestServer::Response;
using Span = ByteRanges::Span;

namespace {

constexpr qint64 kFileSize = 2 * 1024 * 1024;
constexpr qint64 kMinPiece = 64 * 1024;
// What a connection that is ended early may have been sent past its piece.
constexpr qint64 kOvershoot = 160 * 1024;

// Bytes that differ at every offset, so a piece written at the wrong place
// shows.
QByteArray FileBytes()
{
    QByteArray data(kFileSize, Qt::Uninitialized);
    quint32 uState = 12345;
    for (qint64 i = 0; i < kFileSize; ++i) {
        uState = uState * 1103515245u + 12345u;
        data[i] = char(uState >> 23);
    }
    return data;
}

// The file as a server that serves ranges has it, a little at a time per
// connection so that the connections overlap.
Response Served(const QByteArray &eTag = "\"v1\"")
{
    Response response = HttpTestServer::Ok(FileBytes(), "video/mp4");
    response.headers.append({"ETag", eTag});
    response.honourRange = true;
    response.trickleBytes = 16 * 1024;
    response.trickleIntervalMs = 5;
    return response;
}

Response With(Response response, auto change)
{
    change(response);
    return response;
}

qint64 Sum(const QList<qint64> &values, qsizetype iFrom = 0)
{
    qint64 lSum = 0;
    for (qsizetype i = iFrom; i < values.size(); ++i)
        lSum += values.at(i);
    return lSum;
}

int RangedRequests(const QList<QByteArray> &heads, qsizetype iFrom = 0)
{
    int iCount = 0;
    for (qsizetype i = iFrom; i < heads.size(); ++i)
        iCount += heads.at(i).contains("\r\nRange: bytes=") ? 1 : 0;
    return iCount;
}

QByteArray Content(const QString &sPath)
{
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

Q_DECLARE_METATYPE(QList<Span>)

class tst_SplitTransfer : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    void Aim(Download &download, const HttpTestServer &server, int iConnections)
    {
        download.SetUrl(server.Url(QStringLiteral("/f.mp4")));
        download.SetLocalFile(m_dir.filePath(QString::fromLatin1(QTest::currentDataTag())
                                                 .replace(QRegularExpression("\\W"), "-")));
        download.SetResume(true);
        download.SetConnections(iConnections, kMinPiece);
        download.SetConnectionRetries(3, 0.01);
        download.SetInactivityTimeoutSeconds(5);
    }

private Q_SLOTS:
    void rangesMergeAndTellWhatIsMissing_data();
    void rangesMergeAndTellWhatIsMissing();
    void splitsOverTheConnectionsTheServerServes_data();
    void splitsOverTheConnectionsTheServerServes();
    void continuesAKeptPartWhereEveryPieceStood_data();
    void continuesAKeptPartWhereEveryPieceStood();
    void stopOrFailureKeepsEveryPiece_data();
    void stopOrFailureKeepsEveryPiece();
    void ratesAreRead_data();
    void ratesAreRead();
    void speedLimitHoldsForAllConnections_data();
    void speedLimitHoldsForAllConnections();
};

void tst_SplitTransfer::rangesMergeAndTellWhatIsMissing_data()
{
    QTest::addColumn<QList<Span>>("added");
    QTest::addColumn<QByteArray>("encoded");
    QTest::addColumn<QList<Span>>("missingOf100");

    QTest::newRow("nothing") << QList<Span>{} << QByteArray() << QList<Span>{{0, 100}};
    QTest::newRow("adjacent pieces join")
        << QList<Span>{{0, 10}, {20, 30}, {10, 20}} << QByteArray("0-30") << QList<Span>{{30, 100}};
    QTest::newRow("overlaps and a gap")
        << QList<Span>{{50, 60}, {5, 15}, {10, 20}, {55, 70}} << QByteArray("5-20,50-70")
        << QList<Span>{{0, 5}, {20, 50}, {70, 100}};
    QTest::newRow("one span swallows others")
        << QList<Span>{{10, 20}, {30, 40}, {0, 100}} << QByteArray("0-100") << QList<Span>{};
    QTest::newRow("empty spans change nothing")
        << QList<Span>{{40, 40}, {60, 50}, {90, 100}} << QByteArray("90-100")
        << QList<Span>{{0, 90}};
}

void tst_SplitTransfer::rangesMergeAndTellWhatIsMissing()
{
    QFETCH(QList<Span>, added);
    QFETCH(QByteArray, encoded);
    QFETCH(QList<Span>, missingOf100);

    ByteRanges ranges;
    for (const Span &span : added)
        ranges.Add(span.lFrom, span.lTo);
    QCOMPARE(ranges.Encode(), encoded);
    QCOMPARE(ranges.Missing(100), missingOf100);
    // What is written reads back the same; what no writer writes is refused.
    QCOMPARE(ByteRanges::Decode(encoded, 100), std::optional<ByteRanges>(ranges));
    QVERIFY(!ByteRanges::Decode("95-99," + encoded, 100));
    QVERIFY(!ByteRanges::Decode("20-10", 100));
    QVERIFY(!ByteRanges::Decode("0-101", 100));
    QVERIFY(!ByteRanges::Decode("0-10,10-20", 100));
}

void tst_SplitTransfer::splitsOverTheConnectionsTheServerServes_data()
{
    QTest::addColumn<int>("iConnections");
    // Answers in turn: the size request, the first answer, then each
    // further connection's; the last one answers every later request.
    QTest::addColumn<QList<Response>>("answers");
    QTest::addColumn<int>("iLeastRanged");
    QTest::addColumn<int>("iMostRanged");
    // Body bytes the server may send, as a share of the file.
    QTest::addColumn<double>("dMostSent");

    const Response ok = Served();
    QTest::newRow("ranges served") << 4 << QList<Response>{ok} << 3 << 60 << 1.0;
    QTest::newRow("one connection asked for") << 1 << QList<Response>{ok} << 0 << 0 << 1.0;
    QTest::newRow("sixteen connections") << 16 << QList<Response>{ok} << 15 << 80 << 1.0;
    Response whole = ok;
    whole.honourRange = false;
    // The extra connections are dropped at their first bytes; the first
    // brings the whole file.
    QTest::newRow("server ignores Range") << 4 << QList<Response>{whole} << 3 << 3 << 3.0;
    QTest::newRow("validator changes on the third connection")
        << 4 << QList<Response>{ok, ok, ok, Served("\"v2\""), ok} << 3 << 60 << 2.0;
    Response busy = HttpTestServer::Ok("slow down", "text/plain");
    busy.statusLine = "HTTP/1.1 429 Too Many Requests";
    // How much is in flight when connections are rearranged after a refusal
    // varies with the machine's load: a little more than the file may be sent.
    QTest::newRow("fifth connection refused with 429")
        << 8 << QList<Response>{ok, ok, ok, ok, ok, busy, ok} << 7 << 80 << 1.1;
    busy.statusLine = "HTTP/1.1 503 Service Unavailable";
    QTest::newRow("second connection refused with 503")
        << 4 << QList<Response>{ok, ok, busy, ok} << 3 << 60 << 1.1;
    const Response cut = With(ok, [](Response &r) { r.cutAfter = 100 * 1024; });
    const Response reset = With(cut, [](Response &r) { r.resetAtCut = true; });
    QTest::newRow("connections cut and tried again")
        << 4 << QList<Response>{ok, ok, cut, reset, cut, ok} << 6 << 60 << 1.0;
}

void tst_SplitTransfer::splitsOverTheConnectionsTheServerServes()
{
    QFETCH(int, iConnections);
    QFETCH(QList<Response>, answers);
    QFETCH(int, iLeastRanged);
    QFETCH(int, iMostRanged);
    QFETCH(double, dMostSent);

    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRouteSequence(QStringLiteral("/f.mp4"), answers);
    Download download;
    Aim(download, server, iConnections);
    QVERIFY2(download.StartDownload(), qPrintable(download.LastError()));
    QVERIFY(Content(download.SavedFile()) == FileBytes());
    QVERIFY(!QFile::exists(PartFile::PartPathFor(download.LocalFile())));
    const int iRanged = RangedRequests(server.RequestHeads());
    QVERIFY2(iRanged >= iLeastRanged && iRanged <= iMostRanged, qPrintable(QString::number(iRanged)));
    QVERIFY(Sum(server.BodyBytesPerRequest()) <= qint64(dMostSent * kFileSize) + kOvershoot);
}

void tst_SplitTransfer::continuesAKeptPartWhereEveryPieceStood_data()
{
    QTest::addColumn<int>("iConnections");
    // What the kept part's record lists, and how long the part is (bytes
    // past the record are never counted).
    QTest::addColumn<QList<Span>>("done");
    QTest::addColumn<qint64>("lPartSize");
    QTest::addColumn<QByteArray>("keptETag");
    QTest::addColumn<qint64>("lMustSend");

    const qint64 k = 1024;
    QTest::newRow("start missing") << 4 << QList<Span>{{512 * k, kFileSize}} << kFileSize
                                   << QByteArray("\"v1\"") << 512 * k;
    QTest::newRow("gaps between") << 4 << QList<Span>{{0, 256 * k}, {768 * k, 1024 * k}, {1536 * k, kFileSize}}
                                  << kFileSize << QByteArray("\"v1\"") << 1024 * k;
    QTest::newRow("gaps between, one connection")
        << 1 << QList<Span>{{0, 256 * k}, {768 * k, 1024 * k}, {1536 * k, 1600 * k}}
        << 1600 * k << QByteArray("\"v1\"") << 1024 * k + kFileSize - 1600 * k;
    QTest::newRow("one run, more written than recorded")
        << 4 << QList<Span>{{0, 1024 * k}} << 1536 * k << QByteArray("\"v1\"") << 1024 * k;
    QTest::newRow("whole") << 4 << QList<Span>{{0, kFileSize}} << kFileSize << QByteArray("\"v1\"")
                           << qint64(1);
    QTest::newRow("kept from another file") << 4 << QList<Span>{{0, 256 * k}, {512 * k, kFileSize}}
                                            << kFileSize << QByteArray("\"v0\"") << kFileSize;
}

void tst_SplitTransfer::continuesAKeptPartWhereEveryPieceStood()
{
    QFETCH(int, iConnections);
    QFETCH(QList<Span>, done);
    QFETCH(qint64, lPartSize);
    QFETCH(QByteArray, keptETag);
    QFETCH(qint64, lMustSend);

    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/f.mp4"), Served());
    Download download;
    Aim(download, server, iConnections);
    {
        // The part as an earlier run left it: what the record lists is the
        // file's; everything else is junk that must not survive.
        PartFile part;
        QVERIFY(part.Open(download.LocalFile()));
        const QByteArray bytes = FileBytes();
        QByteArray junk(lPartSize, 'J');
        for (const Span &span : done)
            junk.replace(span.lFrom, span.Length(), bytes.mid(span.lFrom, span.Length()));
        QVERIFY(part.Write(junk.constData(), junk.size()));
        PartOrigin origin(download.Url(), QString::fromLatin1(keptETag), kFileSize);
        origin.bSplit = true;
        origin.done = ByteRanges(done);
        QVERIFY(part.SetOrigin(origin));
        part.Keep();
    }
    QVERIFY2(download.StartDownload(), qPrintable(download.LastError()));
    QVERIFY(Content(download.SavedFile()) == FileBytes());
    const qint64 lSent = Sum(server.BodyBytesPerRequest());
    QVERIFY2(lSent >= lMustSend && lSent <= lMustSend + kOvershoot, qPrintable(QString::number(lSent)));
}

void tst_SplitTransfer::stopOrFailureKeepsEveryPiece_data()
{
    QTest::addColumn<bool>("bStop");
    QTest::addColumn<Response>("firstServer");

    QTest::newRow("stopped") << true << Served();
    // Each connection breaks off for good: the last one's failure ends it.
    QTest::newRow("every connection cut")
        << false << With(Served(), [](Response &r) { r.cutAfter = 300 * 1024; });
}

void tst_SplitTransfer::stopOrFailureKeepsEveryPiece()
{
    QFETCH(bool, bStop);
    QFETCH(Response, firstServer);

    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/f.mp4"), firstServer);
    Download first;
    Aim(first, server, 4);
    first.SetConnectionRetries(0);
    if (bStop) {
        connect(&first, &Download::DownloadProgress, &first, [&first] {
            if (first.BytesReceived() >= kFileSize * 2 / 5)
                first.CancelDownload();
        });
    }
    QVERIFY(!first.StartDownload());
    const PartOrigin kept = PartFile::KeptOrigin(first.LocalFile());
    QVERIFY(kept.bSplit);
    QVERIFY(kept.done.Spans().size() > 1);
    const qint64 lKept = kept.done.Covered();
    QCOMPARE(lKept, first.BytesReceived());
    QVERIFY(lKept > 0 && lKept < kFileSize);

    const qsizetype iFirstRequests = server.BodyBytesPerRequest().size();
    server.SetRoute(QStringLiteral("/f.mp4"), Served());
    Download second;
    Aim(second, server, 4);
    QVERIFY2(second.StartDownload(), qPrintable(second.LastError()));
    QVERIFY(Content(second.SavedFile()) == FileBytes());
    const qint64 lSent = Sum(server.BodyBytesPerRequest(), iFirstRequests);
    QVERIFY2(lSent >= kFileSize - lKept && lSent <= kFileSize - lKept + kOvershoot,
             qPrintable(QString::number(lSent)));
}

void tst_SplitTransfer::ratesAreRead_data()
{
    QTest::addColumn<QString>("sRate");
    QTest::addColumn<qint64>("lBytesPerSecond");
    QTest::newRow("kibibytes") << "500K" << qint64(500 * 1024);
    QTest::newRow("mebibytes, lower case") << "2m" << qint64(2 * 1024 * 1024);
    QTest::newRow("fraction") << "1.5M" << qint64(1536 * 1024);
    QTest::newRow("bytes") << "64000" << qint64(64000);
    QTest::newRow("zero") << "0" << qint64(-1);
    QTest::newRow("negative") << "-5K" << qint64(-1);
    QTest::newRow("other unit") << "3G" << qint64(-1);
    QTest::newRow("no number") << "fast" << qint64(-1);
}

void tst_SplitTransfer::ratesAreRead()
{
    QFETCH(QString, sRate);
    QFETCH(qint64, lBytesPerSecond);
    QCOMPARE(RateBudget::ParseRate(sRate), lBytesPerSecond);
}

void tst_SplitTransfer::speedLimitHoldsForAllConnections_data()
{
    QTest::addColumn<int>("iConnections");
    QTest::newRow("one connection") << 1;
    QTest::newRow("four connections") << 4;
}

// A generous bound: the bench measures the exact figure.
void tst_SplitTransfer::speedLimitHoldsForAllConnections()
{
    QFETCH(int, iConnections);

    HttpTestServer server;
    QVERIFY(server.Start());
    server.SetRoute(QStringLiteral("/f.mp4"), With(Served(), [](Response &r) { r.trickleBytes = 0; }));
    Download download;
    Aim(download, server, iConnections);
    constexpr qint64 kRate = 640 * 1024;
    RateBudget::Shared().SetBytesPerSecond(kRate);
    QElapsedTimer clock;
    clock.start();
    const bool bDone = download.StartDownload();
    const double dSeconds = double(clock.elapsed()) / 1000.0;
    RateBudget::Shared().SetBytesPerSecond(0);
    QVERIFY(bDone);
    QVERIFY(Content(download.SavedFile()) == FileBytes());
    const double dRate = double(kFileSize) / dSeconds;
    QVERIFY2(dRate <= 1.1 * kRate && dRate >= 0.5 * kRate, qPrintable(QString::number(dRate)));
}

QTEST_GUILESS_MAIN(tst_SplitTransfer)
#include "tst_splittransfer.moc"
