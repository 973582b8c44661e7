#pragma once

#include <QByteArray>
#include <QList>

#include "streams/streamfragment.h"

// What one track of a stream is made of: the pieces to fetch, in the order
// they are written to the part.
class FragmentTrack
{
public:
    QList<StreamFragment> fragments;

    qsizetype Count() const { return fragments.size(); }
    // The sum of the media fragments' durations, in seconds.
    double Duration() const;
    // Identifies the list, for telling whether a part kept from an earlier
    // try still belongs to it: the same addresses, ranges and keys in the
    // same order give the same value.
    QByteArray Fingerprint() const;
};
