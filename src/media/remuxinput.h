#pragma once

#include <QString>
#include <QtGlobal>

struct AVFormatContext;
struct AVPacket;

// One input of a remux: a local file holding one stream's fragments in
// order, its container probed and read one packet ahead, so that the
// inputs can be interleaved by time.
class RemuxInput
{
public:
    using InterruptFunction = int (*)(void *);

    RemuxInput();
    ~RemuxInput();
    RemuxInput(const RemuxInput &) = delete;
    RemuxInput &operator=(const RemuxInput &) = delete;

    // Opens sPath and reads its streams' parameters; false (ErrorString)
    // when it cannot be read or is no container fragments come in.
    bool Open(const QString &sPath, InterruptFunction pInterrupt, void *pOpaque);
    AVFormatContext *Format() const { return m_pFormat; }
    QString ErrorString() const { return m_sError; }

    // Reads the next packet into Pending(); false at the end of the file
    // or on an error (ErrorString empty at the end).
    bool ReadNext();
    AVPacket *Pending() const { return m_pPacket; }
    bool AtEnd() const { return m_bAtEnd; }

    qint64 Size() const { return m_lSize; }
    qint64 BytesRead() const;

private:
    AVFormatContext *m_pFormat = nullptr;
    AVPacket *m_pPacket = nullptr;
    QString m_sPath;
    QString m_sError;
    qint64 m_lSize = 0;
    bool m_bAtEnd = false;
};
