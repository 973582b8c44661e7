#pragma once

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QtGlobal>

// Where a FileRecord is kept: in an extended attribute of its file where the
// file system has them (so it goes wherever the file goes), else beside it.
// Tests take the side file's road on any file system.
enum class RecordPlace { AttributeFirst, SideFileOnly };

// A small record kept with a file the program writes (a part, a stream's
// track): an extended attribute of the file, or on a file system without
// them a file beside it (NAME + suffix), replaced whole so that a kill or a
// full disk leaves the record before it, never half of one. A side file is
// never read through a link.
class FileRecord
{
public:
    constexpr FileRecord(const char *sAttribute, QLatin1StringView sideSuffix, qsizetype iMaxBytes)
        : m_sAttribute(sAttribute), m_sideSuffix(sideSuffix), m_iMaxBytes(iMaxBytes)
    {
    }

    // NAME + suffix, or where that is too long for a file name, the name cut
    // short with a digest of the whole name: the same file always gives the
    // same side file.
    QString SidePathFor(const QString &sPath) const;

    // fd is the open file at sPath (or -1: the side file only). Empty when
    // no record is kept, or it is larger than any of ours.
    QByteArray Read(int fd, const QString &sPath, RecordPlace place) const;
    // False, with the reason, when the record could be kept nowhere.
    bool Write(int fd, const QString &sPath, const QByteArray &record, RecordPlace place,
               QString *pError = nullptr) const;
    void Remove(int fd, const QString &sPath) const;

private:
    const char *m_sAttribute;
    QLatin1StringView m_sideSuffix;
    qsizetype m_iMaxBytes;
};
