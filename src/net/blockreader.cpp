#include "net/blockreader.h"

#include <QNetworkReply>
#include <QTimer>

#include <cstring>

#include "net/ratebudget.h"
#include "net/replyhelpers.h"

namespace {

// Large enough that a fast connection is written in few system calls, small
// next to the read-ahead Qt keeps for the reply.
constexpr qint64 kRunBytes = 1024 * 1024;

} // namespace

BlockReader::BlockReader(QNetworkReply &reply, qint64 lBlockSize, const bool &bCancel)
    : m_reply(reply)
    , m_lBlockSize(lBlockSize)
    , m_bCancel(bCancel)
    , m_lCapacity(qMax(kRunBytes / lBlockSize, qint64(1)) * lBlockSize)
{
    m_buffer.reset(new char[m_lCapacity]);
}

BlockReader::~BlockReader() = default;

BlockReader::Status BlockReader::Next(const char *&pData, qint64 &lLength)
{
    char *const pBuffer = m_buffer.get();
    if (m_lTail > 0) {
        std::memmove(pBuffer, pBuffer + m_lTail, m_lTailLength);
        m_lTail = 0;
    }
    qint64 lHave = m_lTailLength;
    for (;;) {
        // Qt closes a reply that it aborts (a timeout), and a closed one must
        // not be read.
        // The speed limit holds the rest in Qt's buffer, and the network
        // thread stops reading once that is full.
        RateBudget &budget = RateBudget::Shared();
        bool bHeldBack = false;
        if (m_reply.isOpen() && lHave < m_lCapacity) {
            const qint64 lAllowed = budget.Allowance(m_lCapacity - lHave);
            const qint64 lRead = lAllowed > 0 ? m_reply.read(pBuffer + lHave, lAllowed) : 0;
            if (lRead > 0) {
                lHave += lRead;
                budget.Spend(lRead);
            }
            // Bytes left in Qt's buffer bring no event: only the budget's
            // time does.
            bHeldBack = m_reply.bytesAvailable() > 0;
        }
        const qint64 lWhole = lHave / m_lBlockSize * m_lBlockSize;
        // Data always arrives before the end of the answer is reported, so a
        // reply that has finished has nothing more to give.
        const bool bEnded = m_reply.isFinished() && !(m_reply.isOpen() && m_reply.bytesAvailable() > 0);
        if (lWhole > 0 || (bEnded && lHave > 0)) {
            lLength = lWhole > 0 ? lWhole : lHave;
            m_lTail = lLength;
            m_lTailLength = lHave - lLength;
            pData = pBuffer;
            return Status::Data;
        }
        if (bEnded) {
            m_lTailLength = 0;
            return IsTransportError(m_reply.error()) ? Status::Failed : Status::End;
        }
        if (m_bCancel)
            return Status::Cancelled;
        // A timer ends the wait once the budget allows more.
        QTimer wake;
        if (bHeldBack) {
            wake.setSingleShot(true);
            wake.start(budget.MsUntilAllowance());
        }
        WaitForNetwork();
        if (m_bCancel)
            return Status::Cancelled;
    }
}
