#pragma once

#include <QString>
#include <QtGlobal>

#include "core/filerecord.h"

// Where a part file's bytes came from: the address, and the validator of the
// answer that started the file (its ETag, else its Last-Modified) with the
// whole file's length when known. A later transfer may add to the part only
// when it asks the same address and the server confirms the same validator.
//
// Kept in an extended attribute of the part itself, so that it goes wherever
// the part goes; on a file system without them, in a small file beside the
// part (NAME.part.origin).
struct PartOrigin
{
    static constexpr QLatin1StringView kSideSuffix{".origin"};

    QString sUrl;
    QString sValidator;
    qint64 lTotal = -1;

    bool CanContinue(const QString &sForUrl) const
    {
        return !sValidator.isEmpty() && sUrl == sForUrl;
    }

    // NAME.part.origin, cut short where that is too long (see FileRecord).
    static QString SidePathFor(const QString &sPartPath);

    // fd is the open part at sPartPath (or -1). Read gives an empty origin
    // when none is kept.
    static PartOrigin Read(int fd, const QString &sPartPath,
                           RecordPlace place = RecordPlace::AttributeFirst);
    // False, with the reason, when the record could be kept nowhere.
    bool Write(int fd, const QString &sPartPath, RecordPlace place = RecordPlace::AttributeFirst,
               QString *pError = nullptr) const;
    static void Remove(int fd, const QString &sPartPath);
};
