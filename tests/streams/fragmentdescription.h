#pragma once

#include <QStringList>

#include "streams/fragmenttrack.h"

// A track as short lines that a failing comparison shows readably:
// "v/a.ts@100+50 init disc #7 key=v/k iv=00…01", addresses on 127.0.0.1
// without their scheme and host.
QStringList DescribeFragments(const FragmentTrack &track);
