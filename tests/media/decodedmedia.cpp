#include "decodedmedia.h"

#include <QCryptographicHash>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

namespace {

struct Decoding
{
    AVFormatContext *pFormat = nullptr;
    AVCodecContext *pVideo = nullptr;
    AVCodecContext *pAudio = nullptr;
    int iVideo = -1;
    int iAudio = -1;
    AVPacket *pPacket = av_packet_alloc();
    AVFrame *pFrame = av_frame_alloc();

    ~Decoding()
    {
        av_packet_free(&pPacket);
        av_frame_free(&pFrame);
        avcodec_free_context(&pVideo);
        avcodec_free_context(&pAudio);
        avformat_close_input(&pFormat);
    }
};

AVCodecContext *OpenDecoder(const AVStream *pStream)
{
    const AVCodec *pCodec = avcodec_find_decoder(pStream->codecpar->codec_id);
    AVCodecContext *pContext = pCodec ? avcodec_alloc_context3(pCodec) : nullptr;
    if (pContext)
        pContext->pkt_timebase = pStream->time_base;
    if (pContext
        && (avcodec_parameters_to_context(pContext, pStream->codecpar) < 0
            || avcodec_open2(pContext, pCodec, nullptr) < 0))
        avcodec_free_context(&pContext);
    return pContext;
}

void Take(DecodedMedia &media, Decoding &d, AVCodecContext *pContext, const AVStream *pStream,
          AVPacket *pPacket)
{
    avcodec_send_packet(pContext, pPacket);
    while (avcodec_receive_frame(pContext, d.pFrame) >= 0) {
        const qint64 lTime = d.pFrame->best_effort_timestamp;
        const double dTime =
            lTime == AV_NOPTS_VALUE ? NAN : double(lTime) * av_q2d(pStream->time_base);
        if (pContext == d.pVideo) {
            const AVFrame *f = d.pFrame;
            const AVPixelFormat format = AVPixelFormat(f->format);
            QByteArray picture(av_image_get_buffer_size(format, f->width, f->height, 1), 0);
            av_image_copy_to_buffer(reinterpret_cast<uint8_t *>(picture.data()),
                                    int(picture.size()), f->data, f->linesize, format, f->width,
                                    f->height, 1);
            media.lPictureSums << QCryptographicHash::hash(picture, QCryptographicHash::Md5);
            media.dVideoStart = std::fmin(dTime, media.dVideoStart);
        } else {
            media.lAudioSamples += d.pFrame->nb_samples;
            media.iAudioFrameSize = qMax(media.iAudioFrameSize, d.pFrame->nb_samples);
            media.dAudioStart = std::fmin(dTime, media.dAudioStart);
        }
        av_frame_unref(d.pFrame);
    }
}

} // namespace

DecodedMedia DecodedMedia::Of(const QStringList &lPaths)
{
    DecodedMedia media;
    for (const QString &sPath : lPaths) {
        Decoding d;
        if (avformat_open_input(&d.pFormat, sPath.toUtf8().constData(), nullptr, nullptr) < 0
            || avformat_find_stream_info(d.pFormat, nullptr) < 0) {
            media.sError = QStringLiteral("cannot open %1").arg(sPath);
            return media;
        }
        d.iVideo = av_find_best_stream(d.pFormat, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        d.iAudio = av_find_best_stream(d.pFormat, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (d.iVideo >= 0 && media.lPictureSums.isEmpty())
            d.pVideo = OpenDecoder(d.pFormat->streams[d.iVideo]);
        if (d.iAudio >= 0 && media.lAudioSamples == 0)
            d.pAudio = OpenDecoder(d.pFormat->streams[d.iAudio]);
        while (av_read_frame(d.pFormat, d.pPacket) >= 0) {
            const int i = d.pPacket->stream_index;
            if (i == d.iVideo && d.pVideo)
                Take(media, d, d.pVideo, d.pFormat->streams[i], d.pPacket);
            else if (i == d.iAudio && d.pAudio)
                Take(media, d, d.pAudio, d.pFormat->streams[i], d.pPacket);
            av_packet_unref(d.pPacket);
        }
        if (d.pVideo)
            Take(media, d, d.pVideo, d.pFormat->streams[d.iVideo], nullptr);
        if (d.pAudio)
            Take(media, d, d.pAudio, d.pFormat->streams[d.iAudio], nullptr);
    }
    return media;
}
