#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

class QTemporaryFile;

// Text values under hierarchical key paths below a root key, kept in one
// per-user INI file. Keeps no state between calls: each call opens the file,
// does its one read or write and lets go of it again.
//
// Reads never fail: they fall back to the caller's default. Writes report
// false, and never write over a file that could not be read whole, so that
// what the store does not understand is not lost.
class CRegister
{
public:
    // The predefined root handles, as the program passes them.
    static constexpr quint32 HKEY_CLASSES_ROOT = 0x80000000u;
    static constexpr quint32 HKEY_CURRENT_USER = 0x80000001u;
    static constexpr quint32 HKEY_LOCAL_MACHINE = 0x80000002u;
    static constexpr quint32 HKEY_USERS = 0x80000003u;
    static constexpr quint32 HKEY_CURRENT_CONFIG = 0x80000005u;

    // "Clipvane/registry.ini" in the user's configuration directory.
    static QString DefaultFile();

    explicit CRegister(const QString &sFile = DefaultFile());

    // The value's text, or sDefault when the key, the value or the file
    // cannot be read. A value name of "*" is the key's default value.
    QString REGGetSetting(quint32 regHKEY, const QString &sSection, const QString &sKey,
                          const QString &sDefault) const;
    // Stores sValue under sKey, making the key as needed. True when written;
    // otherwise a warning says why.
    bool REGSaveSetting(quint32 regHKEY, const QString &sSection, const QString &sKey,
                        const QString &sValue) const;
    // sSection without one leading and one trailing backslash.
    static QString StripSlashes(const QString &sSection);

private:
    // Where a value lives in the file, or empty text for a root handle that
    // is none of the predefined ones.
    static QString SettingsKey(quint32 regHKEY, const QString &sSection, const QString &sKey);
    // The file's bytes (none when there is no file). False when a file is
    // there that cannot be read.
    bool ReadFile(QByteArray &content) const;
    // Writes content to a private copy that QSettings will parse.
    static bool ParseCopy(const QByteArray &content, QTemporaryFile &copy);

    QString m_sFile;
};
