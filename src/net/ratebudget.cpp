#include "net/ratebudget.h"

#include <QString>

#include <cmath>

namespace {

constexpr double kBurstSeconds = 0.05;
// A reader waits until it may read at least this share of a second's worth
// (within bounds): a trickle of tiny reads costs a system call and a write
// each.
constexpr double kLeastReadSeconds = 0.02;
constexpr double kLeastRead = 1024;
constexpr double kMostLeastRead = 64 * 1024;

} // namespace

RateBudget &RateBudget::Shared()
{
    static RateBudget budget;
    return budget;
}

void RateBudget::SetBytesPerSecond(qint64 lRate)
{
    lRate = qMax<qint64>(lRate, 0);
    // Set again before every item: the same rate keeps its bucket.
    if (lRate == m_lRate)
        return;
    m_lRate = lRate;
    m_dTokens = 0;
    m_clock.start();
    m_lLastNs = 0;
}

void RateBudget::Refill()
{
    const qint64 lNowNs = m_clock.nsecsElapsed();
    const double dBurst = qMax(double(m_lRate) * kBurstSeconds, 2 * LeastRead());
    m_dTokens = qMin(dBurst, m_dTokens + double(lNowNs - m_lLastNs) * 1e-9 * double(m_lRate));
    m_lLastNs = lNowNs;
}

double RateBudget::LeastRead() const
{
    return qBound(kLeastRead, double(m_lRate) * kLeastReadSeconds, kMostLeastRead);
}

qint64 RateBudget::Allowance(qint64 lWanted)
{
    if (!Limited())
        return lWanted;
    Refill();
    if (m_dTokens < qMin(double(lWanted), LeastRead()))
        return 0;
    return qMin(lWanted, qint64(m_dTokens));
}

void RateBudget::Spend(qint64 lBytes)
{
    if (Limited())
        m_dTokens -= double(lBytes);
}

int RateBudget::MsUntilAllowance()
{
    if (!Limited())
        return 1;
    Refill();
    // A little more than the debt takes to repay, so that the wait ends
    // with something to read.
    const double dMs = (LeastRead() - m_dTokens) * 1000.0 / double(m_lRate);
    return int(qBound(1.0, std::ceil(dMs) + 1, 1000.0));
}

qint64 RateBudget::ParseRate(const QString &sRate)
{
    QString sNumber = sRate.trimmed();
    double dUnit = 1;
    if (sNumber.endsWith(u'K', Qt::CaseInsensitive))
        dUnit = 1024;
    else if (sNumber.endsWith(u'M', Qt::CaseInsensitive))
        dUnit = 1024 * 1024;
    if (dUnit > 1)
        sNumber.chop(1);
    bool bNumber = false;
    const double dValue = sNumber.toDouble(&bNumber);
    if (!bNumber || !(dValue > 0) || dValue * dUnit > 1e15)
        return -1;
    return qMax<qint64>(1, std::llround(dValue * dUnit));
}
