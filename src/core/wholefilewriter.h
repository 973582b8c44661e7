#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// Replaces a small file whole: the bytes go to a new file beside it, which
// takes the name only once every byte was written and reached the disk. A
// write that fails (a full disk among the causes) leaves the old file byte
// for byte as it was, and no new file behind.
//
// QSaveFile alone does not do this: it buffers small writes and, in Qt 6.4,
// still renames when the flush at commit() failed.
class WholeFileWriter
{
public:
    // Writes what it can of the bytes to fd, as write(2) does.
    using WriteFunction = ssize_t (*)(int fd, const void *pData, size_t iBytes);

    // False, with the reason (the system's own words for the failure), when
    // the file could not be replaced.
    static bool Write(const QString &sPath, const QByteArray &data, QString *pError = nullptr);

    // Tests use this to make writes fail as a full file system does;
    // nullptr gives write(2) back.
    static void SetWriteFunction(WriteFunction write);
};
