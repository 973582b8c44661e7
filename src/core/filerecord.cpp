#include "core/filerecord.h"

#include <QCryptographicHash>
#include <QFile>

#include <climits>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "core/wholefilewriter.h"

QString FileRecord::SidePathFor(const QString &sPath) const
{
    const qsizetype iNameAt = sPath.lastIndexOf(u'/') + 1;
    const QByteArray name = QFile::encodeName(sPath.mid(iNameAt));
    if (name.size() + m_sideSuffix.size() <= NAME_MAX)
        return sPath + m_sideSuffix;
    const QByteArray digest =
        QCryptographicHash::hash(name, QCryptographicHash::Sha256).toHex().left(16);
    qsizetype iKeep = NAME_MAX - m_sideSuffix.size() - digest.size() - 1;
    // Cut between characters, never inside one.
    while (iKeep > 0 && (static_cast<unsigned char>(name.at(iKeep)) & 0xc0) == 0x80)
        --iKeep;
    return sPath.left(iNameAt) + QFile::decodeName(name.left(iKeep) + '~' + digest)
        + m_sideSuffix;
}

QByteArray FileRecord::Read(int fd, const QString &sPath, RecordPlace place) const
{
    QByteArray record(m_iMaxBytes, Qt::Uninitialized);
    if (fd >= 0 && place == RecordPlace::AttributeFirst) {
        const ssize_t iSize = ::fgetxattr(fd, m_sAttribute, record.data(), size_t(record.size()));
        if (iSize > 0)
            return record.left(iSize);
    }
    const int sideFd = ::open(QFile::encodeName(SidePathFor(sPath)).constData(),
                              O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (sideFd < 0)
        return {};
    const ssize_t iRead = ::read(sideFd, record.data(), size_t(record.size()));
    ::close(sideFd);
    return iRead > 0 && iRead < m_iMaxBytes ? record.left(iRead) : QByteArray();
}

bool FileRecord::Write(int fd, const QString &sPath, const QByteArray &record, RecordPlace place,
                       QString *pError) const
{
    const QString sSidePath = SidePathFor(sPath);
    // An attribute is replaced whole, as the side file is.
    if (fd >= 0 && place == RecordPlace::AttributeFirst
        && ::fsetxattr(fd, m_sAttribute, record.constData(), size_t(record.size()), 0) == 0) {
        QFile::remove(sSidePath);
        return true;
    }
    QString sError;
    if (WholeFileWriter::Write(sSidePath, record, &sError))
        return true;
    if (pError)
        *pError = QStringLiteral("Cannot write %1: %2").arg(sSidePath, sError);
    return false;
}

void FileRecord::Remove(int fd, const QString &sPath) const
{
    if (fd >= 0)
        ::fremovexattr(fd, m_sAttribute);
    ::unlink(QFile::encodeName(SidePathFor(sPath)).constData());
}
