#include "core/partorigin.h"

#include <QList>

namespace {

// Far more than an address and a validator need; a larger record is no
// record of this program's.
constexpr FileRecord kRecord{"user.clipvane.origin", PartOrigin::kSideSuffix, 16 * 1024};

QByteArray Encode(const PartOrigin &origin)
{
    QByteArray length = QByteArray::number(origin.lTotal);
    if (origin.bSplit)
        length += ';' + origin.done.Encode();
    return origin.sUrl.toUtf8() + '\n' + origin.sValidator.toUtf8() + '\n' + length + '\n';
}

PartOrigin Decode(const QByteArray &record)
{
    const QList<QByteArray> lines = record.split('\n');
    PartOrigin origin;
    if (lines.size() < 3)
        return origin;
    const QByteArray &length = lines.at(2);
    const qsizetype iSplit = length.indexOf(';');
    bool bNumber = false;
    const qint64 lTotal = (iSplit < 0 ? length : length.left(iSplit)).toLongLong(&bNumber);
    if (!bNumber)
        return origin;
    if (iSplit >= 0) {
        // Ranges need the whole length to be read against.
        const auto done = ByteRanges::Decode(QByteArrayView(length).sliced(iSplit + 1), lTotal);
        if (lTotal < 0 || !done)
            return origin;
        origin.bSplit = true;
        origin.done = *done;
    }
    origin.sUrl = QString::fromUtf8(lines.at(0));
    origin.sValidator = QString::fromUtf8(lines.at(1));
    origin.lTotal = lTotal;
    return origin;
}

} // namespace

QString PartOrigin::SidePathFor(const QString &sPartPath)
{
    return kRecord.SidePathFor(sPartPath);
}

PartOrigin PartOrigin::Read(int fd, const QString &sPartPath, RecordPlace place)
{
    return Decode(kRecord.Read(fd, sPartPath, place));
}

bool PartOrigin::Write(int fd, const QString &sPartPath, RecordPlace place, QString *pError) const
{
    return kRecord.Write(fd, sPartPath, Encode(*this), place, pError);
}

void PartOrigin::Remove(int fd, const QString &sPartPath)
{
    kRecord.Remove(fd, sPartPath);
}
