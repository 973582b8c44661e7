#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// The program's one speed limit: a token bucket that every transfer reads
// through, single connections, split transfers and stream fragments alike,
// so that together they stay within the rate. Bytes are spent after they
// are read; a read that overdraws the bucket is paid back by the next
// readers waiting. The bucket holds at most a twentieth of a second's
// worth, so no burst ever carries a reader far past the rate.
//
// Used on the thread that runs the transfers only.
class RateBudget
{
public:
    // The budget every transfer of the program shares.
    static RateBudget &Shared();

    // Bytes per second; 0 (the default) for no limit.
    void SetBytesPerSecond(qint64 lRate);
    qint64 BytesPerSecond() const { return m_lRate; }
    bool Limited() const { return m_lRate > 0; }

    // How many of lWanted bytes may be read now (all of them without a
    // limit; 0 while the bucket holds less than a fiftieth of a second's
    // worth, or than lWanted).
    qint64 Allowance(qint64 lWanted);
    void Spend(qint64 lBytes);
    // Milliseconds until a read is allowed again (at least 1).
    int MsUntilAllowance();

    // "500K", "2M", "1048576", "1.5M" (K and M are 1024 and 1024 x 1024);
    // -1 for anything else.
    static qint64 ParseRate(const QString &sRate);

private:
    void Refill();
    double LeastRead() const;

    qint64 m_lRate = 0;
    double m_dTokens = 0;
    QElapsedTimer m_clock;
    qint64 m_lLastNs = 0;
};
