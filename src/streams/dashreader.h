#pragma once

#include <QByteArray>
#include <QUrl>

#include "streams/dashmanifest.h"

// Reads a static MPEG-DASH manifest, text in, structure out. A manifest it
// cannot save comes back with a refusal and nothing else.
class DashReader
{
public:
    // address is where the manifest was fetched from (after redirects): the
    // BaseURLs resolve against it.
    static DashManifest Read(const QByteArray &xml, const QUrl &address);
};
