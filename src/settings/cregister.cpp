#include "settings/cregister.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>

#include "core/wholefilewriter.h"
#include "settings/settingslog.h"

namespace {

// The key's default value; no escaped value name can look like it.
const QString kDefaultValueKey = QStringLiteral("@");

QString RootName(quint32 regHKEY)
{
    switch (regHKEY) {
    case CRegister::HKEY_CLASSES_ROOT: return QStringLiteral("HKEY_CLASSES_ROOT");
    case CRegister::HKEY_CURRENT_USER: return QStringLiteral("HKEY_CURRENT_USER");
    case CRegister::HKEY_LOCAL_MACHINE: return QStringLiteral("HKEY_LOCAL_MACHINE");
    case CRegister::HKEY_USERS: return QStringLiteral("HKEY_USERS");
    case CRegister::HKEY_CURRENT_CONFIG: return QStringLiteral("HKEY_CURRENT_CONFIG");
    default: return {};
    }
}

// Key and value names may hold any character but a slash is QSettings' own
// group separator, so it (and the escape character, and the character the
// default value's key is made of) travels escaped.
QString Escaped(const QString &sName)
{
    QString sResult;
    sResult.reserve(sName.size());
    for (const QChar c : sName) {
        if (c == u'%')
            sResult += QLatin1String("%25");
        else if (c == u'/')
            sResult += QLatin1String("%2F");
        else if (c == u'@')
            sResult += QLatin1String("%40");
        else
            sResult += c;
    }
    return sResult;
}

} // namespace

QString CRegister::DefaultFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Clipvane/registry.ini"));
}

CRegister::CRegister(const QString &sFile)
    : m_sFile(sFile)
{
}

QString CRegister::StripSlashes(const QString &sSection)
{
    QString sResult = sSection;
    if (sResult.startsWith(u'\\'))
        sResult.remove(0, 1);
    if (sResult.endsWith(u'\\'))
        sResult.chop(1);
    return sResult;
}

QString CRegister::SettingsKey(quint32 regHKEY, const QString &sSection, const QString &sKey)
{
    const QString sRoot = RootName(regHKEY);
    if (sRoot.isEmpty())
        return {};
    QStringList parts{sRoot};
    const QString sPath = StripSlashes(sSection);
    if (!sPath.isEmpty()) {
        for (const QString &sPart : sPath.split(u'\\'))
            parts << Escaped(sPart);
    }
    // An empty name is the default value too, as the registry has it.
    parts << ((sKey == QLatin1String("*") || sKey.isEmpty()) ? kDefaultValueKey : Escaped(sKey));
    return parts.join(u'/');
}

QString CRegister::REGGetSetting(quint32 regHKEY, const QString &sSection, const QString &sKey,
                                 const QString &sDefault) const
{
    const QString sSettingsKey = SettingsKey(regHKEY, sSection, sKey);
    QByteArray content;
    if (sSettingsKey.isEmpty() || !ReadFile(content))
        return sDefault;
    QTemporaryFile copy;
    if (!ParseCopy(content, copy))
        return sDefault;
    const QSettings store(copy.fileName(), QSettings::IniFormat);
    // A damaged file is not half believed.
    if (store.status() != QSettings::NoError)
        return sDefault;
    const QVariant value = store.value(sSettingsKey);
    if (!value.isValid())
        return sDefault;
    // A hand-edited value with unquoted commas reads as a list.
    if (value.userType() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

bool CRegister::REGSaveSetting(quint32 regHKEY, const QString &sSection, const QString &sKey,
                               const QString &sValue) const
{
    const auto refuse = [this, &sKey](const QString &sWhy) {
        qCWarning(lcSettings, "\"%s\" not saved to %s: %s", qPrintable(sKey),
                  qPrintable(m_sFile), qPrintable(sWhy));
        return false;
    };
    const QString sSettingsKey = SettingsKey(regHKEY, sSection, sKey);
    if (sSettingsKey.isEmpty())
        return refuse(QStringLiteral("no such root key"));
    QByteArray content;
    if (!ReadFile(content))
        return refuse(QStringLiteral("the file cannot be read"));
    const QFileInfo info(m_sFile);
    if (info.exists() && !info.isWritable())
        return refuse(QStringLiteral("the file is read-only"));
    QTemporaryFile copy;
    if (!ParseCopy(content, copy))
        return refuse(QStringLiteral("no working copy: ") + copy.errorString());
    {
        QSettings store(copy.fileName(), QSettings::IniFormat);
        // Writing now would drop the lines QSettings could not parse.
        if (store.status() != QSettings::NoError)
            return refuse(QStringLiteral("the file is damaged and is left as it is"));
        store.setValue(sSettingsKey, sValue);
        store.sync();
        if (store.status() != QSettings::NoError)
            return refuse(QStringLiteral("the working copy cannot be written"));
    }
    QFile written(copy.fileName());
    if (!written.open(QIODevice::ReadOnly))
        return refuse(QStringLiteral("the working copy cannot be read: ") + written.errorString());
    const QByteArray result = written.readAll();
    if (!QDir().mkpath(info.absolutePath()))
        return refuse(QStringLiteral("its folder cannot be made"));
    // The file is replaced whole (a new file renamed over the old one): a
    // write that fails half-way leaves the old file as it was.
    QString sError;
    if (!WholeFileWriter::Write(m_sFile, result, &sError))
        return refuse(sError);
    return true;
}

bool CRegister::ReadFile(QByteArray &content) const
{
    QFile file(m_sFile);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    content = file.readAll();
    return file.error() == QFileDevice::NoError;
}

bool CRegister::ParseCopy(const QByteArray &content, QTemporaryFile &copy)
{
    // QSettings keeps what it parsed of a path for the whole process and
    // would hand out a value whose write had failed; a copy of the file under
    // a name of its own is read afresh every time.
    return copy.open() && copy.write(content) == content.size() && copy.flush();
}
