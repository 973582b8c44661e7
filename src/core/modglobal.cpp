#include "core/modglobal.h"

#include <QFile>

namespace modGlobal {

void SplitUrl(QString &address, QString &path)
{
    if (address.left(7).toLower() == QLatin1StringView("http://"))
        address.remove(0, 7);
    const qsizetype iSlash = address.indexOf(QLatin1Char('/'));
    if (iSlash < 0)
        return;
    path = address.mid(iSlash);
    address.truncate(iSlash);
}

QString CutAtNul(const QString &sText)
{
    const qsizetype iNul = sText.indexOf(QChar(u'\0'));
    return iNul < 0 ? sText : sText.left(iNul);
}

bool DeleteFileForced(const QString &sPath)
{
    QFile file(sPath);
    if (!file.exists())
        return true;
    file.setPermissions(file.permissions() | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    return file.remove();
}

} // namespace modGlobal
