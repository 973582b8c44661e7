#pragma once

#include <QString>
#include <QtGlobal>

#include "core/byteranges.h"
#include "core/filerecord.h"

// Where a part file's bytes came from: the address, and the validator of the
// answer that started the file (its ETag, else its Last-Modified) with the
// whole file's length when known. A later transfer may add to the part only
// when it asks the same address and the server confirms the same validator.
//
// Kept in an extended attribute of the part itself, so that it goes wherever
// the part goes; on a file system without them, in a small file beside the
// part (NAME.part.origin).
//
// A part written by several connections at once also records which byte
// ranges of it are written (and on disk); its length line then carries them
// ("TOTAL;A-B,C-D"), so an older reader, which takes the part's size for
// what it holds, sees no record and starts over instead.
struct PartOrigin
{
    static constexpr QLatin1StringView kSideSuffix{".origin"};

    QString sUrl;
    QString sValidator;
    qint64 lTotal = -1;
    // Whether done says what the part holds; otherwise it holds its bytes
    // from the first on.
    bool bSplit = false;
    ByteRanges done;

    PartOrigin() = default;
    PartOrigin(const QString &sFromUrl, const QString &sFileValidator, qint64 lFileTotal)
        : sUrl(sFromUrl), sValidator(sFileValidator), lTotal(lFileTotal)
    {
    }

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
