#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {

constexpr int kFramesPerSecond = 25;
constexpr int kSeconds = 3;
constexpr int kSampleRate = 48000;
// Just short of where MPEG-TS's 33-bit, 90 kHz clock wraps (about 95443.7 s).
constexpr qint64 kWrapStart = 95442;

QString Text(int iCode)
{
    char aText[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(iCode, aText, sizeof aText);
    return QString::fromUtf8(aText);
}

struct Encoder
{
    AVCodecContext *pContext = nullptr;
    AVStream *pStream = nullptr;
    qint64 lNext = 0;
    ~Encoder() { avcodec_free_context(&pContext); }
};

struct Writer
{
    AVFormatContext *pFormat = nullptr;
    AVFrame *pFrame = av_frame_alloc();
    AVPacket *pPacket = av_packet_alloc();
    Encoder video, audio;
    QString sError;

    ~Writer()
    {
        av_frame_free(&pFrame);
        av_packet_free(&pPacket);
        if (pFormat && !(pFormat->oformat->flags & AVFMT_NOFILE))
            avio_closep(&pFormat->pb);
        avformat_free_context(pFormat);
    }

    bool Check(int iResult, const char *pWhat)
    {
        if (iResult < 0 && sError.isEmpty())
            sError = QStringLiteral("%1: %2").arg(QLatin1String(pWhat), Text(iResult));
        return iResult >= 0;
    }

    bool AddStream(Encoder &encoder, const QString &sCodec, bool bVideo)
    {
        const AVCodec *pCodec = avcodec_find_encoder_by_name(sCodec.toLatin1().constData());
        if (!pCodec)
            return Check(AVERROR_ENCODER_NOT_FOUND, "encoder");
        encoder.pContext = avcodec_alloc_context3(pCodec);
        AVCodecContext *c = encoder.pContext;
        if (bVideo) {
            c->width = 176;
            c->height = 144;
            c->pix_fmt = AV_PIX_FMT_YUV420P;
            c->time_base = {1, kFramesPerSecond};
            c->framerate = {kFramesPerSecond, 1};
            c->gop_size = kFramesPerSecond;
            c->bit_rate = 400000;
            if (sCodec == QLatin1String("libx264")) {
                // B-frames, as real streams have: their decoding order differs.
                c->max_b_frames = 2;
                av_opt_set(c->priv_data, "preset", "ultrafast", 0);
            }
        } else {
            c->sample_rate = kSampleRate;
            c->sample_fmt = pCodec->sample_fmts ? pCodec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
            av_channel_layout_default(&c->ch_layout, 2);
            c->time_base = {1, kSampleRate};
            c->bit_rate = 96000;
        }
        if (pFormat->oformat->flags & AVFMT_GLOBALHEADER)
            c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        encoder.pStream = avformat_new_stream(pFormat, nullptr);
        return Check(avcodec_open2(c, pCodec, nullptr), "open encoder")
               && Check(avcodec_parameters_from_context(encoder.pStream->codecpar, c),
                        "parameters");
    }

    bool Drain(Encoder &encoder)
    {
        for (;;) {
            const int iResult = avcodec_receive_packet(encoder.pContext, pPacket);
            if (iResult == AVERROR(EAGAIN) || iResult == AVERROR_EOF)
                return true;
            if (!Check(iResult, "encode"))
                return false;
            av_packet_rescale_ts(pPacket, encoder.pContext->time_base, encoder.pStream->time_base);
            pPacket->stream_index = encoder.pStream->index;
            if (!Check(av_interleaved_write_frame(pFormat, pPacket), "write"))
                return false;
        }
    }

    bool EncodeVideo(qint64 lStart)
    {
        AVCodecContext *c = video.pContext;
        av_frame_unref(pFrame);
        pFrame->format = c->pix_fmt;
        pFrame->width = c->width;
        pFrame->height = c->height;
        if (!Check(av_frame_get_buffer(pFrame, 0), "frame"))
            return false;
        const int i = int(video.lNext);
        for (int y = 0; y < c->height; ++y)
            for (int x = 0; x < c->width; ++x)
                pFrame->data[0][y * pFrame->linesize[0] + x] = uint8_t(x + y + 3 * i);
        for (int y = 0; y < c->height / 2; ++y)
            for (int x = 0; x < c->width / 2; ++x) {
                pFrame->data[1][y * pFrame->linesize[1] + x] = uint8_t(128 + y + 2 * i);
                pFrame->data[2][y * pFrame->linesize[2] + x] = uint8_t(64 + x + 5 * i);
            }
        pFrame->pts = lStart * kFramesPerSecond + video.lNext++;
        return Check(avcodec_send_frame(c, pFrame), "send") && Drain(video);
    }

    bool EncodeAudio(qint64 lStart)
    {
        AVCodecContext *c = audio.pContext;
        av_frame_unref(pFrame);
        pFrame->format = c->sample_fmt;
        pFrame->sample_rate = c->sample_rate;
        pFrame->nb_samples = c->frame_size > 0 ? c->frame_size : 1024;
        av_channel_layout_copy(&pFrame->ch_layout, &c->ch_layout);
        if (!Check(av_frame_get_buffer(pFrame, 0), "frame"))
            return false;
        const bool bPlanar = av_sample_fmt_is_planar(c->sample_fmt);
        const int iChannels = c->ch_layout.nb_channels;
        for (int n = 0; n < pFrame->nb_samples; ++n) {
            const double dSeconds = double(audio.lNext + n) / kSampleRate;
            const double dValue = 0.3 * std::sin(2 * M_PI * 440 * dSeconds);
            for (int ch = 0; ch < iChannels; ++ch) {
                const int iPlane = bPlanar ? ch : 0;
                const int iIndex = bPlanar ? n : n * iChannels + ch;
                if (c->sample_fmt == AV_SAMPLE_FMT_FLTP || c->sample_fmt == AV_SAMPLE_FMT_FLT)
                    reinterpret_cast<float *>(pFrame->data[iPlane])[iIndex] = float(dValue);
                else
                    reinterpret_cast<int16_t *>(pFrame->data[iPlane])[iIndex] =
                        int16_t(dValue * 32767);
            }
        }
        pFrame->pts = lStart * kSampleRate + audio.lNext;
        audio.lNext += pFrame->nb_samples;
        return Check(avcodec_send_frame(c, pFrame), "send") && Drain(audio);
    }

    bool Flush(Encoder &encoder)
    {
        return !encoder.pContext
               || (Check(avcodec_send_frame(encoder.pContext, nullptr), "flush") && Drain(encoder));
    }
};

// The playlist's init section (if any) and fragments, in order.
QStringList PiecesOf(const QString &sPlaylist)
{
    QFile file(sPlaylist);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lPieces;
    const QString sDir = QFileInfo(sPlaylist).path() + QLatin1Char('/');
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString sLine = QString::fromUtf8(line.trimmed());
        if (sLine.startsWith(QLatin1String("#EXT-X-MAP:URI=\"")))
            lPieces << sDir + sLine.section(QLatin1Char('"'), 1, 1);
        else if (!sLine.isEmpty() && !sLine.startsWith(QLatin1Char('#')))
            lPieces << sDir + sLine;
    }
    return lPieces;
}

} // namespace

bool TestMedia::HasEncoder(const QString &sName)
{
    return avcodec_find_encoder_by_name(sName.toLatin1().constData()) != nullptr;
}

QString TestMedia::Make(const QString &sDir, const QString &sName, const QString &sRecipe,
                        QString *pError)
{
    const QStringList lClips = sRecipe.split(QLatin1Char('+'));
    if (lClips.size() > 1) {
        const QString sJoined = sDir + QLatin1Char('/') + sName + QLatin1String(".clips");
        QFile joined(sJoined);
        if (!joined.open(QIODevice::WriteOnly))
            return {};
        for (int i = 0; i < lClips.size(); ++i) {
            const QString sClipName = sName + QLatin1Char('-') + QString::number(i);
            QFile clip(Make(sDir, sClipName, lClips[i], pError));
            if (!clip.open(QIODevice::ReadOnly) || joined.write(clip.readAll()) < 0)
                return {};
        }
        return sJoined;
    }
    const QStringList lParts = sRecipe.split(QLatin1Char(':'));
    const QString sLayout = lParts.value(0);
    const bool bWebm = sLayout == QLatin1String("webm");
    const bool bFmp4 = sLayout == QLatin1String("fmp4");
    const bool bDash = sLayout == QLatin1String("dash");
    const qint64 lStart = sLayout == QLatin1String("ts-wrap") ? kWrapStart : 0;
    // The encoders and muxers would fill the test log; the level is
    // FFmpeg's only while media are made.
    struct QuietLog
    {
        int iLevel = av_log_get_level();
        QuietLog() { av_log_set_level(AV_LOG_ERROR); }
        ~QuietLog() { av_log_set_level(iLevel); }
    } quiet;
    const QString sBase = sDir + QLatin1Char('/') + sName;
    const QString sTarget = bWebm ? sBase + QLatin1String(".webm")
                          : bDash ? sBase + QLatin1String(".mpd")
                                  : sBase + QLatin1String(".m3u8");

    Writer writer;
    writer.Check(avformat_alloc_output_context2(&writer.pFormat, nullptr,
                                                bWebm ? "webm" : bDash ? "dash" : "hls",
                                                sTarget.toUtf8().constData()),
                 "output");
    AVDictionary *pOptions = nullptr;
    if (bDash) {
        av_dict_set(&pOptions, "seg_duration", "1", 0);
        av_dict_set(&pOptions, "use_template", "1", 0);
        av_dict_set(&pOptions, "use_timeline", "1", 0);
        av_dict_set(&pOptions, "adaptation_sets", "id=0,streams=v id=1,streams=a", 0);
        const QByteArray init = (sName + QLatin1String("-init-$RepresentationID$.m4s")).toUtf8();
        const QByteArray segment =
            (sName + QLatin1String("-$RepresentationID$-$Number%03d$.m4s")).toUtf8();
        av_dict_set(&pOptions, "init_seg_name", init.constData(), 0);
        av_dict_set(&pOptions, "media_seg_name", segment.constData(), 0);
    } else if (!bWebm) {
        av_dict_set(&pOptions, "hls_time", "1", 0);
        av_dict_set(&pOptions, "hls_list_size", "0", 0);
        av_dict_set(&pOptions, "hls_segment_type", bFmp4 ? "fmp4" : "mpegts", 0);
        av_dict_set(&pOptions, "hls_segment_filename",
                    (sBase + (bFmp4 ? QLatin1String("%03d.m4s") : QLatin1String("%03d.ts")))
                        .toUtf8().constData(), 0);
        av_dict_set(&pOptions, "hls_fmp4_init_filename",
                    (sName + QLatin1String("-init.mp4")).toUtf8().constData(), 0);
    }
    const QByteArray target = sTarget.toUtf8();
    const bool bReady =
        writer.sError.isEmpty()
        && (lParts.value(1).isEmpty() || writer.AddStream(writer.video, lParts[1], true))
        && (lParts.value(2).isEmpty() || writer.AddStream(writer.audio, lParts[2], false))
        && (writer.pFormat->oformat->flags & AVFMT_NOFILE
            || writer.Check(avio_open(&writer.pFormat->pb, target.constData(), AVIO_FLAG_WRITE),
                            "open"))
        && writer.Check(avformat_write_header(writer.pFormat, &pOptions), "header");
    av_dict_free(&pOptions);
    bool bDone = bReady;
    for (int i = 0; bDone && i < kFramesPerSecond * kSeconds; ++i) {
        if (writer.video.pContext)
            bDone = writer.EncodeVideo(lStart);
        // Audio up to the end of this picture, so the muxer gets them in step.
        while (bDone && writer.audio.pContext
               && writer.audio.lNext * kFramesPerSecond < qint64(i + 1) * kSampleRate)
            bDone = writer.EncodeAudio(lStart);
    }
    bDone = bDone && writer.Flush(writer.video) && writer.Flush(writer.audio)
            && writer.Check(av_write_trailer(writer.pFormat), "trailer");
    if (!bDone) {
        *pError = writer.sError;
        return {};
    }
    if (bWebm)
        return sTarget;

    // Joined as the fragment engine joins them: the bytes, in order.
    const QString sJoined = sBase + QLatin1String(".joined");
    QFile joined(sJoined);
    // A manifest's first representation (the picture) is its init section
    // and its segments.
    QStringList lPieces =
        bDash ? QStringList{sBase + QLatin1String("-init-0.m4s")} : PiecesOf(sTarget);
    if (bDash) {
        for (const QString &sSegment : QDir(sDir).entryList({sName + QLatin1String("-0-*.m4s")},
                                                            QDir::Files, QDir::Name))
            lPieces << sDir + QLatin1Char('/') + sSegment;
    }
    if (lPieces.size() < 3 || !joined.open(QIODevice::WriteOnly)) {
        *pError = QStringLiteral("no pieces in %1").arg(sTarget);
        return {};
    }
    for (const QString &sPiece : lPieces) {
        QFile piece(sPiece);
        if (!piece.open(QIODevice::ReadOnly) || joined.write(piece.readAll()) < 0) {
            *pError = QStringLiteral("cannot join %1").arg(sPiece);
            return {};
        }
    }
    return sJoined;
}
