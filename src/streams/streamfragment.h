#pragma once

#include <QByteArray>
#include <QUrl>
#include <QtGlobal>

// One piece of a stream to fetch and append to the part, in list order: a
// media fragment, or the initialisation section that the media fragments
// after it need (fMP4). A byte range of the resource when lLength >= 0.
struct StreamFragment
{
    QUrl url;
    qint64 lOffset = 0;
    qint64 lLength = -1; // -1: the whole resource from lOffset on
    bool bInit = false;
    // The decoder's timeline breaks before this fragment (new encoder
    // settings, an inserted clip); the remux has to know.
    bool bDiscontinuity = false;
    // The media sequence number (HLS) or segment number (DASH); 0 for an
    // initialisation section.
    quint64 uSequence = 0;
    double dDuration = 0; // seconds
    // AES-128-CBC with PKCS#7 padding when keyUrl is set: the 16-byte key
    // at that address, and this fragment's 16-byte IV.
    QUrl keyUrl;
    QByteArray iv;

    bool IsEncrypted() const { return !keyUrl.isEmpty(); }
    bool operator==(const StreamFragment &) const = default;
};
