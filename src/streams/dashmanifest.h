#pragma once

#include <QList>

#include "streams/dashrepresentation.h"
#include "streams/streamquality.h"
#include "streams/streamrefusal.h"

// What a static MPD offers: its representations, each with the plan of its
// segments.
struct DashManifest
{
    StreamRefusal refusal;
    double dDuration = 0; // seconds; 0 when the manifest does not say
    QList<DashRepresentation> representations;

    // Indexes into representations; -1 when there is no such one. A video
    // representation may carry its sound, so no audio can be right.
    qsizetype PickVideo(StreamQuality::Limit limit) const;
    qsizetype PickAudio() const;
};
