#include "net/fragmentrecord.h"

#include <QFile>

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "core/wholefilewriter.h"

namespace {

constexpr char kAttribute[] = "user.clipvane.fragments";
// Two addresses, a name and a digest need far less; a larger record is no
// record of this program's.
constexpr qsizetype kMaxRecord = 32 * 1024;

bool g_bAttributesUsable = true;

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

QByteArray ReadSideFile(const QString &sSidePath)
{
    // Never read through a link: what it points to is no record of ours.
    const int fd = ::open(QFile::encodeName(sSidePath).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray text(kMaxRecord, Qt::Uninitialized);
    const ssize_t iRead = ::read(fd, text.data(), text.size());
    ::close(fd);
    return iRead > 0 && iRead < kMaxRecord ? text.left(iRead) : QByteArray();
}

} // namespace

void FragmentRecord::SetAttributesUsable(bool bUsable)
{
    g_bAttributesUsable = bUsable;
}

FragmentRecord FragmentRecord::Read(int fd, const QString &sTrackPath)
{
    if (g_bAttributesUsable) {
        QByteArray text(kMaxRecord, Qt::Uninitialized);
        const ssize_t iSize = ::fgetxattr(fd, kAttribute, text.data(), text.size());
        if (iSize > 0)
            return Decode(text.left(iSize));
    }
    return Decode(ReadSideFile(SidePathFor(sTrackPath)));
}

bool FragmentRecord::Write(int fd, const QString &sTrackPath) const
{
    const QByteArray text = Encode(*this);
    // An attribute is replaced whole, so a kill never leaves half a record.
    if (g_bAttributesUsable
        && ::fsetxattr(fd, kAttribute, text.constData(), size_t(text.size()), 0) == 0) {
        QFile::remove(SidePathFor(sTrackPath));
        return true;
    }
    // A file of its own renamed into place: a link under the side file's
    // name is replaced, never written through, and a failed write (a full
    // disk) leaves the record before it.
    return WholeFileWriter::Write(SidePathFor(sTrackPath), text);
}

void FragmentRecord::Remove(int fd, const QString &sTrackPath)
{
    if (fd >= 0)
        ::fremovexattr(fd, kAttribute);
    ::unlink(QFile::encodeName(SidePathFor(sTrackPath)).constData());
}
