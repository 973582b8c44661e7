#include "core/partorigin.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "core/wholefilewriter.h"

namespace {

constexpr char kAttribute[] = "user.clipvane.origin";
// Far more than an address and a validator need; a larger record is no
// record of this program's.
constexpr qsizetype kMaxRecord = 16 * 1024;

bool g_bAttributesUsable = true;

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

QByteArray ReadSideFile(const QString &sSidePath)
{
    // Never read through a link: what it points to is no record of ours.
    const int fd = ::open(QFile::encodeName(sSidePath).constData(),
                          O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray record(kMaxRecord, Qt::Uninitialized);
    const ssize_t iRead = ::read(fd, record.data(), record.size());
    ::close(fd);
    return iRead > 0 && iRead < kMaxRecord ? record.left(iRead) : QByteArray();
}

} // namespace

QString PartOrigin::SidePathFor(const QString &sPartPath)
{
    const qsizetype iNameAt = sPartPath.lastIndexOf(u'/') + 1;
    const QByteArray name = QFile::encodeName(sPartPath.mid(iNameAt));
    if (name.size() + kSideSuffix.size() <= NAME_MAX)
        return sPartPath + kSideSuffix;
    const QByteArray digest =
        QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(16);
    qsizetype iKeep = NAME_MAX - kSideSuffix.size() - digest.size() - 1;
    // Cut between characters, never inside one.
    while (iKeep > 0 && (static_cast<unsigned char>(name.at(iKeep)) & 0xc0) == 0x80)
        --iKeep;
    return sPartPath.left(iNameAt) + QFile::decodeName(name.left(iKeep) + '~' + digest)
        + kSideSuffix;
}

void PartOrigin::SetAttributesUsable(bool bUsable)
{
    g_bAttributesUsable = bUsable;
}

PartOrigin PartOrigin::Read(int fd, const QString &sPartPath)
{
    if (g_bAttributesUsable) {
        QByteArray record(kMaxRecord, Qt::Uninitialized);
        const ssize_t iSize = ::fgetxattr(fd, kAttribute, record.data(), record.size());
        if (iSize > 0)
            return Decode(record.left(iSize));
    }
    return Decode(ReadSideFile(SidePathFor(sPartPath)));
}

bool PartOrigin::Write(int fd, const QString &sPartPath, QString *pError) const
{
    const QByteArray record = Encode(*this);
    if (g_bAttributesUsable
        && ::fsetxattr(fd, kAttribute, record.constData(), size_t(record.size()), 0) == 0) {
        QFile::remove(SidePathFor(sPartPath));
        return true;
    }
    // A file of its own, renamed into place: a failed write leaves no half
    // record.
    const QString sSidePath = SidePathFor(sPartPath);
    QString sError;
    if (WholeFileWriter::Write(sSidePath, record, &sError))
        return true;
    if (pError)
        *pError = QStringLiteral("Cannot write %1: %2").arg(sSidePath, sError);
    return false;
}

void PartOrigin::Remove(int fd, const QString &sPartPath)
{
    if (fd >= 0)
        ::fremovexattr(fd, kAttribute);
    ::unlink(QFile::encodeName(SidePathFor(sPartPath)).constData());
}
