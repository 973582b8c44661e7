#include "media/remuxer.h"

#include "media/libav.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "media/averrortext.h"
#include "media/ffmpeglog.h"
#include "media/medialog.h"
#include "media/remuxinput.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

struct Container
{
    const char *pFormatName;
    const char *pExtension;
};

// MP4 first: it plays everywhere. Matroska holds what MP4 cannot.
constexpr Container kContainers[] = {{"mp4", "mp4"}, {"matroska", "mkv"}};

// A forward jump larger than any pause within one stream's fragments: the
// clock was reset, not the picture held.
constexpr qint64 kLargestGap = 10 * AV_TIME_BASE;

int Interrupted(void *pOpaque)
{
    return static_cast<const Remuxer *>(pOpaque)->IsCancelled() ? 1 : 0;
}

bool IsCopied(const AVStream *pStream)
{
    const AVMediaType type = pStream->codecpar->codec_type;
    return (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO)
           && pStream->codecpar->codec_id != AV_CODEC_ID_NONE
           && !(pStream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

} // namespace

struct Remuxer::Job
{
    std::vector<std::unique_ptr<RemuxInput>> lInputs;
    // Per input, per input stream: the output stream, or -1.
    std::vector<std::vector<int>> lStreamMaps;
    std::vector<const AVStream *> lCopied;
    AVFormatContext *pOutput = nullptr;
    // The earliest start of all copied streams (AV_TIME_BASE units), taken
    // off every stream alike so that they stay in step.
    qint64 lStart = 0;
    // Per input: what its timestamps moved by at discontinuities so far.
    std::vector<qint64> lJumps;
    // Per output stream: the last packet's decoding time and where the
    // next is due (AV_TIME_BASE units, after the shifts).
    std::vector<qint64> lLastDts;
    std::vector<qint64> lNextDts;
    qint64 lTotal = 0;
    qint64 lReported = -1;

    ~Job()
    {
        if (pOutput) {
            LibAv::Get().avio_closep(&pOutput->pb);
            LibAv::Get().avformat_free_context(pOutput);
        }
    }
};

Remuxer::Remuxer(QObject *pParent) : QObject(pParent) {}

Remuxer::~Remuxer() = default;

bool Remuxer::Run(const QStringList &lInputs, const QString &sOutputPath)
{
    m_sError.clear();
    m_sExtension.clear();
    if (!LibAv::Load())
        return Fail(LibAv::Error());
    FfmpegLog::Install();
    bool bDone = false;
    {
        Job job;
        bDone = Remux(job, lInputs, sOutputPath);
    }
    if (!bDone && !m_sExtension.isEmpty())
        QFile::remove(sOutputPath);
    if (!bDone)
        m_sExtension.clear();
    return bDone;
}

bool Remuxer::Remux(Job &job, const QStringList &lInputs, const QString &sOutputPath)
{
    if (lInputs.isEmpty() || lInputs.size() > 2)
        return Fail(QStringLiteral("A stream is joined from one or two inputs, not %1")
                        .arg(lInputs.size()));
    qint64 lEarliest = AV_NOPTS_VALUE;
    for (const QString &sInput : lInputs) {
        auto pInput = std::make_unique<RemuxInput>();
        if (!pInput->Open(sInput, Interrupted, this))
            return Fail(m_bCancelled ? QStringLiteral("Cancelled") : pInput->ErrorString());
        std::vector<int> lMap;
        const AVFormatContext *pFormat = pInput->Format();
        for (unsigned i = 0; i < pFormat->nb_streams; ++i) {
            const AVStream *pStream = pFormat->streams[i];
            lMap.push_back(IsCopied(pStream) ? int(job.lCopied.size()) : -1);
            if (lMap.back() < 0)
                continue;
            job.lCopied.push_back(pStream);
            if (pStream->start_time != AV_NOPTS_VALUE) {
                const qint64 lStart = LibAv::Get().av_rescale_q(pStream->start_time, pStream->time_base,
                                                   AV_TIME_BASE_Q);
                if (lEarliest == AV_NOPTS_VALUE || lStart < lEarliest)
                    lEarliest = lStart;
            }
        }
        job.lTotal += pInput->Size();
        job.lStreamMaps.push_back(std::move(lMap));
        job.lInputs.push_back(std::move(pInput));
    }
    if (job.lCopied.empty())
        return Fail(QStringLiteral("The stream holds no video or audio"));
    job.lStart = lEarliest == AV_NOPTS_VALUE ? 0 : lEarliest;
    return OpenOutput(job, sOutputPath) && CopyPackets(job);
}

bool Remuxer::OpenOutput(Job &job, const QString &sOutputPath)
{
    int iResult = AVERROR_MUXER_NOT_FOUND;
    for (const Container &container : kContainers) {
        const AVOutputFormat *pFormat = LibAv::Get().av_guess_format(container.pFormatName, nullptr, nullptr);
        bool bFits = pFormat != nullptr;
        for (const AVStream *pStream : job.lCopied)
            bFits = bFits
                    && LibAv::Get().avformat_query_codec(pFormat, pStream->codecpar->codec_id,
                                            FF_COMPLIANCE_NORMAL) == 1;
        if (!bFits)
            continue;
        // A stale file (or a link) under the name goes; the new one is made
        // afresh, so the bytes never go through a link.
        QFile::remove(sOutputPath);
        const int fd = ::open(QFile::encodeName(sOutputPath).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
            return Fail(QStringLiteral("Cannot write %1: %2")
                            .arg(sOutputPath, AvErrorText(AVERROR(errno))));
        ::close(fd);
        m_sExtension = QString::fromLatin1(container.pExtension);

        const QByteArray url = "file:" + QFile::encodeName(sOutputPath);
        iResult = LibAv::Get().avformat_alloc_output_context2(&job.pOutput, pFormat, nullptr, url.constData());
        if (iResult < 0)
            break;
        job.pOutput->interrupt_callback = {Interrupted, this};
        for (const AVStream *pInput : job.lCopied) {
            AVStream *pStream = LibAv::Get().avformat_new_stream(job.pOutput, nullptr);
            if (!pStream)
                return Fail(AvErrorText(AVERROR(ENOMEM)));
            if (LibAv::Get().avcodec_parameters_copy(pStream->codecpar, pInput->codecpar) < 0)
                return Fail(AvErrorText(AVERROR(ENOMEM)));
            // The input container's tag may mean nothing in the output's.
            pStream->codecpar->codec_tag = 0;
            pStream->time_base = pInput->time_base;
            pStream->disposition = pInput->disposition;
            LibAv::Get().av_dict_copy(&pStream->metadata, pInput->metadata, 0);
        }
        iResult = LibAv::Get().avio_open2(&job.pOutput->pb, url.constData(), AVIO_FLAG_WRITE,
                             &job.pOutput->interrupt_callback, nullptr);
        if (iResult < 0)
            break;
        AVDictionary *pOptions = nullptr;
        if (qstrcmp(container.pExtension, "mp4") == 0)
            LibAv::Get().av_dict_set(&pOptions, "movflags", "+faststart", 0);
        iResult = LibAv::Get().avformat_write_header(job.pOutput, &pOptions);
        LibAv::Get().av_dict_free(&pOptions);
        if (iResult >= 0)
            return true;
        // The muxer may still refuse a stream the query let through.
        qCDebug(lcMedia) << "The" << container.pExtension << "muxer refused the streams:"
                         << AvErrorText(iResult);
        LibAv::Get().avio_closep(&job.pOutput->pb);
        LibAv::Get().avformat_free_context(job.pOutput);
        job.pOutput = nullptr;
    }
    if (m_bCancelled)
        return Fail(QStringLiteral("Cancelled"));
    return Fail(QStringLiteral("Cannot write %1: %2").arg(sOutputPath, AvErrorText(iResult)));
}

void Remuxer::Retime(Job &job, int iInput, int iOutput, AVPacket *pPacket, AVRational inBase)
{
    qint64 &lJump = job.lJumps[iInput];
    qint64 &lLast = job.lLastDts[iOutput];
    qint64 &lNext = job.lNextDts[iOutput];
    if (pPacket->dts != AV_NOPTS_VALUE) {
        const qint64 lDts = LibAv::Get().av_rescale_q(pPacket->dts, inBase, AV_TIME_BASE_Q) - job.lStart + lJump;
        // Fragments joined across a discontinuity (an inserted clip, an
        // encoder restart) start their clock afresh: they go on where the
        // stream stopped, and the input's other streams move alike.
        if (lLast != AV_NOPTS_VALUE && (lDts <= lLast || lDts > lNext + kLargestGap)) {
            qCDebug(lcMedia) << "Timestamps jump by" << (lDts - lNext) << "us; joined on";
            lJump += lNext - lDts;
        }
    }
    const qint64 lShift = LibAv::Get().av_rescale_q(lJump - job.lStart, AV_TIME_BASE_Q, inBase);
    if (pPacket->pts != AV_NOPTS_VALUE)
        pPacket->pts += lShift;
    if (pPacket->dts != AV_NOPTS_VALUE) {
        pPacket->dts += lShift;
        lLast = LibAv::Get().av_rescale_q(pPacket->dts, inBase, AV_TIME_BASE_Q);
        lNext = lLast + qMax<qint64>(1, LibAv::Get().av_rescale_q(pPacket->duration, inBase, AV_TIME_BASE_Q));
    }
}

bool Remuxer::CopyPackets(Job &job)
{
    job.lJumps.assign(job.lInputs.size(), 0);
    job.lLastDts.assign(job.lCopied.size(), AV_NOPTS_VALUE);
    job.lNextDts.assign(job.lCopied.size(), AV_NOPTS_VALUE);
    for (auto &pInput : job.lInputs)
        pInput->ReadNext();
    for (;;) {
        // The input whose next packet comes first, so that the muxer need
        // not hold one input's packets while it waits for the other's.
        int iNext = -1;
        qint64 lNextTime = 0;
        for (int i = 0; i < int(job.lInputs.size()); ++i) {
            const RemuxInput &input = *job.lInputs[i];
            if (input.AtEnd())
                continue;
            const AVPacket *pPacket = input.Pending();
            const AVRational base = input.Format()->streams[pPacket->stream_index]->time_base;
            const qint64 lTime =
                pPacket->dts == AV_NOPTS_VALUE
                    ? lNextTime
                    : LibAv::Get().av_rescale_q(pPacket->dts, base, AV_TIME_BASE_Q) + job.lJumps[i];
            if (iNext < 0 || lTime < lNextTime) {
                iNext = i;
                lNextTime = lTime;
            }
        }
        if (m_bCancelled)
            return Fail(QStringLiteral("Cancelled"));
        for (const auto &pInput : job.lInputs)
            if (!pInput->ErrorString().isEmpty())
                return Fail(pInput->ErrorString());
        if (iNext < 0)
            break;

        RemuxInput &input = *job.lInputs[iNext];
        AVPacket *pPacket = input.Pending();
        const int iOutput = job.lStreamMaps[iNext][pPacket->stream_index];
        if (iOutput >= 0) {
            const AVRational inBase = input.Format()->streams[pPacket->stream_index]->time_base;
            Retime(job, iNext, iOutput, pPacket, inBase);
            LibAv::Get().av_packet_rescale_ts(pPacket, inBase, job.pOutput->streams[iOutput]->time_base);
            pPacket->stream_index = iOutput;
            pPacket->pos = -1;
            const int iResult = LibAv::Get().av_interleaved_write_frame(job.pOutput, pPacket);
            if (iResult < 0)
                return Fail(m_bCancelled ? QStringLiteral("Cancelled")
                                         : QStringLiteral("Cannot write the file: %1")
                                               .arg(AvErrorText(iResult)));
        }
        input.ReadNext();
        ReportProgress(job, false);
    }
    // The trailer writes the index and, for MP4, moves it to the front.
    int iResult = LibAv::Get().av_write_trailer(job.pOutput);
    if (iResult >= 0)
        iResult = LibAv::Get().avio_closep(&job.pOutput->pb);
    if (iResult < 0 || m_bCancelled)
        return Fail(m_bCancelled ? QStringLiteral("Cancelled")
                                 : QStringLiteral("Cannot write the file: %1")
                                       .arg(AvErrorText(iResult)));
    ReportProgress(job, true);
    return true;
}

void Remuxer::ReportProgress(Job &job, bool bForce)
{
    qint64 lDone = 0;
    for (const auto &pInput : job.lInputs)
        lDone += pInput->BytesRead();
    // About one report per half percent: the receiver may be on another
    // thread, and a signal per packet would flood its queue.
    if (!bForce && job.lReported >= 0 && lDone - job.lReported < job.lTotal / 200 + 1)
        return;
    job.lReported = lDone;
    Q_EMIT Progress(lDone, job.lTotal);
}

bool Remuxer::Fail(const QString &sError)
{
    m_sError = sError;
    qCDebug(lcMedia).noquote() << "Remux failed:" << sError;
    return false;
}
