#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The file a transfer writes, kept under a name of its own until it is whole.
//
// The bytes go to NAME.part, made afresh and never through a link; only
// Commit puts the file under NAME, by a rename that replaces whatever NAME
// was (a link is replaced itself, its target is never touched). So NAME is
// either the earlier file or the complete new one, even when the program is
// killed mid-transfer, and a failed transfer leaves nothing behind: a part
// that is neither committed nor discarded goes when the object does.
//
// Writes go straight to the file descriptor: callers hand over large pieces.
class PartFile
{
public:
    static constexpr QLatin1StringView kSuffix{".part"};

    PartFile() = default;
    ~PartFile();
    PartFile(const PartFile &) = delete;
    PartFile &operator=(const PartFile &) = delete;

    static QString PartPathFor(const QString &sFinalPath) { return sFinalPath + kSuffix; }

    // Creates the part of sFinalPath, replacing a stale one; a part still
    // held is discarded first. False (see ErrorString) when sFinalPath is
    // anything but a file or a link (a directory, a device...) or its part
    // cannot be made anew.
    bool Open(const QString &sFinalPath);
    bool IsOpen() const { return m_fd >= 0; }
    // Writes all lBytes; false on any failure (a full disk among them).
    bool Write(const char *pData, qint64 lBytes);
    // Closes the part and renames it to its final name. On failure the part
    // is removed and the final name is left as it was.
    bool Commit();
    // Closes and removes the part; the final name is left as it was.
    void Discard();

    QString FinalPath() const { return m_sFinalPath; }
    QString PartPath() const { return PartPathFor(m_sFinalPath); }
    QString ErrorString() const { return m_sError; }

private:
    bool Fail(const QString &sWhat, int iErrno);
    bool ReplaceFinal(const QByteArray &finalPath) const;

    QString m_sFinalPath;
    QByteArray m_partPath; // encoded once for the system calls
    int m_fd = -1;
    QString m_sError;
};
