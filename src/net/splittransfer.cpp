#include "net/splittransfer.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include "core/partfile.h"
#include "net/netlog.h"
#include "net/passingfailure.h"
#include "net/ratebudget.h"
#include "net/rangeanswer.h"
#include "net/replyhelpers.h"

namespace {

// Read at a time from one connection, and what Qt may buffer ahead of it.
constexpr qint64 kReadBytes = 256 * 1024;
constexpr qint64 kReadAheadBytes = 1024 * 1024;
// How often the record follows the bytes: what a kill loses is at most
// this much of every connection's time.
constexpr qint64 kRecordEveryMs = 250;
constexpr int kTickMs = 50;
// A try that brought this much (or a hundredth of the file) counts the
// connection's failures afresh, as TransferRetry does for a whole transfer.
constexpr qint64 kProgressBytes = 1024 * 1024;

bool IsRedirect(int iStatus)
{
    return iStatus == 301 || iStatus == 302 || iStatus == 303 || iStatus == 305 || iStatus == 307
        || iStatus == 308;
}

} // namespace

struct SplitTransfer::Connection
{
    // Made on the first request of its own; the first answer came through
    // the caller's session.
    std::unique_ptr<QNetworkAccessManager> session;
    QNetworkReply *pReply = nullptr;
    // The piece still to fetch: [lPos, lTo).
    qint64 lPos = 0;
    qint64 lTo = 0;
    bool bBusy = false;
    // Its answer showed it is the file the part holds.
    bool bChecked = false;
    // Its answer runs on to the file's end, so its piece can grow again.
    bool bToEnd = false;
    bool bWaiting = false;
    int iFailures = 0;
    qint64 lFurthest = 0;
};

SplitTransfer::SplitTransfer(PartFile &file, const PartOrigin &origin, RequestMaker makeRequest,
                             const bool &bCancel, QObject *parent)
    : QObject(parent)
    , m_file(file)
    , m_origin(origin)
    , m_makeRequest(std::move(makeRequest))
    , m_bCancel(bCancel)
{
}

SplitTransfer::~SplitTransfer()
{
    for (const auto &pConnection : m_connections)
        Release(*pConnection);
}

void SplitTransfer::SetRetries(int iRetries, double dTimeScale)
{
    m_iRetries = qMax(iRetries, 0);
    m_dTimeScale = dTimeScale;
}

bool SplitTransfer::Worthwhile(const ByteRanges &kept, qint64 lTotal, int iConnections,
                               qint64 lMinPiece)
{
    if (lTotal <= 0)
        return false;
    const QList<ByteRanges::Span> missing = kept.Missing(lTotal);
    if (missing.size() > 1 || (!kept.IsEmpty() && kept.PrefixEnd() == 0))
        return true;
    return iConnections > 1 && !missing.isEmpty() && missing.first().Length() >= 2 * lMinPiece;
}

SplitTransfer::Result SplitTransfer::Run(std::unique_ptr<QNetworkReply> &first, qint64 lFirstFrom,
                                         const ByteRanges &kept)
{
    m_written = kept;
    m_leftOver = kept.Missing(m_origin.lTotal);
    m_buffer = std::make_unique<QByteArray>(kReadBytes, Qt::Uninitialized);
    Connection &head = AddConnection();
    head.bBusy = head.bChecked = head.bToEnd = true;
    head.lPos = head.lFurthest = lFirstFrom;
    head.lTo = lFirstFrom;
    for (qsizetype i = 0; i < m_leftOver.size(); ++i) {
        if (m_leftOver.at(i).lFrom == lFirstFrom) {
            head.lTo = m_leftOver.takeAt(i).lTo;
            break;
        }
    }
    Attach(head, first.release());
    // The other connections are asked for before the record's sync: every
    // millisecond they start after the first is one they finish after it.
    // Nothing is read from them before the record is written below.
    Grow();
    // The record says what the part holds before any byte lands past its
    // end, so a kill never leaves a part that its size describes wrongly.
    WriteRecord();
    m_tick = std::make_unique<QTimer>();
    connect(m_tick.get(), &QTimer::timeout, this, &SplitTransfer::Tick);
    m_tick->start(kTickMs);
    Drain(head);
    if (!m_bFinished && m_written.Missing(m_origin.lTotal).isEmpty())
        Finish(Result::Complete);
    if (!m_bFinished) {
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec();
        m_pLoop = nullptr;
    }
    m_tick.reset();
    for (const auto &pConnection : m_connections)
        Release(*pConnection);
    m_connections.clear();
    qCDebug(lcNet, "%s: %d connection(s) at most, %lld of %lld bytes", qPrintable(m_origin.sUrl),
            m_iMostOpen, static_cast<long long>(BytesDone()),
            static_cast<long long>(m_origin.lTotal));
    return m_result;
}

SplitTransfer::Connection &SplitTransfer::AddConnection()
{
    m_connections.push_back(std::make_unique<Connection>());
    return *m_connections.back();
}

int SplitTransfer::Busy() const
{
    int iBusy = 0;
    for (const auto &pConnection : m_connections)
        iBusy += pConnection->bBusy ? 1 : 0;
    return iBusy;
}

bool SplitTransfer::AnyUnchecked() const
{
    for (const auto &pConnection : m_connections) {
        if (pConnection->bBusy && !pConnection->bChecked)
            return true;
    }
    return false;
}

void SplitTransfer::Grow()
{
    while (!m_bFinished && Busy() < qMin(m_iConnections, m_iLimit)) {
        Connection *pIdle = nullptr;
        for (const auto &pConnection : m_connections) {
            if (!pConnection->bBusy && !pIdle)
                pIdle = pConnection.get();
        }
        Connection &connection = pIdle ? *pIdle : AddConnection();
        if (!TakeWork(connection))
            return;
        Request(connection);
    }
}

bool SplitTransfer::TakeWork(Connection &connection)
{
    connection.bChecked = connection.bToEnd = false;
    connection.iFailures = 0;
    if (!m_leftOver.isEmpty()) {
        const ByteRanges::Span span = m_leftOver.takeFirst();
        connection.lPos = connection.lFurthest = span.lFrom;
        connection.lTo = span.lTo;
        connection.bBusy = true;
        return true;
    }
    // Half of the largest piece still open, its far end.
    Connection *pLargest = nullptr;
    for (const auto &pOther : m_connections) {
        if (pOther->bBusy && (!pLargest || pOther->lTo - pOther->lPos > pLargest->lTo - pLargest->lPos))
            pLargest = pOther.get();
    }
    if (!pLargest || pLargest->lTo - pLargest->lPos < 2 * m_lMinPiece)
        return false;
    const qint64 lMiddle = pLargest->lPos + (pLargest->lTo - pLargest->lPos) / 2;
    connection.lPos = connection.lFurthest = lMiddle;
    connection.lTo = pLargest->lTo;
    pLargest->lTo = lMiddle;
    connection.bBusy = true;
    return true;
}

void SplitTransfer::GiveBack(qint64 lFrom, qint64 lTo)
{
    ByteRanges leftOver(m_leftOver);
    leftOver.Add(lFrom, lTo);
    m_leftOver = leftOver.Spans();
    // An answer that runs on to the end takes back what follows its piece:
    // a server that serves no ranges still brings the whole file through it.
    bool bGrown = true;
    while (bGrown) {
        bGrown = false;
        for (const auto &pConnection : m_connections) {
            Connection &connection = *pConnection;
            if (!connection.bBusy || !connection.bToEnd || !connection.pReply)
                continue;
            for (qsizetype i = 0; i < m_leftOver.size(); ++i) {
                if (m_leftOver.at(i).lFrom == connection.lTo) {
                    connection.lTo = m_leftOver.takeAt(i).lTo;
                    bGrown = true;
                    break;
                }
            }
        }
    }
}

void SplitTransfer::Request(Connection &connection)
{
    if (!connection.session) {
        connection.session = std::make_unique<QNetworkAccessManager>();
        connection.session->setProxy(QNetworkProxy::NoProxy);
        connection.session->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    }
    QNetworkRequest request = m_makeRequest();
    request.setRawHeader("Range", "bytes=" + QByteArray::number(connection.lPos) + '-'
                                      + QByteArray::number(connection.lTo - 1));
    request.setRawHeader("If-Range", m_origin.sValidator.toLatin1());
    connection.bChecked = false;
    Attach(connection, connection.session->get(request));
}

void SplitTransfer::Attach(Connection &connection, QNetworkReply *pReply)
{
    connection.pReply = pReply;
    if (!pReply)
        return;
    pReply->setReadBufferSize(kReadAheadBytes);
    Connection *pConnection = &connection;
    connect(pReply, &QNetworkReply::readyRead, this, [this, pConnection] { Drain(*pConnection); });
    connect(pReply, &QNetworkReply::finished, this, [this, pConnection] { Drain(*pConnection); });
    int iOpen = 0;
    for (const auto &pOther : m_connections)
        iOpen += pOther->pReply ? 1 : 0;
    m_iMostOpen = qMax(m_iMostOpen, iOpen);
}

void SplitTransfer::Release(Connection &connection)
{
    QNetworkReply *pReply = connection.pReply;
    connection.pReply = nullptr;
    if (!pReply)
        return;
    pReply->disconnect(this);
    // An answer that already failed (an error status) ends when it goes.
    if (!pReply->isFinished() && pReply->error() == QNetworkReply::NoError)
        pReply->abort();
    pReply->deleteLater();
}

SplitTransfer::Verdict SplitTransfer::Check(Connection &connection) const
{
    const QNetworkReply &reply = *connection.pReply;
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int iStatus = status.toInt();
    if (IsTransportError(reply.error()) && reply.isFinished()) {
        return PassingFailure::MayPass(iStatus, reply.error()) ? Verdict::Passing : Verdict::Fatal;
    }
    if (!status.isValid() || (IsRedirect(iStatus) && !reply.isFinished()))
        return reply.isFinished() ? Verdict::Fatal : Verdict::Waiting;
    if (connection.bChecked)
        return Verdict::Good;
    if (RangeAnswer::Continues(reply, connection.lPos, m_origin))
        return Verdict::Good;
    // The whole file, a range of another one, or no range at all: this
    // server cannot be split (or not consistently).
    if (iStatus == 200 || iStatus == 206 || iStatus == 416)
        return Verdict::NoRanges;
    if (iStatus == 429 || iStatus == 503)
        return Verdict::Refused;
    // The connection held so far: the answer alone is judged.
    return PassingFailure::MayPass(iStatus, QNetworkReply::NoError) ? Verdict::Passing
                                                                    : Verdict::Fatal;
}

void SplitTransfer::Drain(Connection &connection)
{
    if (m_bFinished || !connection.bBusy || !connection.pReply || connection.bWaiting)
        return;
    QNetworkReply &reply = *connection.pReply;
    const Verdict verdict = Check(connection);
    if (verdict == Verdict::Waiting)
        return;
    if (verdict != Verdict::Good) {
        Failed(connection, verdict);
        return;
    }
    if (!connection.bChecked) {
        connection.bChecked = true;
        // A connection held at the end of its piece waited for this answer.
        QTimer::singleShot(0, this, &SplitTransfer::Resume);
    }
    RateBudget &budget = RateBudget::Shared();
    bool bWrote = false;
    while (connection.lPos < connection.lTo && reply.bytesAvailable() > 0) {
        const qint64 lWant = std::min({reply.bytesAvailable(), connection.lTo - connection.lPos,
                                       qint64(m_buffer->size())});
        const qint64 lAllowed = budget.Allowance(lWant);
        if (lAllowed <= 0) {
            WakeWhenAllowed();
            break;
        }
        const qint64 lRead = reply.read(m_buffer->data(), lAllowed);
        if (lRead <= 0)
            break;
        budget.Spend(lRead);
        if (!m_file.WriteAt(connection.lPos, m_buffer->constData(), lRead)) {
            Finish(Result::LocalFailure);
            return;
        }
        m_written.Add(connection.lPos, connection.lPos + lRead);
        connection.lPos += lRead;
        bWrote = true;
    }
    if (bWrote) {
        Q_EMIT Progress(m_written.Covered());
        if (m_bCancel) {
            Finish(Result::Cancelled);
            return;
        }
    }
    // The signal's receivers may process events, and this connection may
    // have moved on meanwhile.
    if (m_bFinished || connection.pReply != &reply)
        return;
    if (connection.lPos >= connection.lTo)
        PieceDone(connection);
    else if (reply.isFinished() && reply.bytesAvailable() <= 0)
        Failed(connection, IsTransportError(reply.error()) && !PassingFailure::MayPass(0, reply.error())
                               ? Verdict::Fatal
                               : Verdict::Passing);
}

void SplitTransfer::Resume()
{
    const size_t iFrom = m_iResumeFrom++;
    for (size_t i = 0; i < m_connections.size() && !m_bFinished; ++i)
        Drain(*m_connections[(iFrom + i) % m_connections.size()]);
}

void SplitTransfer::WakeWhenAllowed()
{
    if (m_bWakePlanned)
        return;
    m_bWakePlanned = true;
    QTimer::singleShot(RateBudget::Shared().MsUntilAllowance(), this, [this] {
        m_bWakePlanned = false;
        Resume();
    });
}

void SplitTransfer::PieceDone(Connection &connection)
{
    if (m_written.Missing(m_origin.lTotal).isEmpty()) {
        Finish(Result::Complete);
        return;
    }
    // An answer that runs on is held while the connection whose piece
    // follows has not shown it is served: if it is not, this one brings that
    // piece too.
    if (connection.bToEnd && connection.pReply && !connection.pReply->isFinished()) {
        for (const auto &pOther : m_connections) {
            if (pOther->bBusy && !pOther->bChecked && pOther->lPos == connection.lTo)
                return;
        }
    }
    Release(connection);
    connection.bBusy = false;
    if (Busy() < qMin(m_iConnections, m_iLimit) && TakeWork(connection))
        Request(connection);
    Grow();
}

void SplitTransfer::Failed(Connection &connection, Verdict verdict)
{
    // A connection held at the end of its piece has nothing left to fetch.
    if (connection.lPos >= connection.lTo) {
        Release(connection);
        PieceDone(connection);
        return;
    }
    QNetworkReply &reply = *connection.pReply;
    m_iHttpStatus = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    m_sHttpReason =
        QString::fromLatin1(reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    m_lRetryAfterSeconds = PassingFailure::ParseRetryAfter(reply.rawHeader("Retry-After"));
    m_transportError = IsTransportError(reply.error()) ? reply.error() : QNetworkReply::NoError;
    // An answer cut short without an error is a connection closed early.
    if (verdict == Verdict::Passing && m_transportError == QNetworkReply::NoError
        && !PassingFailure::MayPass(m_iHttpStatus, m_transportError))
        m_transportError = QNetworkReply::RemoteHostClosedError;
    Release(connection);
    const int iOthers = Busy() - 1;
    qCDebug(lcNet, "%s: the connection at %lld failed (%d, %d); %d others", qPrintable(m_origin.sUrl),
            static_cast<long long>(connection.lPos), m_iHttpStatus, int(m_transportError), iOthers);
    // The last connection's failure is the transfer's: the caller's retries
    // take it from there, with every piece where it stands.
    if (iOthers <= 0) {
        Finish(Result::Failed);
        return;
    }
    if (verdict == Verdict::Passing) {
        const qint64 lStep = qMin(kProgressBytes, qMax<qint64>(m_origin.lTotal / 100, 1));
        if (connection.lPos - connection.lFurthest >= lStep)
            connection.iFailures = 0;
        connection.lFurthest = qMax(connection.lFurthest, connection.lPos);
        if (connection.iFailures < m_iRetries) {
            ++connection.iFailures;
            const qint64 lPlannedMs = PassingFailure::PlannedWaitMs(
                connection.iFailures, m_iHttpStatus, m_lRetryAfterSeconds);
            connection.bWaiting = true;
            Connection *pConnection = &connection;
            QTimer::singleShot(int(std::llround(double(lPlannedMs) * m_dTimeScale)), this,
                               [this, pConnection] {
                                   // Connections end with the transfer.
                                   if (m_bFinished)
                                       return;
                                   pConnection->bWaiting = false;
                                   if (pConnection->bBusy)
                                       Request(*pConnection);
                               });
            return;
        }
    }
    // The server serves no more connections than it has now.
    m_iLimit = qMax(1, iOthers);
    connection.bBusy = false;
    GiveBack(connection.lPos, connection.lTo);
    Resume();
    Grow();
}

void SplitTransfer::WriteRecord()
{
    const ByteRanges written = m_written;
    if (!m_file.Flush()) {
        qCWarning(lcNet, "%s: %s", qPrintable(m_file.PartPath()), qPrintable(m_file.ErrorString()));
        return;
    }
    PartOrigin record = m_origin;
    record.bSplit = true;
    record.done = written;
    m_file.SetOrigin(record);
}

void SplitTransfer::Tick()
{
    if (m_bFinished)
        return;
    if (m_bCancel) {
        Finish(Result::Cancelled);
        return;
    }
    m_lRecordedAtMs += kTickMs;
    if (m_lRecordedAtMs >= kRecordEveryMs) {
        m_lRecordedAtMs = 0;
        WriteRecord();
    }
}

void SplitTransfer::Finish(Result result)
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_result = result;
    for (const auto &pConnection : m_connections)
        Release(*pConnection);
    // A whole file is synced by its commit, which drops the record anyway;
    // until then the last record, which counts only synced bytes, stands.
    // One sync fewer between the last byte and the final name.
    if (result != Result::Complete)
        WriteRecord();
    if (m_pLoop)
        m_pLoop->quit();
}
