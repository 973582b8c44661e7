#include "session/transferretry.h"

#include <QEventLoop>
#include <QTimer>

#include <cmath>

#include "net/download.h"
#include "net/failurereason.h"
#include "net/passingfailure.h"
#include "session/queuelog.h"

namespace {

// The longest planned wait; a wait never runs past ten of them.
constexpr qint64 kLongestWaitMs = 30000;
// A try counts as getting further only when it brought at least this much,
// or this share of the file: a server that gives a few bytes per try must
// not keep the count at zero for ever.
constexpr qint64 kProgressBytes = 1024 * 1024;
constexpr qint64 kProgressShareDivisor = 100;
// Tries of one item, whatever they brought, at most this many times the
// tries the retry count allows.
constexpr int kTriesPerAllowedTry = 4;

// The bytes a try must bring to count as getting further.
qint64 ProgressStep(const Download &download)
{
    const qint64 lTotal = download.ContentLength();
    return lTotal > 0 ? qMin(kProgressBytes, qMax<qint64>(lTotal / kProgressShareDivisor, 1))
                      : kProgressBytes;
}

} // namespace

TransferRetry::TransferRetry(Download &download, QObject *parent)
    : QObject(parent), m_download(download)
{
}

qint64 TransferRetry::PlannedWaitMs(int iRetry) const
{
    return PassingFailure::PlannedWaitMs(iRetry, m_download.HttpStatus(),
                                         m_download.RetryAfterSeconds());
}

QString TransferRetry::LastFailure() const
{
    return FailureReason::Of(m_download, m_iSameOutcomes);
}

void TransferRetry::Run(const std::function<bool()> &attempt)
{
    m_bCancel = false;
    m_iSameOutcomes = 0;
    int iFailures = 0;
    qint64 lFurthest = 0;
    const int iMostTries = kTriesPerAllowedTry * (m_iRetries + 1);
    int iLastStatus = -1;
    QNetworkReply::NetworkError lastError = QNetworkReply::NoError;
    for (int iTries = 1;; ++iTries) {
        const bool bDone = attempt();
        const bool bSame = m_download.HttpStatus() == iLastStatus
            && m_download.TransportError() == lastError;
        m_iSameOutcomes = bSame ? m_iSameOutcomes + 1 : 1;
        iLastStatus = m_download.HttpStatus();
        lastError = m_download.TransportError();
        if (bDone || m_bCancel || !PassingFailure::MayPass(m_download))
            return;
        const qint64 lReached = m_download.BytesReceived();
        if (lReached - lFurthest >= ProgressStep(m_download))
            iFailures = 0;
        lFurthest = qMax(lFurthest, lReached);
        if (iFailures >= m_iRetries || iTries >= iMostTries)
            return;
        ++iFailures;
        const qint64 lPlannedMs = PlannedWaitMs(iFailures);
        qCDebug(lcQueue, "%s: retry %d of %d in %lld ms", qPrintable(m_download.Url()), iFailures,
                m_iRetries, static_cast<long long>(lPlannedMs));
        Q_EMIT Waiting(iFailures, m_iRetries, lPlannedMs);
        if (!Wait(std::llround(static_cast<double>(lPlannedMs) * m_dTimeScale)))
            return;
    }
}

bool TransferRetry::Wait(qint64 lMs)
{
    if (m_bCancel)
        return false;
    QEventLoop wait;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &wait, &QEventLoop::quit);
    timer.start(static_cast<int>(qBound<qint64>(0, lMs, kLongestWaitMs * 10)));
    m_pWait = &wait;
    wait.exec();
    m_pWait = nullptr;
    return !m_bCancel;
}

void TransferRetry::Cancel()
{
    m_bCancel = true;
    if (m_pWait)
        m_pWait->quit();
}
