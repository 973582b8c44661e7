#include "streams/hlsplaylist.h"

qsizetype HlsPlaylist::PickVariant(StreamQuality::Limit limit) const
{
    QList<StreamQuality::Video> videos;
    for (const Variant &variant : variants)
        videos.append({variant.iHeight, variant.lBandwidth});
    return StreamQuality::PickVideo(videos, limit);
}

qsizetype HlsPlaylist::AudioFor(qsizetype iVariant) const
{
    if (iVariant < 0 || iVariant >= variants.size() || variants.at(iVariant).sAudioGroup.isEmpty())
        return -1;
    QList<qsizetype> group;
    QList<StreamQuality::Audio> audios;
    for (qsizetype i = 0; i < audio.size(); ++i) {
        if (audio.at(i).sGroupId == variants.at(iVariant).sAudioGroup) {
            group.append(i);
            audios.append({audio.at(i).bDefault, 0});
        }
    }
    const qsizetype iPick = StreamQuality::PickAudio(audios);
    if (iPick < 0 || audio.at(group.at(iPick)).url.isEmpty())
        return -1;
    return group.at(iPick);
}
