#pragma once

#include <QtGlobal>

#include <memory>

class QNetworkReply;

// Cuts the body of a reply into fixed-size blocks. Every block is full except
// the last one of the answer, however the data arrives. The reply is read in
// large pieces into one staging buffer that lives as long as the reader, and
// blocks are handed out in place: Qt then copies each byte once, wakes its
// network thread once per piece instead of once per block, and nothing is
// allocated per block.
class BlockReader
{
public:
    BlockReader(QNetworkReply &reply, qint64 lBlockSize);
    ~BlockReader();

    // The next block; pBlock stays valid until the next call. Waits in the
    // event loop (without spinning) while a block is incomplete and the
    // answer goes on. Returns 0 at the end of the answer; bFailed then tells
    // whether the answer ended in a failure of the connection or protocol.
    qint64 Next(const char *&pBlock, bool &bFailed);

private:
    QNetworkReply &m_reply;
    const qint64 m_lBlockSize;
    std::unique_ptr<char[]> m_stage;
    qint64 m_lBegin = 0;
    qint64 m_lEnd = 0;
};
