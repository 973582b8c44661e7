#include "net/fragmentfetcher.h"

#include <QFile>
#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "net/aes128decryptor.h"
#include "net/browseragent.h"
#include "net/fragmentrecord.h"
#include "net/netlog.h"
#include "net/passingfailure.h"
#include "net/ratebudget.h"
#include "net/replyhelpers.h"

namespace {

// What Qt may buffer of one answer ahead of the reads.
constexpr qint64 kReadAheadBytes = 1024 * 1024;

QString SystemError(int iErrno)
{
    return QString::fromLocal8Bit(std::strerror(iErrno));
}

bool WriteAll(int fd, qint64 lAt, const QByteArray &data)
{
    qsizetype iDone = 0;
    while (iDone < data.size()) {
        const ssize_t iWritten = ::pwrite(fd, data.constData() + iDone,
                                          size_t(data.size() - iDone), lAt + iDone);
        if (iWritten < 0 && errno == EINTR)
            continue;
        if (iWritten <= 0)
            return false;
        iDone += iWritten;
    }
    return true;
}

// "bytes FIRST-LAST/TOTAL": FIRST, or -1 for anything else.
qint64 RangeStart(const QByteArray &contentRange)
{
    const QByteArray text = contentRange.trimmed();
    const qsizetype iDash = text.indexOf('-');
    if (!text.startsWith("bytes ") || iDash < 0)
        return -1;
    bool bNumber = false;
    const qint64 lStart = text.mid(6, iDash - 6).toLongLong(&bNumber);
    return bNumber ? lStart : -1;
}

} // namespace

struct FragmentFetcher::Track
{
    FragmentTrack list;
    QString sPath;
    QList<QPair<QByteArray, QByteArray>> headers;
    int fd = -1;
    QByteArray fingerprint;
    qint64 iNextStart = 0;
    qint64 iNextWrite = 0;
    qint64 lSize = 0;
    // Fragments that arrived before the ones they follow.
    QMap<qint64, QByteArray> waiting;

    ~Track()
    {
        if (fd >= 0)
            ::close(fd);
    }
    qint64 Unwritten() const { return iNextStart - iNextWrite; }
};

FragmentFetcher::FragmentFetcher(QObject *parent)
    : QObject(parent), m_agent(kBrowserUserAgent)
{
}

FragmentFetcher::~FragmentFetcher() = default;

void FragmentFetcher::AddRawHeader(const QByteArray &name, const QByteArray &value)
{
    m_headers.append({name, value});
}

void FragmentFetcher::SetSource(const QString &sPlaylistUrl, const QString &sVariant)
{
    m_sPlaylistUrl = sPlaylistUrl;
    m_sVariant = sVariant;
}

void FragmentFetcher::AddTrack(const FragmentTrack &track, const QString &sOutputPath,
                               const QList<QPair<QByteArray, QByteArray>> &headers)
{
    auto pTrack = std::make_unique<Track>();
    pTrack->list = track;
    pTrack->sPath = sOutputPath;
    pTrack->headers = headers;
    m_tracks.push_back(std::move(pTrack));
}

void FragmentFetcher::ClearTracks()
{
    m_tracks.clear();
}

void FragmentFetcher::RemoveTrackFile(const QString &sOutputPath)
{
    FragmentRecord::Remove(-1, sOutputPath);
    ::unlink(QFile::encodeName(sOutputPath).constData());
}

bool FragmentFetcher::OpenTrack(Track &track)
{
    if (track.fd >= 0)
        ::close(track.fd);
    track.waiting.clear();
    const QByteArray path = QFile::encodeName(track.sPath);
    track.fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    struct stat info {};
    if (track.fd < 0 || ::fstat(track.fd, &info) != 0) {
        Fail(QStringLiteral("Could not open %1: %2").arg(track.sPath, SystemError(errno)));
        return false;
    }
    // Another name of the file would see it change under it.
    if (!S_ISREG(info.st_mode) || info.st_nlink != 1) {
        Fail(QStringLiteral("Could not open %1: it is not a file of its own").arg(track.sPath));
        return false;
    }
    track.fingerprint = track.list.Fingerprint();
    const FragmentRecord kept = FragmentRecord::Read(track.fd, track.sPath, m_recordPlace);
    const bool bGoesOn = !kept.IsEmpty() && kept.fingerprint == track.fingerprint
        && kept.iWritten <= track.list.Count() && kept.lBytes <= info.st_size;
    track.iNextWrite = bGoesOn ? kept.iWritten : 0;
    track.iNextStart = track.iNextWrite;
    track.lSize = bGoesOn ? kept.lBytes : 0;
    // Bytes past the last whole fragment are cut: the fragment is fetched
    // again.
    if (info.st_size != track.lSize && ::ftruncate(track.fd, track.lSize) != 0) {
        Fail(QStringLiteral("Could not write %1: %2").arg(track.sPath, SystemError(errno)));
        return false;
    }
    const FragmentRecord record{m_sPlaylistUrl, m_sVariant, track.fingerprint, track.iNextWrite,
                                track.lSize};
    if (!record.Write(track.fd, track.sPath, m_recordPlace)) {
        Fail(QStringLiteral("Could not write the record of %1").arg(track.sPath));
        return false;
    }
    return true;
}

FragmentFetcher::Result FragmentFetcher::Fetch()
{
    if (m_bRunning)
        return Result::Failed;
    m_bRunning = true;
    m_bFinished = false;
    m_sError.clear();
    m_keys.clear();
    m_keysAsked.clear();
    m_session = std::make_unique<QNetworkAccessManager>();
    m_session->setProxy(QNetworkProxy::NoProxy);
    m_session->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);

    for (const auto &pTrack : m_tracks) {
        if (!OpenTrack(*pTrack))
            break;
    }
    if (!m_bFinished) {
        EmitProgress();
        Pump();
    }
    if (!m_bFinished) {
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec();
        m_pLoop = nullptr;
    }
    // Replies still open and waits still planned end with the session.
    m_session.reset();
    m_received.clear();
    m_held.clear();
    m_finishing.clear();
    for (const auto &pTrack : m_tracks) {
        if (pTrack->fd >= 0)
            ::close(pTrack->fd);
        pTrack->fd = -1;
        pTrack->waiting.clear();
    }
    m_bRunning = false;
    return m_result;
}

void FragmentFetcher::Cancel()
{
    if (m_bRunning)
        Finish(Result::Cancelled);
}

void FragmentFetcher::Finish(Result result)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_result = result;
    if (m_session) {
        // Aborting emits finished; nothing of this fetch listens any more.
        const auto replies = m_session->findChildren<QNetworkReply *>();
        for (QNetworkReply *pReply : replies) {
            pReply->disconnect(this);
            pReply->abort();
        }
    }
    if (m_pLoop)
        m_pLoop->quit();
}

void FragmentFetcher::Fail(const QString &sReason)
{
    if (m_bFinished)
        return;
    m_sError = sReason;
    Finish(Result::Failed);
}

void FragmentFetcher::Pump()
{
    qint64 iUnwritten = 0;
    bool bAllWritten = true;
    for (const auto &pTrack : m_tracks) {
        iUnwritten += pTrack->Unwritten();
        bAllWritten = bAllWritten && pTrack->iNextWrite == pTrack->list.Count();
    }
    if (bAllWritten) {
        Finish(Result::Complete);
        return;
    }
    while (!m_bFinished && iUnwritten < m_iParallel) {
        // The track furthest behind goes next, so that video and audio
        // advance together.
        int iPick = -1;
        double dLeast = 2;
        for (int i = 0; i < int(m_tracks.size()); ++i) {
            const Track &track = *m_tracks[size_t(i)];
            if (track.iNextStart >= track.list.Count())
                continue;
            const double dShare = double(track.iNextStart) / double(track.list.Count());
            if (dShare < dLeast) {
                dLeast = dShare;
                iPick = i;
            }
        }
        if (iPick < 0)
            return;
        Track &track = *m_tracks[size_t(iPick)];
        const StreamFragment &fragment = track.list.fragments.at(track.iNextStart);
        Request request;
        request.iTrack = iPick;
        request.iIndex = track.iNextStart++;
        ++iUnwritten;
        if (fragment.IsEncrypted() && !m_keysAsked.contains(fragment.keyUrl)) {
            m_keysAsked.insert(fragment.keyUrl, true);
            Request key = request;
            key.iIndex = -1;
            key.keyUrl = fragment.keyUrl;
            Start(key);
        }
        Start(request);
    }
}

void FragmentFetcher::Start(const Request &request)
{
    const StreamFragment *pFragment = request.iIndex >= 0
        ? &m_tracks[size_t(request.iTrack)]->list.fragments.at(request.iIndex)
        : nullptr;
    QNetworkRequest http(pFragment ? pFragment->url : request.keyUrl);
    http.setHeader(QNetworkRequest::UserAgentHeader, m_agent);
    http.setRawHeader("Accept-Encoding", "identity");
    for (const auto &[name, value] : std::as_const(m_headers))
        http.setRawHeader(name, value);
    for (const auto &[name, value] : std::as_const(m_tracks[size_t(request.iTrack)]->headers))
        http.setRawHeader(name, value);
    http.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    http.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    http.setTransferTimeout(m_iTimeoutSeconds * 1000);
    if (pFragment && (pFragment->lOffset > 0 || pFragment->lLength >= 0)) {
        const QByteArray last = pFragment->lLength >= 0
            ? QByteArray::number(pFragment->lOffset + pFragment->lLength - 1)
            : QByteArray();
        http.setRawHeader("Range", "bytes=" + QByteArray::number(pFragment->lOffset) + '-' + last);
    }
    QNetworkReply *pReply = m_session->get(http);
    // Read as it arrives, within the program's speed limit; Qt buffers
    // little ahead of that, so the server is held back too.
    pReply->setReadBufferSize(kReadAheadBytes);
    connect(pReply, &QNetworkReply::readyRead, this, [this, pReply] { TakeAllowed(*pReply); });
    connect(pReply, &QNetworkReply::finished, this,
            [this, pReply, request] { OnFinished(pReply, request); });
}

QString FragmentFetcher::Label(const Request &request) const
{
    const Track &track = *m_tracks[size_t(request.iTrack)];
    if (request.iIndex < 0)
        return QStringLiteral("The key at %1").arg(request.keyUrl.toString());
    return QStringLiteral("Fragment %1 of %2").arg(request.iIndex + 1).arg(track.list.Count());
}

bool FragmentFetcher::TakeAnswer(QNetworkReply &reply, const Request &request, QByteArray &body,
                                 QString &sWhy, bool &bPassing) const
{
    bPassing = false;
    const int iStatus = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (IsTransportError(reply.error()) || iStatus == 0) {
        bPassing = PassingFailure::MayPass(iStatus, reply.error());
        sWhy = reply.errorString();
        return false;
    }
    const StreamFragment *pFragment = request.iIndex >= 0
        ? &m_tracks[size_t(request.iTrack)]->list.fragments.at(request.iIndex)
        : nullptr;
    const bool bRanged = pFragment && (pFragment->lOffset > 0 || pFragment->lLength >= 0);
    body += reply.readAll();
    if (iStatus == 200 && bRanged) {
        // A server that ignores Range sends the whole resource.
        body = body.mid(pFragment->lOffset, pFragment->lLength);
    } else if (!(iStatus == 200 || (iStatus == 206 && bRanged
                                    && RangeStart(reply.rawHeader("Content-Range"))
                                        == pFragment->lOffset))) {
        bPassing = PassingFailure::MayPass(iStatus, reply.error());
        const QString sReason =
            reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        sWhy = QStringLiteral("the server answered %1").arg(iStatus)
            + (sReason.isEmpty() ? QString() : u' ' + sReason);
        return false;
    }
    if (bRanged && pFragment->lLength >= 0 && body.size() != pFragment->lLength) {
        // Cut short: another try may bring it whole.
        bPassing = true;
        sWhy = QStringLiteral("the answer held %1 of %2 bytes")
                   .arg(body.size())
                   .arg(pFragment->lLength);
        return false;
    }
    return true;
}

void FragmentFetcher::OnFinished(QNetworkReply *pReply, Request request)
{
    if (!m_bFinished && !TakeAllowed(*pReply)) {
        // Its wait for the budget comes back here.
        m_finishing.insert(pReply, request);
        return;
    }
    pReply->deleteLater();
    QByteArray body = m_received.take(pReply);
    if (m_bFinished)
        return;
    QString sWhy;
    bool bPassing = false;
    if (!TakeAnswer(*pReply, request, body, sWhy, bPassing)) {
        if (bPassing && request.iFailures < m_iRetries)
            Retry(request, *pReply, sWhy);
        else
            Fail(Label(request) + QStringLiteral(": ") + sWhy);
        return;
    }
    if (request.iIndex < 0) {
        if (body.size() != Aes128Decryptor::kKeySize) {
            Fail(Label(request)
                 + QStringLiteral(" is %1 bytes long instead of 16").arg(body.size()));
            return;
        }
        m_keys.insert(request.keyUrl, body);
        for (const auto &pTrack : m_tracks) {
            if (!m_bFinished)
                WriteReady(*pTrack);
        }
        return;
    }
    Track &track = *m_tracks[size_t(request.iTrack)];
    track.waiting.insert(request.iIndex, body);
    WriteReady(track);
    if (!m_bFinished)
        Pump();
}

bool FragmentFetcher::TakeAllowed(QNetworkReply &reply)
{
    RateBudget &budget = RateBudget::Shared();
    while (reply.bytesAvailable() > 0) {
        const qint64 lAllowed = budget.Allowance(reply.bytesAvailable());
        if (lAllowed <= 0) {
            if (!m_held.contains(&reply)) {
                m_held.insert(&reply);
                QNetworkReply *pReply = &reply;
                QTimer::singleShot(budget.MsUntilAllowance(), pReply, [this, pReply] {
                    m_held.remove(pReply);
                    if (!TakeAllowed(*pReply) || !pReply->isFinished())
                        return;
                    const auto request = m_finishing.constFind(pReply);
                    if (request != m_finishing.cend())
                        OnFinished(pReply, m_finishing.take(pReply));
                });
            }
            return false;
        }
        const QByteArray data = reply.read(lAllowed);
        budget.Spend(data.size());
        m_received[&reply] += data;
    }
    return true;
}

void FragmentFetcher::Retry(const Request &request, const QNetworkReply &reply,
                            const QString &sWhy)
{
    Request again = request;
    ++again.iFailures;
    const int iStatus = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const qint64 lPlannedMs = PassingFailure::PlannedWaitMs(
        again.iFailures, iStatus, PassingFailure::ParseRetryAfter(reply.rawHeader("Retry-After")));
    qCDebug(lcNet, "%s: %s; retry %d of %d in %lld ms", qPrintable(Label(request)),
            qPrintable(sWhy), again.iFailures, m_iRetries, static_cast<long long>(lPlannedMs));
    Q_EMIT Retrying(again.iFailures, m_iRetries, lPlannedMs);
    if (m_bFinished)
        return;
    // The session is the timer's context: a wait still planned when the
    // fetch ends ends with it.
    constexpr qint64 kLongestWaitMs = 600000;
    const qint64 lScaledMs = std::llround(double(lPlannedMs) * m_dTimeScale);
    const auto iWaitMs = static_cast<int>(qBound(qint64(0), lScaledMs, kLongestWaitMs));
    QTimer::singleShot(iWaitMs, m_session.get(), [this, again] {
        if (!m_bFinished)
            Start(again);
    });
}

void FragmentFetcher::WriteReady(Track &track)
{
    while (!m_bFinished && track.waiting.contains(track.iNextWrite)) {
        const StreamFragment &fragment = track.list.fragments.at(track.iNextWrite);
        QByteArray data = track.waiting.value(track.iNextWrite);
        if (fragment.IsEncrypted()) {
            // The key is still on its way; its arrival writes on.
            if (!m_keys.contains(fragment.keyUrl))
                return;
            QByteArray plain;
            QString sError;
            if (!Aes128Decryptor::Decrypt(m_keys.value(fragment.keyUrl), fragment.iv, data, plain,
                                          sError)) {
                Fail(QStringLiteral("Fragment %1 of %2: %3")
                         .arg(track.iNextWrite + 1)
                         .arg(track.list.Count())
                         .arg(sError));
                return;
            }
            data = plain;
        }
        // The bytes first, then the record that counts them: a kill between
        // the two leaves bytes that the next fetch cuts and fetches again.
        if (!WriteAll(track.fd, track.lSize, data)) {
            Fail(QStringLiteral("Could not write %1: %2").arg(track.sPath, SystemError(errno)));
            return;
        }
        track.waiting.remove(track.iNextWrite);
        ++track.iNextWrite;
        track.lSize += data.size();
        const FragmentRecord record{m_sPlaylistUrl, m_sVariant, track.fingerprint,
                                    track.iNextWrite, track.lSize};
        if (!record.Write(track.fd, track.sPath, m_recordPlace)) {
            Fail(QStringLiteral("Could not write the record of %1").arg(track.sPath));
            return;
        }
        EmitProgress();
    }
}

void FragmentFetcher::EmitProgress()
{
    qint64 iDone = 0;
    qint64 iTotal = 0;
    qint64 lBytes = 0;
    for (const auto &pTrack : m_tracks) {
        iDone += pTrack->iNextWrite;
        iTotal += pTrack->list.Count();
        lBytes += pTrack->lSize;
    }
    Q_EMIT Progress(iDone, iTotal, lBytes);
}
