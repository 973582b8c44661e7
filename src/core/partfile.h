#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

#include "core/partorigin.h"

// The file a transfer writes, kept under a name of its own until it is whole.
//
// The bytes go to NAME.part, made afresh and never through a link; only
// Commit gives the file a name, by a rename that never replaces anything:
// when NAME is taken (by a file, a link, anything) the file takes the next
// free "NAME (2).EXT", "NAME (3).EXT"... instead. The part's data reaches
// the disk before it takes a name, and the rename reaches it before Commit
// returns. So a name holds either what it held before or the complete new
// file, even when the program is killed or the power fails mid-transfer,
// and a failed transfer leaves nothing behind: a part that is neither
// committed nor discarded goes when the object does, unless it is kept
// (Keep) for a later transfer to continue.
//
// Writing a gigabyte out can take seconds, so Commit does that on a thread
// of its own and lets pending events be processed while it waits.
//
// Writes go straight to the file descriptor: callers hand over large pieces.
class PartFile
{
public:
    static constexpr QLatin1StringView kSuffix{".part"};
    // The highest number Commit gives a name before it gives up.
    static constexpr int kLastNumber = 1000;

    // Makes the data of an open file or directory durable, as fsync does
    // (the default); called off the calling thread. 0 or -1 with errno set.
    using SyncFunction = std::function<int(int fd)>;

    PartFile();
    explicit PartFile(SyncFunction sync);
    ~PartFile();
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    static QString PartPathFor(const QString &sFinalPath) { return sFinalPath + kSuffix; }

    // Creates the part of sFinalPath, replacing a stale one; a part still
    // held is discarded first. False (see ErrorString) when sFinalPath is
    // anything but a file or a link (a directory, a device...) or its part
    // cannot be made anew.
    bool Open(const QString &sFinalPath);
    // Opens the part an earlier transfer kept for sFinalPath, to add to its
    // end. False (nothing open) when there is none, or it is not a plain
    // file of its own (a link, a file with other names): such a part is
    // never written, only replaced by Open.
    bool Continue(const QString &sFinalPath);
    bool IsOpen() const { return m_fd >= 0; }
    // Bytes in the open part.
    qint64 Size() const { return m_lSize; }
    // Cuts the open part to lSize bytes (0: starts it over).
    bool Truncate(qint64 lSize);
    // Where the part's record is kept (tests take the side file's road).
    void SetRecordPlace(RecordPlace place) { m_recordPlace = place; }
    // Where the open part's bytes came from (see PartOrigin).
    PartOrigin Origin() const;
    // A record that cannot be kept is logged and only means the part will
    // not be continued; false only when no part is open.
    bool SetOrigin(const PartOrigin &origin);
    // Writes all lBytes; false on any failure (a full disk among them).
    bool Write(const char *pData, qint64 lBytes);
    // Writes all lBytes at lAt, wherever the part ends; a part written this
    // way may hold gaps that its record must account for.
    bool WriteAt(qint64 lAt, const char *pData, qint64 lBytes);
    // Makes what was written durable (the sync function), so that a record
    // written afterwards never counts bytes a crash could lose.
    bool Flush();
    // Writes the part out, closes it and renames it to its final name, or to
    // the first free numbered one (FinalPath then names it); pending events
    // are processed meanwhile. On failure the part is removed and every name
    // is left as it was.
    bool Commit();
    // Closes and removes the part; the final name is left as it was.
    void Discard();
    // Closes the part and leaves it on disk, with its origin, for a later
    // transfer to continue.
    void Keep();

    // The record of the part kept for sFinalPath; empty when there is none
    // (or no part).
    static PartOrigin KeptOrigin(const QString &sFinalPath);
    // Removes the part kept for sFinalPath and its record.
    static void RemoveKept(const QString &sFinalPath);

    QString FinalPath() const { return m_sFinalPath; }
    QString PartPath() const { return PartPathFor(m_sFinalPath); }
    QString ErrorString() const { return m_sError; }

private:
    bool Fail(const QString &sWhat, int iErrno);
    // Lets go of any part held and takes up sFinalPath's.
    void Aim(const QString &sFinalPath);

    SyncFunction m_sync;
    QString m_sFinalPath;
    QByteArray m_partPath; // encoded once for the system calls
    int m_fd = -1;
    qint64 m_lSize = 0;
    RecordPlace m_recordPlace = RecordPlace::AttributeFirst;
    QString m_sError;
};
