#include "media/ffmpeglog.h"

#include "media/libav.h"

#include <QByteArray>

#include <cstdarg>
#include <mutex>

#include "media/medialog.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

void LogLine(void *pAvcl, int iLevel, const char *pFormat, va_list args)
{
    // Debug and trace levels are per-packet chatter, too costly to format.
    if (iLevel > AV_LOG_VERBOSE || !lcMedia().isDebugEnabled())
        return;
    // FFmpeg may build one line from several calls; each thread keeps its
    // own unfinished line.
    thread_local int tPrintPrefix = 1;
    thread_local QByteArray tLine;
    char aBuffer[1024];
    LibAv::Get().av_log_format_line2(pAvcl, iLevel, pFormat, args, aBuffer, int(sizeof aBuffer), &tPrintPrefix);
    tLine += aBuffer;
    if (!tLine.endsWith('\n'))
        return;
    tLine.chop(1);
    qCDebug(lcMedia).noquote() << "ffmpeg:" << QString::fromUtf8(tLine);
    tLine.clear();
}

} // namespace

void FfmpegLog::Install()
{
    static std::once_flag sOnce;
    std::call_once(sOnce, [] { LibAv::Get().av_log_set_callback(LogLine); });
}
