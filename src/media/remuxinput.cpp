#include "media/remuxinput.h"

#include "media/libav.h"

#include <QFileInfo>

#include "media/averrortext.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// The containers HLS and DASH fragments come in. Anything else is refused
// unprobed: a playlist among the fragments must never make FFmpeg fetch.
constexpr const char *kFormats = "mpegts,mov,matroska,aac,mp3,ac3,eac3";

} // namespace

RemuxInput::RemuxInput() : m_pPacket(LibAv::Get().av_packet_alloc()) {}

RemuxInput::~RemuxInput()
{
    LibAv::Get().av_packet_free(&m_pPacket);
    LibAv::Get().avformat_close_input(&m_pFormat);
}

bool RemuxInput::Open(const QString &sPath, InterruptFunction pInterrupt, void *pOpaque)
{
    m_sPath = sPath;
    m_lSize = QFileInfo(sPath).size();
    m_pFormat = LibAv::Get().avformat_alloc_context();
    if (!m_pFormat || !m_pPacket) {
        m_sError = AvErrorText(AVERROR(ENOMEM));
        return false;
    }
    m_pFormat->interrupt_callback.callback = pInterrupt;
    m_pFormat->interrupt_callback.opaque = pOpaque;
    AVDictionary *pOptions = nullptr;
    LibAv::Get().av_dict_set(&pOptions, "protocol_whitelist", "file", 0);
    LibAv::Get().av_dict_set(&pOptions, "format_whitelist", kFormats, 0);
    // "file:" keeps a colon in the name from reading as a protocol.
    int iResult = LibAv::Get().avformat_open_input(&m_pFormat, ("file:" + sPath).toUtf8().constData(),
                                      nullptr, &pOptions);
    LibAv::Get().av_dict_free(&pOptions);
    if (iResult >= 0)
        iResult = LibAv::Get().avformat_find_stream_info(m_pFormat, nullptr);
    if (iResult < 0) {
        m_sError = QStringLiteral("Cannot read %1: %2").arg(sPath, AvErrorText(iResult));
        return false;
    }
    return true;
}

bool RemuxInput::ReadNext()
{
    LibAv::Get().av_packet_unref(m_pPacket);
    if (m_bAtEnd)
        return false;
    const int iResult = LibAv::Get().av_read_frame(m_pFormat, m_pPacket);
    if (iResult >= 0)
        return true;
    m_bAtEnd = true;
    if (iResult != AVERROR_EOF)
        m_sError = QStringLiteral("Cannot read %1: %2").arg(m_sPath, AvErrorText(iResult));
    return false;
}

qint64 RemuxInput::BytesRead() const
{
    if (m_bAtEnd)
        return m_lSize;
    if (!m_pFormat || !m_pFormat->pb)
        return 0;
    return qBound(qint64(0), qint64(LibAv::Get().avio_seek(m_pFormat->pb, 0, SEEK_CUR)), m_lSize);
}
