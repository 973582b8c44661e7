#pragma once

#include <QByteArray>
#include <QUrl>

#include "streams/hlsplaylist.h"

// Reads an HLS playlist (master or media), text in, structure out. A
// playlist it cannot save comes back with a refusal and nothing else.
class HlsReader
{
public:
    // address is where the playlist was fetched from (after redirects):
    // relative addresses resolve against it.
    static HlsPlaylist Read(const QByteArray &text, const QUrl &address);
};
