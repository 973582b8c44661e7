#pragma once

#include <QString>
#include <QtGlobal>

#include <deque>

// What a transfer is doing, in one line: "12.4 MB of 200 MB · 1.3 MB/s ·
// about 2 min left". The speed is the average over the last five seconds;
// no new byte for ten seconds reads "stalled". Time comes from the caller
// (milliseconds of any steady clock), so the text depends on nothing else.
class TransferMeter
{
public:
    static constexpr qint64 kSpeedWindowMs = 5000;
    static constexpr qint64 kStallMs = 10000;

    // A new transfer: lDone bytes are there already (a kept part), lTotal
    // the whole file (-1 unknown).
    void Start(qint64 llNowMs, qint64 lDone, qint64 lTotal);
    // The transfer has lDone bytes now.
    void Note(qint64 llNowMs, qint64 lDone);
    void SetTotal(qint64 lTotal) { m_lTotal = lTotal; }

    qint64 Done() const { return m_lDone; }
    qint64 Total() const { return m_lTotal; }
    // The whole file's share that is there, 0-100; -1 when the size is unknown.
    int Percent() const;
    // Bytes per second over the last five seconds (or since the start).
    double Speed(qint64 llNowMs) const;
    QString Text(qint64 llNowMs) const;

    // "about 2 min left" and its kin, for a wait of llSeconds.
    static QString TimeLeftText(qint64 llSeconds);

private:
    struct Sample
    {
        qint64 llAtMs;
        qint64 lDone;
    };
    // Enough samples to span the window; one more keeps its start.
    std::deque<Sample> m_samples;
    qint64 m_lDone = 0;
    qint64 m_lTotal = -1;
    qint64 m_llLastByteMs = 0;
};
