#include "streams/dashrepresentation.h"

quint64 DashRepresentation::FragmentCount() const
{
    quint64 uCount = 0;
    for (const DashSegmentPlan &plan : plans)
        uCount += plan.Count();
    return uCount;
}

FragmentTrack DashRepresentation::Track() const
{
    FragmentTrack track;
    for (const DashSegmentPlan &plan : plans) {
        QList<StreamFragment> fragments = plan.Fragments();
        if (!track.fragments.isEmpty() && !fragments.isEmpty())
            fragments.first().bDiscontinuity = true;
        track.fragments.append(fragments);
    }
    return track;
}
