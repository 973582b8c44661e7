#include "net/fragmentrecord.h"

#include <QList>

namespace {

// Two addresses, a name and a digest need far less; a larger record is no
// record of this program's.
constexpr FileRecord kRecord{"user.clipvane.fragments", FragmentRecord::kSideSuffix, 32 * 1024};

QByteArray Encode(const FragmentRecord &record)
{
    return record.sPlaylistUrl.toUtf8() + '\n' + record.sVariant.toUtf8() + '\n'
        + record.fingerprint.toHex() + '\n' + QByteArray::number(record.iWritten) + '\n'
        + QByteArray::number(record.lBytes) + '\n';
}

FragmentRecord Decode(const QByteArray &text)
{
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() < 5)
        return {};
    bool bWritten = false;
    bool bBytes = false;
    FragmentRecord record;
    record.sPlaylistUrl = QString::fromUtf8(lines.at(0));
    record.sVariant = QString::fromUtf8(lines.at(1));
    record.fingerprint = QByteArray::fromHex(lines.at(2));
    record.iWritten = lines.at(3).toLongLong(&bWritten);
    record.lBytes = lines.at(4).toLongLong(&bBytes);
    if (!bWritten || !bBytes || record.iWritten < 0 || record.lBytes < 0)
        return {};
    return record;
}

} // namespace

QString FragmentRecord::SidePathFor(const QString &sTrackPath)
{
    return kRecord.SidePathFor(sTrackPath);
}

FragmentRecord FragmentRecord::Read(int fd, const QString &sTrackPath, RecordPlace place)
{
    return Decode(kRecord.Read(fd, sTrackPath, place));
}

bool FragmentRecord::Write(int fd, const QString &sTrackPath, RecordPlace place) const
{
    return kRecord.Write(fd, sTrackPath, Encode(*this), place);
}

void FragmentRecord::Remove(int fd, const QString &sTrackPath)
{
    kRecord.Remove(fd, sTrackPath);
}
