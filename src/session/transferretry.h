#pragma once

#include <QObject>
#include <QString>
#include <QtGlobal>

#include <functional>

#include "net/passingfailure.h"

class Download;
class QEventLoop;

// Tries a transfer again after a failure that may pass: a connection that
// broke (closed early, reset, silent past the limit) or an answer of 408,
// 429, 500, 502, 503 or 504. An address that is not there (refused, unknown
// host) and any other answer fail at once. Waits 1 s, 2 s, 4 s ... (at most
// 30 s) between tries, or the answer's Retry-After when that is at most
// 60 s. A try that got further than every try before it, by at least 1 MiB
// or 1 % of the file, starts the count afresh: a connection that breaks now
// and then still brings the file, while one that brings nothing (or a
// trickle) is given up after the given number of retries. Whatever the tries
// bring, there are at most 4 x (retries + 1) of them. A server whose answer
// never ends its headers is broken and is not tried again.
class TransferRetry : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultRetries = PassingFailure::kDefaultRetries;

    explicit TransferRetry(Download &download, QObject *parent = nullptr);

    // Retries after the first try (0: one try only).
    void SetRetries(int iRetries) { m_iRetries = qMax(iRetries, 0); }
    int Retries() const { return m_iRetries; }
    // Every wait is this share of the planned one (tests keep them short).
    void SetTimeScale(double dScale) { m_dTimeScale = dScale; }

    // Calls attempt until it answers true (nothing to try again for: done,
    // or stopped), the download's failure is not one that passes, the
    // retries are used up, or Cancel is called.
    void Run(const std::function<bool()> &attempt);
    // Ends a wait at once; Run then returns.
    void Cancel();

    // The wait before retry iRetry (from 1), in milliseconds, before scaling.
    qint64 PlannedWaitMs(int iRetry) const;
    // Why the last Run's last try failed, with how many tries in a row
    // failed that way; empty when it did not fail on the network's side.
    QString LastFailure() const;

Q_SIGNALS:
    // A wait begins (the item shows it).
    void Waiting(int iRetry, int iRetries, qint64 lPlannedMs);

private:
    bool Wait(qint64 lMs);

    Download &m_download;
    int m_iRetries = kDefaultRetries;
    double m_dTimeScale = 1.0;
    bool m_bCancel = false;
    // Tries of the last Run that ended the way its last one did.
    int m_iSameOutcomes = 0;
    QEventLoop *m_pWait = nullptr;
};
