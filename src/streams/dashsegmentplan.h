#pragma once

#include <QList>
#include <QString>
#include <QUrl>
#include <QtGlobal>

#include "streams/streamfragment.h"

// How one Representation's segments in one Period are found, checked when
// the manifest is read and spelled out into fragments only for the track
// that is fetched (a manifest may hold many long representations).
class DashSegmentPlan
{
public:
    enum class Kind { WholeFile, List, Template };

    // A SegmentTimeline entry: uCount segments of uDuration from uTime on.
    struct Run
    {
        quint64 uTime = 0;
        quint64 uDuration = 0;
        quint64 uCount = 0;
    };

    Kind kind = Kind::WholeFile;
    QUrl base; // the Representation's BaseURL, resolved; the file itself for WholeFile

    // List: the segments as they are fetched, already resolved.
    QList<StreamFragment> listed;
    std::optional<StreamFragment> listedInit;

    // Template.
    QString sMedia;
    QString sInitialization;
    QString sRepresentationId;
    qint64 lBandwidth = 0;
    quint64 uStartNumber = 1;
    quint64 uTimescale = 1;
    quint64 uPresentationTimeOffset = 0;
    QList<Run> runs; // with a timeline, or one run of the fixed duration

    quint64 Count() const;
    // The plan's fragments, the initialisation section first where there is one.
    QList<StreamFragment> Fragments() const;
};
