#include "net/download.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <cmath>

#include "core/doevents.h"
#include "core/partfile.h"
#include "core/webaddress.h"
#include "net/blockreader.h"
#include "net/browseragent.h"
#include "net/failurereason.h"
#include "net/headerblock.h"
#include "net/netlog.h"
#include "net/passingfailure.h"
#include "net/rangeanswer.h"
#include "net/splittransfer.h"
#include "net/replyhelpers.h"

namespace {

const char kAgent[] = "Mozilla/4.0 (compatible; MSIE 5.0; Windows NT; DigExt)";
const QString kCouldNotFindUrl = QStringLiteral("Could not find Url");
const QString kCouldNotReadUrl = QStringLiteral("Could not read URL");
const QString kNotAvailable = QStringLiteral("Not Available");

// How far Qt's network thread may read ahead of the transfer loop. Without a
// limit it would buffer as fast as the socket delivers, and a slow disk would
// let the whole file pile up in memory; with a small window the network
// thread keeps stalling on the loop (512 KiB cost a third of the throughput
// on a local server). Memory stays flat either way.
constexpr qint64 kReadAheadBytes = 2 * 1024 * 1024;

// While Qt follows a redirect, the reply shows the redirect's status until
// the next answer arrives.
bool IsRedirectStatus(const QNetworkReply &reply)
{
    switch (reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt()) {
    case 301: case 302: case 303: case 305: case 307: case 308:
        return true;
    default:
        return false;
    }
}

// A percentage of the size when it is known (halves to the even neighbour,
// which the default rounding mode gives), otherwise the bytes so far.
qint64 ProgressValue(qint64 lPosition, double dSize)
{
    if (!(dSize > 0))
        return lPosition;
    const double dPercent = std::nearbyint(static_cast<double>(lPosition) / dSize * 100.0);
    // A nonsense size written by the host must not overflow the value.
    constexpr double kMax = 9.0e18;
    return static_cast<qint64>(qMin(dPercent, kMax));
}

QString ContentTypeOf(const QNetworkReply &reply)
{
    return QString::fromLatin1(reply.rawHeader("Content-Type"));
}

// Where the answer came from, without the credentials sent to get it.
QString AddressOf(const QNetworkReply &reply)
{
    return reply.url().adjusted(QUrl::RemoveUserInfo).toString(QUrl::FullyEncoded);
}

} // namespace

Download::Download(QObject *parent) : QObject(parent) {}

Download::~Download() = default;

void Download::OpenSession()
{
    m_session = std::make_unique<QNetworkAccessManager>();
    m_session->setProxy(QNetworkProxy::NoProxy);
    m_session->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

void Download::CloseSession()
{
    m_session.reset();
}

QNetworkRequest Download::MakeRequest(const QUrl &url, qint64 lFrom,
                                      const QString &sValidator) const
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QByteArray(m_bBrowserAgent ? kBrowserUserAgent : kAgent));
    // Asking for the identity encoding keeps Content-Length equal to the
    // bytes written, which the percentage relies on.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(m_iTimeoutSeconds * 1000);
    for (const auto &[name, value] : m_extraHeaders)
        request.setRawHeader(name, value);
    if (lFrom > 0) {
        request.setRawHeader("Range", "bytes=" + QByteArray::number(lFrom) + '-');
        request.setRawHeader("If-Range", sValidator.toLatin1());
    }
    return request;
}

void Download::RequestInformation()
{
    if (m_bBusy)
        return;
    m_bCancel = false;
    RequestInformationNow();
}

void Download::RequestInformationNow()
{
    m_bBusy = true;
    m_bInfoRequested = true;
    m_sAnswerUrl.clear();
    QUrl url = ParseWebAddress(m_sUrl);
    if (!m_sSiteUser.isEmpty()) {
        url.setUserName(m_sSiteUser);
        url.setPassword(m_sSitePassword);
    }
    DoEvents();
    if (!m_session)
        OpenSession();
    DoEvents();

    // An address that cannot even make a request has no answer either.
    if (!IsWebUrl(url)) {
        ForgetInformation();
    } else {
        DoEvents();
        std::unique_ptr<QNetworkReply> reply(m_session->head(MakeRequest(url)));
        // An answer to HEAD is complete once its headers are.
        const WaitResult result = m_bCancel
            ? WaitResult::Cancelled
            : WaitForHeaders(*reply, [&reply] { return reply->isFinished(); });
        if (!reply->isFinished())
            reply->abort();
        DoEvents();
        FillInformation(*reply);
        // Qt's network thread goes on reading an abandoned answer's headers
        // for as long as its session lives.
        reply.reset();
        if (result == WaitResult::Abandoned)
            CloseSession();
    }

    DoEvents();
    if (m_bTransferBegun)
        CloseSession();
    m_bBusy = false;
}

void Download::ForgetInformation()
{
    // Name and type are cleared as well, so that they can never describe an
    // earlier, different file.
    m_bFileExists = false;
    m_sLastModified = kNotAvailable;
    m_dFileSize = -1;
    m_sRemoteFileName.clear();
    m_sSuggestedFileName.clear();
    m_sRemoteFileType.clear();
    m_sContentType.clear();
    m_sAnswerUrl.clear();
}

void Download::FillInformation(const QNetworkReply &reply)
{
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) {
        ForgetInformation();
        return;
    }
    m_sAnswerUrl = AddressOf(reply);

    const HeaderBlock block = HeaderBlock::FromReply(reply);

    const QString sLastModified = block.ValueAfter(QLatin1StringView("last-modified: "));
    m_sLastModified = sLastModified.isNull() ? kNotAvailable : sLastModified;
    DoEvents();

    const QString sLength = block.ValueAfter(QLatin1StringView("content-length: "));
    m_dFileSize = static_cast<double>(HeaderBlock::ParseLength(sLength.toLatin1()));
    DoEvents();

    m_sRemoteFileName = block.ValueAfter(QLatin1StringView("filename="));
    m_sSuggestedFileName = block.SuggestedFileName();
    DoEvents();

    const QString sType = block.ValueAfter(QLatin1StringView("Content-Type: "));
    const qsizetype iSlash = sType.indexOf(QLatin1Char('/'));
    m_sRemoteFileType = iSlash < 0 ? sType : sType.mid(iSlash + 1);
    m_sContentType = ContentTypeOf(reply);
    DoEvents();

    m_bFileExists = !block.Contains(QLatin1StringView("HTTP/1.1 404 Not Found"))
        && !block.Contains(QLatin1StringView("HTTP/1.1 404 File Not Found"));
}

Download::WaitResult Download::WaitForHeaders(QNetworkReply &reply,
                                              const std::function<bool()> &bDone) const
{
    // The limit aborts the reply, which finishes it and so ends the wait
    // below; a cancel arrives through an event, after which the wait returns.
    bool bAbandoned = false;
    QTimer limit;
    limit.setSingleShot(true);
    if (m_iHeaderLimitSeconds > 0) {
        QObject::connect(&limit, &QTimer::timeout, &reply, [&reply, &bDone, &bAbandoned] {
            if (bDone() || reply.isFinished())
                return;
            bAbandoned = true;
            reply.abort();
        });
        limit.start(m_iHeaderLimitSeconds * 1000);
    }
    while (!bDone() && !reply.isFinished()) {
        if (m_bCancel)
            return WaitResult::Cancelled;
        WaitForNetwork();
    }
    return bAbandoned ? WaitResult::Abandoned : WaitResult::Done;
}

Download::OpenResult Download::WaitUntilOpened(QNetworkReply &reply) const
{
    // The address counts as opened once the final answer's headers are in,
    // whatever its status: an error page is transferred like a file.
    auto bHeadersIn = [&reply] {
        return reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
            && !IsRedirectStatus(reply);
    };
    const WaitResult result = m_bCancel ? WaitResult::Cancelled : WaitForHeaders(reply, bHeadersIn);
    if (result == WaitResult::Cancelled)
        return OpenResult::Cancelled;
    if (result == WaitResult::Abandoned)
        return OpenResult::Abandoned;
    if (bHeadersIn())
        return OpenResult::Opened;
    // A redirect that Qt refused to follow (to a less safe scheme, or one too
    // many) is still an answer; a redirect whose target failed is not.
    const bool bAnswered = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()
        && !IsTransportError(reply.error());
    return bAnswered ? OpenResult::Opened : OpenResult::NotFound;
}

class Download::TransferGuard
{
public:
    explicit TransferGuard(Download &download) : file(download.m_sync), m_download(download)
    {
        m_download.m_bBusy = true;
    }
    ~TransferGuard()
    {
        LetGoOfNetwork();
        if (m_download.m_bResume)
            file.Keep();
        else
            file.Discard();
        m_download.m_bBusy = false;
    }
    TransferGuard(const TransferGuard &) = delete;
    TransferGuard &operator=(const TransferGuard &) = delete;

    // The answer goes before the session it came through.
    void LetGoOfNetwork()
    {
        reply.reset();
        if (m_bCloseSession)
            m_download.CloseSession();
    }
    // An address that led nowhere leaves the session to the next transfer.
    void KeepSession() { m_bCloseSession = false; }
    Step StoppedAt(qint64 lPosition)
    {
        lStoppedAt = lPosition;
        return Step::Cancelled;
    }

    std::unique_ptr<QNetworkReply> reply;
    PartFile file;
    // The bytes DownloadCancelled reports.
    qint64 lStoppedAt = 0;

private:
    Download &m_download;
    bool m_bCloseSession = true;
};

Download::Step Download::FailLocalFile(const PartFile &file)
{
    m_sLastError = file.ErrorString();
    return Step::Failed;
}

bool Download::StartDownload()
{
    if (m_bBusy) {
        m_sLastError = QStringLiteral("The transfer control is already busy");
        return false;
    }
    PrepareTransfer();
    return Announce(Transfer());
}

void Download::PrepareTransfer()
{
    m_sLastError.clear();
    m_bCancel = false;
    DoEvents();

    if (!m_session)
        OpenSession();
    DoEvents();

    m_bTransferBegun = false;
    if (!m_bInfoRequested)
        RequestInformationNow();
    // ... which closes the session when it had to give up on the answer.
    if (!m_session)
        OpenSession();
    m_bTransferBegun = true;
}

Download::Step Download::Transfer()
{
    TransferGuard guard(*this);
    DoEvents();

    m_iHttpStatus = 0;
    m_sHttpReason.clear();
    m_lContentLength = -1;
    m_sContentType.clear();
    m_sAnswerUrl.clear();
    m_lBytesReceived = 0;
    m_lResumedFrom = 0;
    m_transportError = QNetworkReply::NoError;
    m_lRetryAfterSeconds = -1;
    m_bBrokenAnswer = false;
    m_sSavedFile.clear();

    qint64 lFrom = 0;
    Step step = OpenPart(guard, lFrom);
    if (step == Step::Next)
        step = SplitsHere(guard.file) ? ReceiveSplit(guard, lFrom) : Receive(guard);
    if (step == Step::Next)
        step = Finish(guard);
    // The host hears of a stop while the part is still open.
    if (step == Step::Cancelled) {
        DoEvents();
        Q_EMIT DownloadCancelled(guard.lStoppedAt);
    }
    return step;
}

bool Download::Announce(Step step)
{
    switch (step) {
    case Step::Complete:
        qCDebug(lcNet, "%s: %lld bytes kept", qPrintable(m_sSavedFile),
                static_cast<long long>(m_lBytesReceived));
        Q_EMIT DownloadComplete();
        return true;
    case Step::NotFound:
        Q_EMIT DownloadError(kCouldNotFindUrl);
        return false;
    case Step::ReadFailed:
        Q_EMIT DownloadError(kCouldNotReadUrl);
        return false;
    case Step::Next:
    case Step::Cancelled:
    case Step::Failed:
        break;
    }
    return false;
}

Download::Step Download::OpenPart(TransferGuard &guard, qint64 &lFrom)
{
    // A stop during the information request reaches no further request.
    if (m_bCancel)
        return guard.StoppedAt(0);
    PartOrigin origin;
    const OpenResult opened =
        OpenAnswer(QUrl(m_sUrl, QUrl::TolerantMode), guard.reply, guard.file, origin, lFrom);
    if (opened == OpenResult::Cancelled)
        return guard.StoppedAt(lFrom);
    if (opened == OpenResult::NotFound || opened == OpenResult::Abandoned) {
        m_transportError = guard.reply ? guard.reply->error() : QNetworkReply::ProtocolUnknownError;
        if (opened == OpenResult::Abandoned)
            m_bBrokenAnswer = true;
        else
            guard.KeepSession();
        return Step::NotFound;
    }

    NoteAnswer(*guard.reply);
    DoEvents();
    if (m_open && !m_open())
        return guard.StoppedAt(0);
    if (!PrepareFile(*guard.reply, guard.file, lFrom)) {
        if (m_sLastError.isEmpty())
            m_sLastError = guard.file.ErrorString();
        return Step::Failed;
    }
    return Step::Next;
}

Download::Step Download::Receive(TransferGuard &guard)
{
    BlockReader reader(*guard.reply, kBlockSize, m_bCancel);
    qint64 lPosition = m_lResumedFrom;
    m_lBytesReceived = lPosition;
    for (;;) {
        DoEvents();
        const char *pData = nullptr;
        qint64 lRead = 0;
        BlockReader::Status status = reader.Next(pData, lRead);
        DoEvents();
        if (status == BlockReader::Status::Cancelled)
            return guard.StoppedAt(lPosition);
        // Qt may end an answer that the server cut short as if it were
        // whole; the length it announced gives it away.
        const bool bCutShort = status == BlockReader::Status::End && m_lContentLength >= 0
            && lPosition < m_lContentLength;
        if (status == BlockReader::Status::Failed || bCutShort) {
            m_transportError = bCutShort ? QNetworkReply::RemoteHostClosedError : guard.reply->error();
            DoEvents();
            return Step::ReadFailed;
        }
        // More than the answer announced can only be a second answer run
        // on from the first: none of it can be trusted.
        if (status == BlockReader::Status::Data && m_lContentLength >= 0
            && lPosition + lRead > m_lContentLength) {
            qCWarning(lcNet, "%s: more than the %lld bytes announced; the part is dropped",
                      qPrintable(m_sUrl), static_cast<long long>(m_lContentLength));
            m_transportError = QNetworkReply::ProtocolFailure;
            guard.file.Discard();
            return Step::ReadFailed;
        }
        if (status == BlockReader::Status::Data && m_lByteLimit > 0
            && lPosition + lRead >= m_lByteLimit) {
            // Enough of it: what fits is kept and counts as the whole answer.
            lRead = m_lByteLimit - lPosition;
            status = BlockReader::Status::End;
        }
        // The run goes to disk in one piece before any of its blocks is
        // reported, so no progress ever counts a byte that is not written.
        if (lRead > 0 && !guard.file.Write(pData, lRead))
            return FailLocalFile(guard.file);
        for (qint64 lDone = 0; lDone < lRead; lDone += kBlockSize) {
            lPosition += qMin(kBlockSize, lRead - lDone);
            m_lBytesReceived = lPosition;
            DoEvents();
            Q_EMIT DownloadProgress(ProgressValue(lPosition, m_dFileSize));
            DoEvents();
            if (m_bCancel)
                return guard.StoppedAt(lPosition);
        }
        if (status == BlockReader::Status::End)
            return Step::Next;
    }
}

Download::Step Download::Finish(TransferGuard &guard)
{
    // The final, empty read is reported too.
    Q_EMIT DownloadProgress(ProgressValue(m_lBytesReceived, m_dFileSize));
    DoEvents();
    if (m_bCancel)
        return guard.StoppedAt(m_lBytesReceived);

    guard.LetGoOfNetwork();
    if (m_keep && !m_keep()) {
        m_sLastError = FailureReason::Answer(m_iHttpStatus, m_sHttpReason);
        return Step::Failed;
    }
    if (!guard.file.Commit())
        return FailLocalFile(guard.file);
    m_sSavedFile = guard.file.FinalPath();
    return Step::Complete;
}

bool Download::SplitsHere(const PartFile &file) const
{
    if (!m_bResume || m_lByteLimit > 0 || m_lContentLength <= 0
        || !(m_iHttpStatus == 200 || (m_iHttpStatus == 206 && !m_kept.IsEmpty())))
        return false;
    // Only a part whose record names the file can be written in pieces.
    const PartOrigin origin = file.Origin();
    return !origin.sValidator.isEmpty() && origin.lTotal == m_lContentLength
        && SplitTransfer::Worthwhile(m_kept, m_lContentLength, m_iConnections, m_lMinPiece);
}

Download::Step Download::ReceiveSplit(TransferGuard &guard, qint64 lFrom)
{
    const QUrl url(m_sUrl, QUrl::TolerantMode);
    SplitTransfer split(guard.file, guard.file.Origin(), [this, url] { return MakeRequest(url); },
                        m_bCancel);
    split.SetConnections(m_iConnections);
    split.SetMinPiece(m_lMinPiece);
    split.SetRetries(m_iConnectionRetries, m_dRetryTimeScale);
    connect(&split, &SplitTransfer::Progress, this, [this](qint64 lDone) {
        m_lBytesReceived = lDone;
        Q_EMIT DownloadProgress(ProgressValue(lDone, m_dFileSize));
    });
    const SplitTransfer::Result result = split.Run(guard.reply, lFrom, m_kept);
    m_lBytesReceived = split.BytesDone();
    switch (result) {
    case SplitTransfer::Result::Complete:
        return Step::Next;
    case SplitTransfer::Result::Cancelled:
        return guard.StoppedAt(m_lBytesReceived);
    case SplitTransfer::Result::LocalFailure:
        return FailLocalFile(guard.file);
    case SplitTransfer::Result::Failed:
        break;
    }
    // The last connection's failure is what the retries judge.
    m_transportError = split.TransportError();
    if (split.HttpStatus() != 200 && split.HttpStatus() != 206 && split.HttpStatus() != 0) {
        m_iHttpStatus = split.HttpStatus();
        m_sHttpReason = split.HttpReason();
        m_lRetryAfterSeconds = split.RetryAfterSeconds();
    }
    return Step::ReadFailed;
}

Download::OpenResult Download::OpenAnswer(const QUrl &url, std::unique_ptr<QNetworkReply> &reply,
                                          PartFile &file, PartOrigin &origin, qint64 &lFrom)
{
    if (!IsWebUrl(url) || !m_sUrl.contains(QLatin1StringView("://")))
        return OpenResult::NotFound;
    // A part kept from this address goes on where it ends, provided the
    // server can confirm it is still the same file. Its size is what counts,
    // not what was reported: a program that was killed may have written more.
    m_kept = {};
    if (m_bResume && file.Continue(m_sLocalFile)) {
        origin = file.Origin();
        // A part written in pieces holds what its record lists, nothing
        // more; any other part holds its bytes from the first on.
        ByteRanges kept = origin.bSplit ? origin.done : ByteRanges({{0, file.Size()}});
        const qint64 lEnd = kept.IsEmpty() ? 0 : kept.Spans().last().lTo;
        bool bGoesOn = origin.CanContinue(ResumeKey()) && lEnd > 0 && lEnd <= file.Size()
            && (origin.lTotal < 0 || lEnd <= origin.lTotal);
        const bool bOneRun = kept.Spans().size() == 1 && kept.PrefixEnd() > 0;
        // Held in one run from its first byte, it goes on as one: whatever
        // lies past that run was never counted.
        if (bGoesOn && bOneRun && (origin.bSplit || file.Size() > lEnd)) {
            origin.bSplit = false;
            origin.done = {};
            bGoesOn = file.Truncate(lEnd) && file.SetOrigin(origin);
        }
        // A part that is already whole (the program ended while it was
        // written out) asks for its last byte again rather than for nothing,
        // which a server refuses.
        if (bGoesOn && bOneRun && lEnd == origin.lTotal) {
            bGoesOn = file.Truncate(lEnd - 1) && file.Size() > 0;
            kept = ByteRanges({{0, file.Size()}});
        }
        if (bGoesOn) {
            m_kept = kept;
            lFrom = bOneRun ? kept.PrefixEnd() : kept.Missing(origin.lTotal).first().lFrom;
        } else {
            file.Keep();
        }
    }
    for (bool bStartedOver = false;;) {
        QNetworkRequest request = MakeRequest(url, lFrom, origin.sValidator);
        // A part whose first bytes are missing still asks for a range.
        if (lFrom == 0 && !m_kept.IsEmpty()) {
            request.setRawHeader("Range", "bytes=0-");
            request.setRawHeader("If-Range", origin.sValidator.toLatin1());
        }
        reply.reset(m_session->get(request));
        reply->setReadBufferSize(kReadAheadBytes);
        const OpenResult opened = WaitUntilOpened(*reply);
        if (opened != OpenResult::Opened || m_kept.IsEmpty() || bStartedOver)
            return opened;
        const int iStatus = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (iStatus != 416 && (iStatus != 206 || RangeAnswer::Continues(*reply, lFrom, origin)))
            return opened;
        // The part does not fit the file as the server has it now: it is
        // emptied, so that nothing of it can ever join another file, and the
        // whole file is asked for once.
        qCDebug(lcNet, "%s: %d does not continue %lld bytes; starting over", qPrintable(m_sUrl),
                iStatus, static_cast<long long>(lFrom));
        reply.reset();
        bStartedOver = true;
        file.Truncate(0);
        file.SetOrigin({});
        file.Keep();
        origin = {};
        lFrom = 0;
        m_kept = {};
        if (m_bCancel)
            return OpenResult::Cancelled;
    }
}

void Download::NoteAnswer(const QNetworkReply &reply)
{
    m_iHttpStatus = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_sHttpReason = QString::fromLatin1(
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    m_lContentLength = HeaderBlock::ParseLength(reply.rawHeader("Content-Length"));
    m_lRetryAfterSeconds = PassingFailure::ParseRetryAfter(reply.rawHeader("Retry-After"));
    m_sContentType = ContentTypeOf(reply);
    m_sAnswerUrl = AddressOf(reply);
    qCDebug(lcNet, "%s: %d %s, length %lld", qPrintable(m_sUrl), m_iHttpStatus,
            qPrintable(m_sHttpReason), static_cast<long long>(m_lContentLength));
}

bool Download::PrepareFile(const QNetworkReply &reply, PartFile &file, qint64 lFrom)
{
    if (!m_bResume)
        return file.Open(m_sLocalFile);
    if (!m_kept.IsEmpty() && m_iHttpStatus == 206) {
        // OpenAnswer has checked that the answer continues the part.
        m_lResumedFrom = m_kept.Covered();
        const RangeAnswer::ContentRange range = RangeAnswer::Parse(reply.rawHeader("Content-Range"));
        if (range.lTotal >= 0)
            m_lContentLength = range.lTotal;
        else if (m_lContentLength >= 0)
            m_lContentLength += lFrom;
        return true;
    }
    if (m_iHttpStatus != 200) {
        m_sLastError = FailureReason::Answer(m_iHttpStatus, m_sHttpReason);
        return false;
    }
    m_kept = {};
    // The record goes on before any byte of the new file, so no byte is
    // ever taken for another answer's.
    return file.Open(m_sLocalFile)
        && file.SetOrigin({ResumeKey(), RangeAnswer::ValidatorOf(reply), m_lContentLength});
}

qint64 Download::SplitMinPiece()
{
    return SplitTransfer::kDefaultMinPiece;
}
