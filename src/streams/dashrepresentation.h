#pragma once

#include <QList>
#include <QString>

#include "streams/dashsegmentplan.h"
#include "streams/fragmenttrack.h"

// One Representation of a static MPD, followed through every Period (where
// there are several, the one of the same id in each).
class DashRepresentation
{
public:
    QString sId;
    qint64 lBandwidth = 0;
    int iWidth = 0;
    int iHeight = 0;
    QString sCodecs;
    QString sMimeType;
    QString sContentType; // "video", "audio", "text", …
    bool bMainRole = false; // its AdaptationSet is marked the main one
    QList<DashSegmentPlan> plans; // one per Period

    quint64 FragmentCount() const;
    // Its fragments in order; the first of each later Period starts anew
    // (a discontinuity, and its own initialisation section).
    FragmentTrack Track() const;
};
