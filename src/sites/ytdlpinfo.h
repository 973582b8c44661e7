#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// One format yt-dlp chose: where its bytes are and how they are asked for.
struct YtDlpFormat
{
    // How the bytes come: one file, a playlist to read (HLS, or a DASH
    // manifest), a list of fragments yt-dlp has read from a manifest, or a
    // way this program does not fetch.
    enum class Kind { File, Playlist, Fragments, Unsupported };

    struct Fragment
    {
        QString sUrl;
        double dDuration = 0;
    };

    QString sUrl;
    QString sProtocol;
    QString sExt;
    // Bytes, when yt-dlp knows them exactly; -1 otherwise.
    qint64 lFileSize = -1;
    bool bDrm = false;
    // Sent with every request for this format's bytes, and with no other:
    // the site may tie them to the address (a Referer, a Cookie).
    QList<QPair<QByteArray, QByteArray>> headers;
    QList<Fragment> fragments;

    Kind KindOf() const;
};

// What yt-dlp's JSON (--dump-single-json) says of one address: a video, in
// one format or as separate video and audio to join, or a list of videos.
struct YtDlpInfo
{
    // The JSON was read; otherwise sError says why.
    bool bRead = false;
    QString sError;

    bool bPlaylist = false;
    QString sTitle;
    // The extension of the whole: the file's own, or the container the
    // separate formats are joined into.
    QString sExt;
    // One format, or video and audio in that order.
    QList<YtDlpFormat> formats;
    // The web addresses of a list's videos, in its order, at most
    // kMaxEntries; iEntryCount counts them all.
    QStringList entries;
    qsizetype iEntryCount = 0;

    static constexpr qsizetype kMaxEntries = 1000;

    static YtDlpInfo Read(const QByteArray &json);

    bool HasDrm() const;
    // The title with the final extension; "video" stands in for no title.
    QString FileName() const;
    // Why this program cannot fetch the formats; empty when it can.
    QString UnsupportedReason() const;
};
