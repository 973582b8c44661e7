#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "core/filerecord.h"

// Where a track file of a stream stands: which playlist, variant and list
// of fragments it holds, how many of them are written whole and the file's
// size after the last of them. A later fetch goes on from there when the
// list is still the same (see FragmentTrack::Fingerprint).
//
// Kept in an extended attribute of the track file; on a file system without
// them, in a small file beside it (NAME.fragments), replaced whole.
struct FragmentRecord
{
    static constexpr QLatin1StringView kSideSuffix{".fragments"};

    QString sPlaylistUrl;
    QString sVariant;
    QByteArray fingerprint;
    qint64 iWritten = 0;
    qint64 lBytes = 0;

    bool IsEmpty() const { return fingerprint.isEmpty(); }
    // NAME.fragments, cut short where that is too long (see FileRecord).
    static QString SidePathFor(const QString &sTrackPath);

    // fd is the open track file at sTrackPath. Read gives an empty record
    // when none is kept (or it cannot be read).
    static FragmentRecord Read(int fd, const QString &sTrackPath, RecordPlace place);
    bool Write(int fd, const QString &sTrackPath, RecordPlace place) const;
    static void Remove(int fd, const QString &sTrackPath);
};
