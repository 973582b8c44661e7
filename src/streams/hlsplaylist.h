#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include "streams/fragmenttrack.h"
#include "streams/streamquality.h"
#include "streams/streamrefusal.h"

// What an HLS playlist says: a master playlist lists variants (and audio
// renditions), a media playlist lists fragments. Addresses are resolved.
struct HlsPlaylist
{
    struct Variant
    {
        QUrl url;
        qint64 lBandwidth = 0;
        qint64 lAverageBandwidth = 0;
        int iWidth = 0;
        int iHeight = 0;
        QString sCodecs;
        QString sAudioGroup; // the GROUP-ID of the renditions it plays with
    };
    struct Rendition
    {
        QString sGroupId;
        QString sName;
        QString sLanguage;
        bool bDefault = false;
        bool bAutoSelect = false;
        QUrl url; // empty: the audio is inside the variant's own fragments
    };

    StreamRefusal refusal;
    bool bMaster = false;
    QList<Variant> variants;
    QList<Rendition> audio;
    FragmentTrack track;

    qsizetype PickVariant(StreamQuality::Limit limit) const;
    // The audio rendition to fetch beside a variant: one of its group (the
    // default where marked), or -1 when its own fragments carry the audio.
    qsizetype AudioFor(qsizetype iVariant) const;
};
