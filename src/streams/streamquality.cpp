#include "streams/streamquality.h"

#include <QStringList>

namespace {

struct LimitName
{
    StreamQuality::Limit limit;
    const char *sName;
    int iMaxHeight; // 0: no height limit
};

constexpr LimitName kLimits[] = {
    {StreamQuality::Limit::Best, "best", 0},       {StreamQuality::Limit::Max1080, "1080", 1080},
    {StreamQuality::Limit::Max720, "720", 720},    {StreamQuality::Limit::Max480, "480", 480},
    {StreamQuality::Limit::Smallest, "smallest", 0},
};

const LimitName &NameOf(StreamQuality::Limit limit)
{
    for (const LimitName &name : kLimits) {
        if (name.limit == limit)
            return name;
    }
    return kLimits[0];
}

// Whether a ranks above b: taller, then more bandwidth.
bool Above(const StreamQuality::Video &a, const StreamQuality::Video &b)
{
    if (a.iHeight != b.iHeight)
        return a.iHeight > b.iHeight;
    return a.lBandwidth > b.lBandwidth;
}

} // namespace

qsizetype StreamQuality::PickVideo(const QList<Video> &videos, Limit limit)
{
    bool bAnyHeight = false;
    for (const Video &video : videos)
        bAnyHeight = bAnyHeight || video.iHeight > 0;
    const int iMaxHeight = bAnyHeight ? NameOf(limit).iMaxHeight : 0;

    qsizetype iBest = -1;      // highest within the limit
    qsizetype iSmallest = -1;  // lowest of all, for when none fits
    for (qsizetype i = 0; i < videos.size(); ++i) {
        const Video &video = videos.at(i);
        if (bAnyHeight && video.iHeight <= 0)
            continue;
        if (iSmallest < 0 || Above(videos.at(iSmallest), video))
            iSmallest = i;
        const bool bFits = iMaxHeight == 0 || video.iHeight <= iMaxHeight;
        if (bFits && (iBest < 0 || Above(video, videos.at(iBest))))
            iBest = i;
    }
    if (limit == Limit::Smallest || iBest < 0)
        return iSmallest;
    return iBest;
}

qsizetype StreamQuality::PickAudio(const QList<Audio> &audios)
{
    qsizetype iPick = -1;
    for (qsizetype i = 0; i < audios.size(); ++i) {
        const Audio &audio = audios.at(i);
        if (iPick < 0)
            iPick = i;
        else if (audio.bDefault != audios.at(iPick).bDefault)
            iPick = audio.bDefault ? i : iPick;
        else if (audio.lBandwidth > audios.at(iPick).lBandwidth)
            iPick = i;
    }
    return iPick;
}

std::optional<StreamQuality::Limit> StreamQuality::LimitFromText(QStringView text)
{
    QString sText = text.trimmed().toString().toLower();
    if (sText.endsWith(u'p') && sText.size() > 1 && sText.at(0).isDigit())
        sText.chop(1);
    for (const LimitName &name : kLimits) {
        if (sText == QLatin1StringView(name.sName))
            return name.limit;
    }
    return std::nullopt;
}

QString StreamQuality::TextOf(Limit limit)
{
    return QLatin1StringView(NameOf(limit).sName);
}
