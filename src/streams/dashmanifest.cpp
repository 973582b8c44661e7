#include "streams/dashmanifest.h"

qsizetype DashManifest::PickVideo(StreamQuality::Limit limit) const
{
    QList<qsizetype> indexes;
    QList<StreamQuality::Video> videos;
    for (qsizetype i = 0; i < representations.size(); ++i) {
        const DashRepresentation &representation = representations.at(i);
        if (representation.sContentType == QLatin1StringView("video")) {
            indexes.append(i);
            videos.append({representation.iHeight, representation.lBandwidth});
        }
    }
    const qsizetype iPick = StreamQuality::PickVideo(videos, limit);
    return iPick < 0 ? -1 : indexes.at(iPick);
}

qsizetype DashManifest::PickAudio() const
{
    QList<qsizetype> indexes;
    QList<StreamQuality::Audio> audios;
    for (qsizetype i = 0; i < representations.size(); ++i) {
        const DashRepresentation &representation = representations.at(i);
        if (representation.sContentType == QLatin1StringView("audio")) {
            indexes.append(i);
            audios.append({representation.bMainRole, representation.lBandwidth});
        }
    }
    const qsizetype iPick = StreamQuality::PickAudio(audios);
    return iPick < 0 ? -1 : indexes.at(iPick);
}
