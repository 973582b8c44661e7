#include "net/blockreader.h"

#include <QNetworkReply>

#include <cstring>

#include "net/replyhelpers.h"

namespace {

constexpr qint64 kStageSize = 64 * 1024;

} // namespace

BlockReader::BlockReader(QNetworkReply &reply, qint64 lBlockSize)
    : m_reply(reply), m_lBlockSize(lBlockSize), m_stage(new char[kStageSize])
{
}

BlockReader::~BlockReader() = default;

qint64 BlockReader::Next(const char *&pBlock, bool &bFailed)
{
    while (m_lEnd - m_lBegin < m_lBlockSize) {
        if (m_lBegin > 0) {
            std::memmove(m_stage.get(), m_stage.get() + m_lBegin, m_lEnd - m_lBegin);
            m_lEnd -= m_lBegin;
            m_lBegin = 0;
        }
        // Qt closes a reply that it aborts (a timeout), and a closed one must
        // not be read.
        const qint64 lRead = m_reply.isOpen()
            ? m_reply.read(m_stage.get() + m_lEnd, kStageSize - m_lEnd) : 0;
        if (lRead > 0) {
            m_lEnd += lRead;
            continue;
        }
        // Data always arrives before the end of the answer is reported, so
        // an empty reply that has finished has nothing more to give.
        if (m_reply.isFinished())
            break;
        WaitForNetwork();
    }
    const qint64 lLength = qMin(m_lBlockSize, m_lEnd - m_lBegin);
    if (lLength == 0) {
        bFailed = IsTransportError(m_reply.error());
        return 0;
    }
    pBlock = m_stage.get() + m_lBegin;
    m_lBegin += lLength;
    return lLength;
}
