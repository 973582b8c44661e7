#include "session/transfermeter.h"

#include <QCoreApplication>

#include <cmath>

#include "core/modmain.h"

namespace {

// Samples closer together than this add nothing to a five-second average;
// a transfer reports every 2 KiB.
constexpr qint64 kSampleSpacingMs = 100;
const QString kDot = QStringLiteral(" · ");

} // namespace

void TransferMeter::Start(qint64 llNowMs, qint64 lDone, qint64 lTotal)
{
    m_samples.clear();
    m_samples.push_back({llNowMs, lDone});
    m_lDone = lDone;
    m_lTotal = lTotal;
    m_llLastByteMs = llNowMs;
}

void TransferMeter::Note(qint64 llNowMs, qint64 lDone)
{
    if (lDone != m_lDone)
        m_llLastByteMs = llNowMs;
    m_lDone = lDone;
    // The newest sample is always the last note; the ones before it are
    // kept at least the spacing apart.
    const size_t uCount = m_samples.size();
    if (uCount >= 2 && m_samples[uCount - 1].llAtMs - m_samples[uCount - 2].llAtMs < kSampleSpacingMs)
        m_samples.back() = {llNowMs, lDone};
    else
        m_samples.push_back({llNowMs, lDone});
    // The oldest sample that still reaches back to the window's start stays.
    while (m_samples.size() > 2 && m_samples[1].llAtMs <= llNowMs - kSpeedWindowMs)
        m_samples.pop_front();
}

int TransferMeter::Percent() const
{
    if (m_lTotal <= 0)
        return -1;
    return static_cast<int>(qBound(qint64(0), m_lDone * 100 / m_lTotal, qint64(100)));
}

double TransferMeter::Speed(qint64 llNowMs) const
{
    if (m_samples.empty())
        return 0;
    // From the last sample at or before the window's start (or the first of
    // a younger transfer): quiet seconds lower the average.
    auto first = m_samples.front();
    for (auto it = m_samples.rbegin(); it != m_samples.rend(); ++it) {
        if (it->llAtMs <= llNowMs - kSpeedWindowMs) {
            first = *it;
            break;
        }
    }
    const qint64 llSpanMs = qMax(llNowMs - first.llAtMs, qint64(1));
    return static_cast<double>(m_lDone - first.lDone) * 1000.0 / static_cast<double>(llSpanMs);
}

QString TransferMeter::TimeLeftText(qint64 llSeconds)
{
    if (llSeconds < 60)
        return QCoreApplication::translate("TransferMeter", "about %1 s left").arg(qMax<qint64>(llSeconds, 1));
    const qint64 llMinutes = (llSeconds + 30) / 60;
    if (llMinutes < 60)
        return QCoreApplication::translate("TransferMeter", "about %1 min left").arg(llMinutes);
    return QCoreApplication::translate("TransferMeter", "about %1 h %2 min left").arg(llMinutes / 60).arg(llMinutes % 60);
}

QString TransferMeter::Text(qint64 llNowMs) const
{
    QString sText = modMain::FormatSize(static_cast<double>(m_lDone));
    if (m_lTotal > 0)
        sText += QCoreApplication::translate("TransferMeter", " of %1").arg(modMain::FormatSize(static_cast<double>(m_lTotal)));
    if (llNowMs - m_llLastByteMs >= kStallMs)
        return sText + kDot + QCoreApplication::translate("TransferMeter", "stalled");
    const double dSpeed = Speed(llNowMs);
    if (dSpeed < 1)
        return sText;
    sText += kDot + modMain::FormatSize(dSpeed) + QStringLiteral("/s");
    if (m_lTotal > m_lDone)
        sText += kDot
            + TimeLeftText(std::llround(static_cast<double>(m_lTotal - m_lDone) / dSpeed));
    return sText;
}
