#pragma once

#include <QtGlobal>

#include <memory>

class QNetworkReply;

// Reads the body of a reply in runs of whole blocks: every run is a multiple
// of the block size except the last one of the answer, however the data
// arrives. Each run is as large as the reply has ready (up to a fixed
// capacity), read straight into one buffer that lives as long as the
// reader, so a caller can write a run to disk in one call and still count
// progress block by block. Only the bytes of an unfinished block are ever
// moved within the buffer.
class BlockReader
{
public:
    enum class Status {
        Data,      // pData/lLength hold the next run
        End,       // the answer is complete
        Failed,    // the connection or the protocol failed
        Cancelled, // bCancel was found set while waiting
    };

    // bCancel is looked at after every wait for the network.
    BlockReader(QNetworkReply &reply, qint64 lBlockSize, const bool &bCancel);
    ~BlockReader();

    // The next run; pData stays valid until the next call. Waits in the event
    // loop (without spinning) while not even one block is complete and the
    // answer goes on.
    Status Next(const char *&pData, qint64 &lLength);

private:
    QNetworkReply &m_reply;
    const qint64 m_lBlockSize;
    const bool &m_bCancel;
    std::unique_ptr<char[]> m_buffer;
    qint64 m_lCapacity;
    // Bytes of an unfinished block at m_lTail, handed out with the next run.
    qint64 m_lTail = 0;
    qint64 m_lTailLength = 0;
};
