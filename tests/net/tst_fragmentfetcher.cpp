#include <QFile>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <openssl/evp.h>

#include "httptestserver.h"
#include "net/fragmentfetcher.h"
#include "net/fragmentrecord.h"
#include "net/ratebudget.h"

using Response = HttpTestServer::Response;
using Result = FragmentFetcher::Result;

namespace {

// Made-up fragment bytes, each of its own size and content.
QByteArray Body(const QString &sName, int i)
{
    QByteArray data(700 + 37 * i, Qt::Uninitialized);
    for (qsizetype j = 0; j < data.size(); ++j)
        data[j] = char(sName.size() * 31 + i * 13 + j);
    return data;
}

QByteArray Encrypt(const QByteArray &key, const QByteArray &iv, const QByteArray &plain)
{
    EVP_CIPHER_CTX *pCtx = EVP_CIPHER_CTX_new();
    QByteArray out(plain.size() + 16, Qt::Uninitialized);
    int iUpdate = 0;
    int iFinal = 0;
    const auto *pKey = reinterpret_cast<const unsigned char *>(key.constData());
    const auto *pIv = reinterpret_cast<const unsigned char *>(iv.constData());
    auto *pOut = reinterpret_cast<unsigned char *>(out.data());
    EVP_EncryptInit_ex(pCtx, EVP_aes_128_cbc(), nullptr, pKey, pIv);
    EVP_EncryptUpdate(pCtx, pOut, &iUpdate,
                      reinterpret_cast<const unsigned char *>(plain.constData()),
                      int(plain.size()));
    EVP_EncryptFinal_ex(pCtx, pOut + iUpdate, &iFinal);
    EVP_CIPHER_CTX_free(pCtx);
    return out.left(iUpdate + iFinal);
}

// The media sequence number as an IV: 16 bytes, big-endian.
QByteArray SequenceIv(quint64 uSequence)
{
    QByteArray iv(16, '\0');
    for (int i = 0; i < 8; ++i)
        iv[15 - i] = char(uSequence >> (8 * i));
    return iv;
}

QByteArray ReadAll(const QString &sPath)
{
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class tst_FragmentFetcher : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_server.Start()); }
    void fetchesInOrder_data();
    void fetchesInOrder();
    void failures_data();
    void failures();
    void resumes_data();
    void resumes();
    void speedLimitHoldsForFragments_data();
    void speedLimitHoldsForFragments();

private:
    // A track of iCount fragments at /TAG/NAMEi, served as given; with a
    // key, each fragment is encrypted under it with its sequence IV.
    FragmentTrack Serve(const QString &sName, int iCount, QByteArray &expected,
                        const QByteArray &key = QByteArray(), const QString &sKeyName = {});
    QString Path(const QString &sName) const
    {
        return u'/' + QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_') + u'/'
            + sName;
    }
    // Paths of this row's requests since request iFrom, in order.
    // Paths asked from iFrom on; with a mark, only by requests that carry it.
    QStringList Requested(qsizetype iFrom = 0, const QByteArray &mark = {}) const;

    HttpTestServer m_server;
    QTemporaryDir m_dir;
};

FragmentTrack tst_FragmentFetcher::Serve(const QString &sName, int iCount, QByteArray &expected,
                                         const QByteArray &key, const QString &sKeyName)
{
    FragmentTrack track;
    for (int i = 0; i < iCount; ++i) {
        StreamFragment fragment;
        fragment.url = QUrl(m_server.Url(Path(sName + QString::number(i))));
        fragment.uSequence = 100 + quint64(i);
        QByteArray body = Body(sName, i);
        expected += body;
        if (!key.isEmpty()) {
            fragment.keyUrl = QUrl(m_server.Url(Path(sKeyName)));
            fragment.iv = SequenceIv(fragment.uSequence);
            body = Encrypt(key, fragment.iv, body);
        }
        m_server.SetRoute(Path(sName + QString::number(i)), HttpTestServer::Ok(body));
        track.fragments.append(fragment);
    }
    return track;
}

QStringList tst_FragmentFetcher::Requested(qsizetype iFrom, const QByteArray &mark) const
{
    QStringList paths;
    const QList<QByteArray> heads = m_server.RequestHeads();
    for (qsizetype i = iFrom; i < heads.size(); ++i) {
        if (!heads.at(i).contains(mark))
            continue;
        const QString sPath = QString::fromLatin1(heads.at(i).split(' ').value(1));
        if (sPath.startsWith(Path(QString())))
            paths.append(sPath.mid(Path(QString()).size()));
    }
    return paths;
}

void tst_FragmentFetcher::fetchesInOrder_data()
{
    QTest::addColumn<int>("iParallel");
    QTest::addColumn<QString>("sKind");
    QTest::newRow("one at a time") << 1 << QStringLiteral("plain");
    QTest::newRow("six at a time") << 6 << QStringLiteral("plain");
    QTest::newRow("sixteen at a time") << 16 << QStringLiteral("plain");
    QTest::newRow("byte ranges of one file") << 4 << QStringLiteral("ranges");
    QTest::newRow("AES-128, a key change, sequence IVs") << 6 << QStringLiteral("aes");
    QTest::newRow("video and audio") << 3 << QStringLiteral("two tracks");
}

void tst_FragmentFetcher::fetchesInOrder()
{
    QFETCH(int, iParallel);
    QFETCH(QString, sKind);
    const int iCount = 20;
    QList<QByteArray> expected(2);
    QList<FragmentTrack> tracks;
    if (sKind == u"ranges") {
        FragmentTrack track;
        for (int i = 0; i < iCount; ++i) {
            const QByteArray body = Body(QStringLiteral("r"), i);
            StreamFragment fragment;
            fragment.url = QUrl(m_server.Url(Path(QStringLiteral("all"))));
            fragment.lOffset = expected[0].size();
            fragment.lLength = body.size();
            track.fragments.append(fragment);
            expected[0] += body;
        }
        Response whole = HttpTestServer::Ok(expected[0]);
        whole.honourRange = true;
        m_server.SetRoute(Path(QStringLiteral("all")), whole);
        tracks.append(track);
    } else if (sKind == u"aes") {
        // The key changes half way, as a playlist's new key tag makes it.
        const QByteArray first(16, 'a');
        const QByteArray second(16, 'b');
        FragmentTrack track = Serve(QStringLiteral("f"), iCount / 2, expected[0], first, "k1");
        const FragmentTrack rest =
            Serve(QStringLiteral("g"), iCount / 2, expected[0], second, "k2");
        track.fragments += rest.fragments;
        m_server.SetRoute(Path(QStringLiteral("k1")), HttpTestServer::Ok(first));
        m_server.SetRoute(Path(QStringLiteral("k2")), HttpTestServer::Ok(second));
        tracks.append(track);
    } else {
        tracks.append(Serve(QStringLiteral("f"), iCount, expected[0]));
        if (sKind == u"two tracks")
            tracks.append(Serve(QStringLiteral("a"), iCount / 2, expected[1]));
    }
    // The first fragment trickles in last, so the rest must wait for it.
    if (sKind != u"ranges") {
        const QByteArray body = Body(QStringLiteral("f"), 0);
        Response slow = HttpTestServer::Ok(
            sKind == u"aes" ? Encrypt(QByteArray(16, 'a'), SequenceIv(100), body) : body);
        slow.trickleBytes = 100;
        slow.trickleIntervalMs = 5;
        m_server.SetRoute(Path(QStringLiteral("f0")), slow);
    }

    FragmentFetcher fetcher;
    fetcher.SetParallel(iParallel);
    QStringList outputs;
    for (qsizetype i = 0; i < tracks.size(); ++i) {
        const QString sName = QString::fromLatin1(QTest::currentDataTag()) + QString::number(i);
        outputs.append(m_dir.filePath(sName));
        fetcher.AddTrack(tracks.at(i), outputs.last());
    }
    const qsizetype iBefore = m_server.RequestHeads().size();
    qint64 iMostAhead = 0;
    connect(&fetcher, &FragmentFetcher::Progress, this, [&](qint64 iDone, qint64, qint64) {
        const qsizetype iFragments = Requested(iBefore).filter(QRegularExpression("^[fga]")).size();
        iMostAhead = qMax<qint64>(iMostAhead, iFragments - iDone);
    });
    QCOMPARE(fetcher.Fetch(), Result::Complete);
    for (qsizetype i = 0; i < tracks.size(); ++i)
        QCOMPARE(ReadAll(outputs.at(i)), expected.at(i));
    // Fragments asked for but not yet written never outnumber the limit.
    QVERIFY2(iMostAhead <= iParallel, qPrintable(QString::number(iMostAhead)));
    // Each key is fetched once.
    QVERIFY(Requested(iBefore).count(QStringLiteral("k1")) <= 1);
    QVERIFY(Requested(iBefore).count(QStringLiteral("k2")) <= 1);
}

void tst_FragmentFetcher::failures_data()
{
    QTest::addColumn<QString>("sFailing"); // the path that answers the sequence below
    QTest::addColumn<QList<Response>>("answers");
    QTest::addColumn<int>("iRetries");
    QTest::addColumn<int>("iRequests"); // of the failing path
    QTest::addColumn<QString>("sError"); // %1: the server's address of this row

    const auto status = [](const QByteArray &line) {
        Response r;
        r.statusLine = line;
        return r;
    };
    const Response busy = status("HTTP/1.1 503 Service Unavailable");
    Response cut = HttpTestServer::Ok(QByteArray(2000, 'x'));
    cut.cutAfter = 100;
    const QList<Response> ok{HttpTestServer::Ok(Encrypt(QByteArray(16, 'k'), SequenceIv(102),
                                                        Body(QStringLiteral("f"), 2)))};
    QTest::newRow("fails twice, then comes") << "f2" << QList<Response>{busy, busy} + ok << 5 << 3
                                             << QString();
    QTest::newRow("cut short, then whole") << "f2" << QList<Response>{cut} + ok << 5 << 2
                                           << QString();
    QTest::newRow("not found: at once") << "f2" << QList<Response>{status("HTTP/1.1 404 Not Found")}
                                        << 5 << 1
                                        << "Fragment 3 of 4: the server answered 404 Not Found";
    QTest::newRow("fails past the retries")
        << "f2" << QList<Response>{status("HTTP/1.1 500 Internal Server Error")} << 2 << 3
        << "Fragment 3 of 4: the server answered 500 Internal Server Error";
    QTest::newRow("no key") << "k" << QList<Response>{status("HTTP/1.1 403 Forbidden")} << 5 << 1
                            << "The key at %1k: the server answered 403 Forbidden";
    QTest::newRow("a key of 15 bytes")
        << "k" << QList<Response>{HttpTestServer::Ok("123456789012345")} << 5 << 1
        << "The key at %1k is 15 bytes long instead of 16";
}

void tst_FragmentFetcher::failures()
{
    QFETCH(QString, sFailing);
    QFETCH(QList<Response>, answers);
    QFETCH(int, iRetries);
    QFETCH(int, iRequests);
    QFETCH(QString, sError);
    QByteArray expected;
    const QByteArray key(16, 'k');
    const FragmentTrack track = Serve(QStringLiteral("f"), 4, expected, key, QStringLiteral("k"));
    m_server.SetRoute(Path(QStringLiteral("k")), HttpTestServer::Ok(key));
    m_server.SetRouteSequence(Path(sFailing), answers);

    FragmentFetcher fetcher;
    fetcher.SetRetries(iRetries);
    fetcher.SetTimeScale(0);
    const QString sOutput = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));
    fetcher.AddTrack(track, sOutput);
    const qsizetype iBefore = m_server.RequestHeads().size();
    QCOMPARE(fetcher.Fetch(), sError.isEmpty() ? Result::Complete : Result::Failed);
    QCOMPARE(fetcher.ErrorString(),
             QString(sError).replace(QStringLiteral("%1"), m_server.Url(Path(QString()))));
    QCOMPARE(Requested(iBefore).count(sFailing), iRequests);
    if (sError.isEmpty())
        QCOMPARE(ReadAll(sOutput), expected);
}

void tst_FragmentFetcher::resumes_data()
{
    QTest::addColumn<int>("iStopAfter"); // fragments written when the first fetch is stopped
    QTest::addColumn<QString>("sBetween"); // what happens before the second fetch
    QTest::newRow("stopped, then the rest") << 3 << QString();
    QTest::newRow("stopped before anything") << 0 << QString();
    QTest::newRow("bytes past the last whole fragment") << 5 << QStringLiteral("longer");
    QTest::newRow("record beside the file") << 4 << QStringLiteral("side file");
    QTest::newRow("another list starts over") << 3 << QStringLiteral("other list");
    QTest::newRow("already whole: nothing asked") << -1 << QString();
    QTest::newRow("whole, with bytes past its end") << -1 << QStringLiteral("longer");
}

void tst_FragmentFetcher::resumes()
{
    QFETCH(int, iStopAfter);
    QFETCH(QString, sBetween);
    const int iCount = 8;
    const RecordPlace place =
        sBetween == u"side file" ? RecordPlace::SideFileOnly : RecordPlace::AttributeFirst;
    QByteArray expected;
    FragmentTrack track = Serve(QStringLiteral("f"), iCount, expected);
    const QString sOutput = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()));

    FragmentFetcher first;
    first.SetRecordPlace(place);
    first.SetParallel(3);
    first.AddTrack(track, sOutput);
    connect(&first, &FragmentFetcher::Progress, this, [&](qint64 iDone, qint64, qint64) {
        if (iDone == iStopAfter)
            first.Cancel();
    });
    QCOMPARE(first.Fetch(), iStopAfter < 0 ? Result::Complete : Result::Cancelled);
    QCOMPARE(ReadAll(sOutput), iStopAfter < 0 ? expected : expected.left(ReadAll(sOutput).size()));

    int iFrom = qMax(iStopAfter, 0);
    if (iStopAfter < 0)
        iFrom = iCount;
    if (sBetween == u"side file")
        QVERIFY(QFile::exists(FragmentRecord::SidePathFor(sOutput)));
    if (sBetween == u"longer") {
        QFile file(sOutput);
        QVERIFY(file.open(QIODevice::Append));
        file.write("half a fragment");
    }
    if (sBetween == u"other list") {
        // The addresses change: the list is another one.
        expected.clear();
        track = Serve(QStringLiteral("g"), iCount, expected);
        iFrom = 0;
    }
    FragmentFetcher second;
    second.SetRecordPlace(place);
    second.AddTrack(track, sOutput);
    // The first fetch's cancelled requests may still reach the server's
    // thread now: only the second's count.
    second.AddRawHeader("X-Fetch", "second");
    const qsizetype iBefore = m_server.RequestHeads().size();
    QCOMPARE(second.Fetch(), Result::Complete);
    QCOMPARE(ReadAll(sOutput), expected);
    QStringList wanted;
    for (int i = iFrom; i < iCount; ++i)
        wanted.append(QString(sBetween == u"other list" ? u'g' : u'f') + QString::number(i));
    QStringList asked = Requested(iBefore, "X-Fetch: second");
    asked.sort();
    QCOMPARE(asked, wanted);
}

void tst_FragmentFetcher::speedLimitHoldsForFragments_data()
{
    QTest::addColumn<int>("iParallel");
    QTest::newRow("one at a time") << 1;
    QTest::newRow("six at a time") << 6;
}

// The program's one speed limit holds fragments too; a generous bound (the
// bench gives the exact figure).
void tst_FragmentFetcher::speedLimitHoldsForFragments()
{
    QFETCH(int, iParallel);
    QByteArray expected;
    const FragmentTrack track = Serve(QStringLiteral("s"), 20, expected);
    FragmentFetcher fetcher;
    fetcher.SetParallel(iParallel);
    const QString sOutput = m_dir.filePath(Path(QStringLiteral("limited")).replace(u'/', u'_'));
    fetcher.AddTrack(track, sOutput);
    constexpr qint64 kRate = 8 * 1024;
    RateBudget::Shared().SetBytesPerSecond(kRate);
    QElapsedTimer clock;
    clock.start();
    const Result result = fetcher.Fetch();
    const double dSeconds = double(clock.elapsed()) / 1000.0;
    RateBudget::Shared().SetBytesPerSecond(0);
    QCOMPARE(result, Result::Complete);
    QCOMPARE(ReadAll(sOutput), expected);
    const double dRate = double(expected.size()) / dSeconds;
    QVERIFY2(dRate <= 1.1 * kRate && dRate >= 0.5 * kRate, qPrintable(QString::number(dRate)));
}

QTEST_GUILESS_MAIN(tst_FragmentFetcher)
#include "tst_fragmentfetcher.moc"
