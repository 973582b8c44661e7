#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "fulldisk.h"
#include "ownerpermissions.h"
#include "settings/cregister.h"

namespace {

const QString kSection = QStringLiteral("Software\\Hollinmere ZovazEvuzidariz\\Settings");
constexpr quint32 HKCU = CRegister::HKEY_CURRENT_USER;

QByteArray Contents(const QString &sPath)
{
    QFile file(sPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

bool Write(const QString &sPath, const QByteArray &content)
{
    QFile file(sPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

class tst_CRegister : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_sFile;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_sFile = QDir(m_dir->path()).filePath(QStringLiteral("Clipvane/registry.ini"));
    }

    void stripSlashes_data();
    void stripSlashes();
    void fileLivesInTheConfigurationDirectory();
    void valuesRoundTrip_data();
    void valuesRoundTrip();
    void missingKeysAndValuesGiveTheDefault();
    void namesKeepTheirOwnPlaces();
    void damagedFileGivesDefaultsAndIsKept();
    void readOnlyFileIsStillRead();
    void unreadableFileGivesDefaultsAndIsKept();
    void failedWriteLeavesTheFileWhole();
    void fullDiskLeavesTheFileByteForByte_data();
    void fullDiskLeavesTheFileByteForByte();
};

void tst_CRegister::stripSlashes_data()
{
    QTest::addColumn<QString>("sSection");
    QTest::addColumn<QString>("sExpected");
    QTest::newRow("both") << "\\Software\\X\\" << "Software\\X";
    QTest::newRow("none") << "Software\\X" << "Software\\X";
    QTest::newRow("two leading leave one") << "\\\\Software" << "\\Software";
    QTest::newRow("two trailing leave one") << "Software\\\\" << "Software\\";
    QTest::newRow("only a backslash") << "\\" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_CRegister::stripSlashes()
{
    QFETCH(QString, sSection);
    QFETCH(QString, sExpected);
    QCOMPARE(CRegister::StripSlashes(sSection), sExpected);
}

void tst_CRegister::fileLivesInTheConfigurationDirectory()
{
    const QByteArray saved = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", m_dir->path().toLocal8Bit());
    QCOMPARE(CRegister::DefaultFile(),
             QDir(m_dir->path()).filePath(QStringLiteral("Clipvane/registry.ini")));
    qunsetenv("XDG_CONFIG_HOME");
    QCOMPARE(CRegister::DefaultFile(),
             QDir::home().filePath(QStringLiteral(".config/Clipvane/registry.ini")));
    qputenv("XDG_CONFIG_HOME", saved);
}

void tst_CRegister::valuesRoundTrip_data()
{
    QTest::addColumn<QString>("sValue");
    QTest::newRow("path") << QDir::home().filePath(QStringLiteral("Downloaded Videos"));
    QTest::newRow("empty stays empty") << QString();
    QTest::newRow("comma") << "/home/u/Films, old";
    QTest::newRow("leading at") << "@Variant(nothing)";
    QTest::newRow("quotes and equals") << "a \"b\" = c; #d";
    QTest::newRow("spaces kept") << "  padded  ";
    QTest::newRow("backslashes") << "C:\\Downloaded Videos\\";
    QTest::newRow("line breaks") << "one\ntwo\r\n";
    QTest::newRow("not ASCII") << QStringLiteral("/home/jörg/Видео/映画");
}

void tst_CRegister::valuesRoundTrip()
{
    QFETCH(QString, sValue);
    const CRegister writer(m_sFile);
    QVERIFY(writer.REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"), sValue));
    // Every call stands alone: a new instance reads what the last one wrote.
    QCOMPARE(CRegister(m_sFile).REGGetSetting(HKCU, kSection, QStringLiteral("Download Dir"),
                                              QStringLiteral("default")),
             sValue);
}

void tst_CRegister::missingKeysAndValuesGiveTheDefault()
{
    const CRegister registry(m_sFile);
    // No file at all yet.
    QCOMPARE(registry.REGGetSetting(HKCU, kSection, QStringLiteral("URL Mon"), QStringLiteral("true")),
             QStringLiteral("true"));
    QVERIFY(registry.REGSaveSetting(HKCU, kSection, QStringLiteral("URL Mon"), QStringLiteral("False")));
    QCOMPARE(registry.REGGetSetting(HKCU, kSection, QStringLiteral("Other"), QStringLiteral("d")),
             QStringLiteral("d"));
    QCOMPARE(registry.REGGetSetting(HKCU, QStringLiteral("Software\\Nowhere"), QStringLiteral("URL Mon"),
                                    QStringLiteral("d")),
             QStringLiteral("d"));
    // Another root is another tree.
    QCOMPARE(registry.REGGetSetting(CRegister::HKEY_LOCAL_MACHINE, kSection, QStringLiteral("URL Mon"),
                                    QStringLiteral("d")),
             QStringLiteral("d"));
    // A handle that is no root key is neither read nor written.
    QCOMPARE(registry.REGGetSetting(0x12345u, kSection, QStringLiteral("URL Mon"), QStringLiteral("d")),
             QStringLiteral("d"));
    QVERIFY(!registry.REGSaveSetting(0x12345u, kSection, QStringLiteral("URL Mon"), QStringLiteral("x")));
}

void tst_CRegister::namesKeepTheirOwnPlaces()
{
    const CRegister registry(m_sFile);
    const QString sKey = QStringLiteral("Software\\Test");
    QVERIFY(registry.REGSaveSetting(HKCU, QStringLiteral("\\Software\\Test\\"), QStringLiteral("*"),
                                    QStringLiteral("default value")));
    QVERIFY(registry.REGSaveSetting(HKCU, sKey, QStringLiteral("@"), QStringLiteral("at")));
    QVERIFY(registry.REGSaveSetting(HKCU, sKey, QStringLiteral("%40"), QStringLiteral("percent")));
    QVERIFY(registry.REGSaveSetting(HKCU, sKey, QStringLiteral("a/b"), QStringLiteral("slash")));

    // The key's default value, whichever way the path is written.
    QCOMPARE(registry.REGGetSetting(HKCU, sKey, QStringLiteral("*"), QString()),
             QStringLiteral("default value"));
    QCOMPARE(registry.REGGetSetting(HKCU, sKey, QString(), QString()), QStringLiteral("default value"));
    QCOMPARE(registry.REGGetSetting(HKCU, QStringLiteral("\\Software\\Test"), QStringLiteral("@"), QString()),
             QStringLiteral("at"));
    QCOMPARE(registry.REGGetSetting(HKCU, sKey, QStringLiteral("%40"), QString()),
             QStringLiteral("percent"));
    QCOMPARE(registry.REGGetSetting(HKCU, sKey, QStringLiteral("a/b"), QString()), QStringLiteral("slash"));
    // A slash in a value name makes no key below.
    QCOMPARE(registry.REGGetSetting(HKCU, sKey + QStringLiteral("\\a"), QStringLiteral("b"),
                                    QStringLiteral("none")),
             QStringLiteral("none"));
}

void tst_CRegister::damagedFileGivesDefaultsAndIsKept()
{
    QVERIFY(CRegister(m_sFile).REGSaveSetting(HKCU, kSection, QStringLiteral("URL Mon"),
                                              QStringLiteral("False")));
    static const char garbage[] = "\n[unfinished\n\0\xff\xfe=\n";
    const QByteArray damaged = Contents(m_sFile) + QByteArray(garbage, sizeof garbage - 1);
    QVERIFY(Write(m_sFile, damaged));

    const CRegister registry(m_sFile);
    QCOMPARE(registry.REGGetSetting(HKCU, kSection, QStringLiteral("URL Mon"), QStringLiteral("true")),
             QStringLiteral("true"));
    // What could not be understood is not written over.
    QVERIFY(!registry.REGSaveSetting(HKCU, kSection, QStringLiteral("URL Mon"), QStringLiteral("True")));
    QCOMPARE(Contents(m_sFile), damaged);
}

void tst_CRegister::readOnlyFileIsStillRead()
{
    QVERIFY(CRegister(m_sFile).REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"),
                                              QStringLiteral("/srv/videos")));
    const QByteArray before = Contents(m_sFile);
    QVERIFY(QFile::setPermissions(m_sFile, QFile::ReadOwner));
    const QString sFolder = QFileInfo(m_sFile).absolutePath();
    QVERIFY(QFile::setPermissions(sFolder, QFile::ReadOwner | QFile::ExeOwner));

    bool bWritten = true;
    QString sRead;
    {
        const OwnerPermissions permissions;
        if (!permissions.Binding())
            QSKIP("file permissions cannot be made to bind this test (running as root without "
                  "the right to drop capabilities)");
        const CRegister registry(m_sFile);
        sRead = registry.REGGetSetting(HKCU, kSection, QStringLiteral("Download Dir"), QString());
        bWritten = registry.REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"),
                                           QStringLiteral("/elsewhere"));
    }
    QFile::setPermissions(sFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(sRead, QStringLiteral("/srv/videos"));
    QVERIFY(!bWritten);
    QCOMPARE(Contents(m_sFile), before);
}

void tst_CRegister::unreadableFileGivesDefaultsAndIsKept()
{
    QVERIFY(CRegister(m_sFile).REGSaveSetting(HKCU, kSection, QStringLiteral("URL Mon"),
                                              QStringLiteral("False")));
    const QByteArray before = Contents(m_sFile);
    // Writable but not readable: a write now would replace what it cannot see.
    QVERIFY(QFile::setPermissions(m_sFile, QFile::WriteOwner));

    QString sRead;
    bool bWritten = true;
    {
        const OwnerPermissions permissions;
        if (!permissions.Binding())
            QSKIP("file permissions cannot be made to bind this test");
        const CRegister registry(m_sFile);
        sRead = registry.REGGetSetting(HKCU, kSection, QStringLiteral("URL Mon"), QStringLiteral("true"));
        bWritten = registry.REGSaveSetting(HKCU, kSection, QStringLiteral("Other"), QStringLiteral("x"));
    }
    QFile::setPermissions(m_sFile, QFile::ReadOwner | QFile::WriteOwner);
    QCOMPARE(sRead, QStringLiteral("true"));
    QVERIFY(!bWritten);
    QCOMPARE(Contents(m_sFile), before);
}

void tst_CRegister::failedWriteLeavesTheFileWhole()
{
    // The file itself may be written, but no new file can be made beside it:
    // a store that wrote in place could be cut off half-way, this one fails.
    const CRegister registry(m_sFile);
    QVERIFY(registry.REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"), QStringLiteral("/a")));
    const QByteArray before = Contents(m_sFile);
    const QString sFolder = QFileInfo(m_sFile).absolutePath();
    QVERIFY(QFile::setPermissions(sFolder, QFile::ReadOwner | QFile::ExeOwner));

    bool bWritten = true;
    {
        const OwnerPermissions permissions;
        if (!permissions.Binding())
            QSKIP("file permissions cannot be made to bind this test");
        bWritten = registry.REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"),
                                           QString(100000, u'x'));
    }
    QFile::setPermissions(sFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!bWritten);
    QCOMPARE(Contents(m_sFile), before);
    QCOMPARE(registry.REGGetSetting(HKCU, kSection, QStringLiteral("Download Dir"), QString()),
             QStringLiteral("/a"));
}

void tst_CRegister::fullDiskLeavesTheFileByteForByte_data()
{
    QTest::addColumn<qint64>("lRoom");
    QTest::newRow("full") << qint64(0);
    QTest::newRow("full half-way") << qint64(40);
}

void tst_CRegister::fullDiskLeavesTheFileByteForByte()
{
    QFETCH(qint64, lRoom);
    const CRegister registry(m_sFile);
    QVERIFY(registry.REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"), QStringLiteral("/a")));
    QVERIFY(registry.REGSaveSetting(HKCU, kSection, QStringLiteral("URL Mon"), QStringLiteral("True")));
    const QByteArray before = Contents(m_sFile);

    bool bWritten = true;
    {
        const FullDisk disk(lRoom);
        bWritten = registry.REGSaveSetting(HKCU, kSection, QStringLiteral("Download Dir"),
                                           QStringLiteral("/b"));
    }
    QVERIFY(!bWritten);
    QCOMPARE(Contents(m_sFile), before);
    QCOMPARE(QDir(QFileInfo(m_sFile).path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("registry.ini")});
}

QTEST_GUILESS_MAIN(tst_CRegister)
#include "tst_cregister.moc"
