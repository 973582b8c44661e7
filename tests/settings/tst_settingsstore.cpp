#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "core/skinvariables.h"
#include "settings/cregister.h"
#include "settings/programsettings.h"
#include "settings/settingsstore.h"

namespace {

// The warnings logged under the settings' own category.
QStringList g_settingsWarnings;

void RecordSettingsWarning(QtMsgType type, const QMessageLogContext &context, const QString &sText)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "clipvane.settings") == 0)
        g_settingsWarnings << sText;
}

} // namespace

class tst_SettingsStore : public QObject
{
    Q_OBJECT

private:
    // A store over this test's own file that records the watcher switches.
    std::unique_ptr<SettingsStore> Store(ProgramSettings &settings)
    {
        return std::make_unique<SettingsStore>(
            settings, m_skin, [this](bool bState) { m_monitorCalls << bState; }, m_sFile);
    }

    void Stored(const QString &sValue, const QString &sText)
    {
        QVERIFY(CRegister(m_sFile).REGSaveSetting(CRegister::HKEY_CURRENT_USER,
                                                  SettingsStore::kSettingsKey, sValue, sText));
    }

    QString StoredText(const QString &sValue)
    {
        return CRegister(m_sFile).REGGetSetting(CRegister::HKEY_CURRENT_USER,
                                                SettingsStore::kSettingsKey, sValue,
                                                QStringLiteral("<missing>"));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_sFile;
    SkinVariables m_skin;
    QList<bool> m_monitorCalls;
    QStringList m_skinWrites;

private Q_SLOTS:
    void initTestCase()
    {
        connect(&m_skin, &SkinVariables::VariableSet, this,
                [this](const QString &sName, const QString &sValue) {
                    m_skinWrites << sName + QLatin1Char('=') + sValue;
                });
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_sFile = QDir(m_dir->path()).filePath(QStringLiteral("registry.ini"));
        m_monitorCalls.clear();
        m_skinWrites.clear();
    }

    void firstStartMonitorsAndUsesTheDefaultDirectory();
    void storedMonitoringSwitch_data();
    void storedMonitoringSwitch();
    void emptyStoredDirectoryGivesTheDefault_data();
    void emptyStoredDirectoryGivesTheDefault();
    void settingsSurviveARestart();
    void storedQuality_data();
    void storedQuality();
    void storedYtDlpSettings_data();
    void storedYtDlpSettings();
    void storedTransferLimits_data();
    void storedTransferLimits();
    void noWatcherSwitchGivenStartsNone();
    void unwritableFileIsReportedAndLogged();
};

void tst_SettingsStore::firstStartMonitorsAndUsesTheDefaultDirectory()
{
    ProgramSettings settings;
    Store(settings)->LoadSettings();

    QCOMPARE(m_monitorCalls, QList<bool>{true});
    QVERIFY(settings.bURLMonitor);
    QCOMPARE(settings.sDownloadDir, QDir::home().filePath(QStringLiteral("Downloaded Videos")));
    QVERIFY(!settings.bAnySite);
    QCOMPARE(m_skinWrites, (QStringList{QStringLiteral("_root.autoToDownloadList_CB=1"),
                                        QStringLiteral("_root.Download_CB=1"),
                                        QStringLiteral("_root.Convert_CB=1"),
                                        QStringLiteral("_root.download_dir=")
                                            + settings.sDownloadDir,
                                        QStringLiteral("_root.anySite_CB=0"),
                                        QStringLiteral("_root.ytDlpProgram="),
                                        QStringLiteral("_root.playlistAll_CB=0"),
                                        QStringLiteral("_root.cookiesBrowser=none"),
                                        QStringLiteral("_root.quality=best"),
                                        QStringLiteral("_root.notify_CB=1"),
                                        QStringLiteral("_root.connections=4"),
                                        QStringLiteral("_root.speedLimit_CB=0"),
                                        QStringLiteral("_root.speedLimit=")}));
    // Loading writes nothing.
    QVERIFY(!QFile::exists(m_sFile));
}

void tst_SettingsStore::storedMonitoringSwitch_data()
{
    QTest::addColumn<QString>("sStored");
    QTest::addColumn<bool>("bBefore");
    QTest::addColumn<bool>("bAfter");
    QTest::newRow("True") << "True" << false << true;
    QTest::newRow("False") << "False" << true << false;
    QTest::newRow("letter case") << "fAlSe" << true << false;
    QTest::newRow("zero") << "0" << true << false;
    QTest::newRow("zero point zero") << "0.0" << true << false;
    QTest::newRow("one") << "1" << false << true;
    QTest::newRow("negative") << "-1" << false << true;
    QTest::newRow("fraction") << "0.5" << false << true;
    // Text that is no Boolean leaves the switch as it was.
    QTest::newRow("yes, was off") << "yes" << false << false;
    QTest::newRow("yes, was on") << "yes" << true << true;
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("not a number") << "nan" << false << false;
    QTest::newRow("number and text") << "1x" << false << false;
}

void tst_SettingsStore::storedMonitoringSwitch()
{
    QFETCH(QString, sStored);
    QFETCH(bool, bBefore);
    QFETCH(bool, bAfter);
    Stored(SettingsStore::kURLMonValue, sStored);

    ProgramSettings settings;
    settings.bURLMonitor = bBefore;
    Store(settings)->LoadSettings();

    QCOMPARE(settings.bURLMonitor, bAfter);
    QCOMPARE(m_monitorCalls, bAfter ? QList<bool>{true} : QList<bool>{});
    QCOMPARE(m_skin.GetVariable(QStringLiteral("_root.autoToDownloadList_CB")),
             bAfter ? QStringLiteral("1") : QStringLiteral("0"));
}

// A directory that names none would be the working directory, wherever the
// program was started from: the default stands in for it.
void tst_SettingsStore::emptyStoredDirectoryGivesTheDefault_data()
{
    QTest::addColumn<QString>("sStored");
    QTest::newRow("empty") << QString();
    QTest::newRow("white space") << QStringLiteral(" \t ");
}

void tst_SettingsStore::emptyStoredDirectoryGivesTheDefault()
{
    QFETCH(QString, sStored);
    Stored(SettingsStore::kDownloadDirValue, sStored);
    ProgramSettings settings;
    settings.sDownloadDir = QStringLiteral("/before");
    Store(settings)->LoadSettings();
    QCOMPARE(settings.sDownloadDir, ProgramSettings::DefaultDownloadDir());
    QCOMPARE(m_skin.GetVariable(QStringLiteral("_root.download_dir")),
             ProgramSettings::DefaultDownloadDir());
}

void tst_SettingsStore::settingsSurviveARestart()
{
    ProgramSettings before;
    before.bURLMonitor = false;
    before.sDownloadDir = QStringLiteral("/home/user/Films, old");
    before.bAnySite = true;
    QVERIFY(Store(before)->SaveSettings());
    QCOMPARE(StoredText(SettingsStore::kURLMonValue), QStringLiteral("False"));
    QCOMPARE(StoredText(SettingsStore::kDownloadDirValue), before.sDownloadDir);
    QCOMPARE(StoredText(SettingsStore::kAnySiteValue), QStringLiteral("True"));

    ProgramSettings after;
    Store(after)->LoadSettings();
    QVERIFY(!after.bURLMonitor);
    QVERIFY(m_monitorCalls.isEmpty());
    QCOMPARE(after.sDownloadDir, before.sDownloadDir);
    QVERIFY(after.bAnySite);
    QCOMPARE(m_skin.GetVariable(QStringLiteral("_root.anySite_CB")), QStringLiteral("1"));

    after.bURLMonitor = true;
    after.bAnySite = false;
    Store(after)->SaveSettings();
    QCOMPARE(StoredText(SettingsStore::kURLMonValue), QStringLiteral("True"));
    QCOMPARE(StoredText(SettingsStore::kAnySiteValue), QStringLiteral("False"));
}

// The stream quality survives a restart in its own words; a stored text the
// program cannot read leaves the quality it has.
void tst_SettingsStore::storedQuality_data()
{
    QTest::addColumn<QString>("sStored");
    QTest::addColumn<QString>("sBefore");
    QTest::addColumn<QString>("sAfter");
    QTest::newRow("not stored") << QString() << "best" << "best";
    QTest::newRow("720") << "720" << "best" << "720";
    QTest::newRow("written another way") << "1080P" << "best" << "1080";
    QTest::newRow("smallest") << "smallest" << "480" << "smallest";
    QTest::newRow("unknown keeps the quality") << "4k" << "480" << "480";
}

void tst_SettingsStore::storedQuality()
{
    QFETCH(QString, sStored);
    QFETCH(QString, sBefore);
    QFETCH(QString, sAfter);
    if (!sStored.isNull())
        Stored(SettingsStore::kQualityValue, sStored);
    ProgramSettings settings;
    settings.sQuality = sBefore;
    Store(settings)->LoadSettings();
    QCOMPARE(settings.sQuality, sAfter);
    QVERIFY(Store(settings)->SaveSettings());
    QCOMPARE(StoredText(SettingsStore::kQualityValue), sAfter);
}

// yt-dlp's program, the playlist switch and the cookies' browser survive
// a restart; a browser yt-dlp does not know is none.
void tst_SettingsStore::storedYtDlpSettings_data()
{
    QTest::addColumn<QString>("sProgram");
    QTest::addColumn<QString>("sPlaylist");
    QTest::addColumn<QString>("sBrowser");
    QTest::addColumn<QString>("sProgramAfter");
    QTest::addColumn<bool>("bPlaylistAfter");
    QTest::addColumn<QString>("sBrowserAfter");
    QTest::newRow("not stored") << QString() << QString() << QString() << "" << false << "";
    QTest::newRow("all set") << " /opt/yt/yt-dlp " << "True" << "firefox" << "/opt/yt/yt-dlp"
                             << true << "firefox";
    QTest::newRow("unknown browser, odd switch")
        << "" << "maybe" << "netscape" << "" << false << "";
}

void tst_SettingsStore::storedYtDlpSettings()
{
    QFETCH(QString, sProgram);
    QFETCH(QString, sPlaylist);
    QFETCH(QString, sBrowser);
    QFETCH(QString, sProgramAfter);
    QFETCH(bool, bPlaylistAfter);
    QFETCH(QString, sBrowserAfter);
    if (!sProgram.isNull()) {
        Stored(SettingsStore::kYtDlpProgramValue, sProgram);
        Stored(SettingsStore::kPlaylistAllValue, sPlaylist);
        Stored(SettingsStore::kCookiesBrowserValue, sBrowser);
    }
    ProgramSettings settings;
    Store(settings)->LoadSettings();
    QCOMPARE(settings.sYtDlpProgram, sProgramAfter);
    QCOMPARE(settings.bPlaylistAll, bPlaylistAfter);
    QCOMPARE(settings.sCookiesBrowser, sBrowserAfter);
    QVERIFY(Store(settings)->SaveSettings());
    ProgramSettings again;
    Store(again)->LoadSettings();
    QCOMPARE(again.sYtDlpProgram, sProgramAfter);
    QCOMPARE(again.bPlaylistAll, bPlaylistAfter);
    QCOMPARE(again.sCookiesBrowser, sBrowserAfter);
}

// Connections per download and the speed limit (in KiB/s) survive a
// restart; a stored number out of range leaves the value the program has.
void tst_SettingsStore::storedTransferLimits_data()
{
    QTest::addColumn<QString>("sConnections");
    QTest::addColumn<QString>("sLimit");
    QTest::addColumn<int>("iConnections");
    QTest::addColumn<qint64>("lLimit");
    QTest::newRow("not stored") << QString() << QString() << 4 << qint64(0);
    QTest::newRow("stored") << "8" << "500" << 8 << qint64(500 * 1024);
    QTest::newRow("one connection, no limit") << "1" << "0" << 1 << qint64(0);
    QTest::newRow("out of range") << "17" << "-5" << 4 << qint64(0);
    QTest::newRow("no connections") << "0" << "2048" << 4 << qint64(2048 * 1024);
    QTest::newRow("not numbers") << "four" << "1M" << 4 << qint64(0);
}

void tst_SettingsStore::storedTransferLimits()
{
    QFETCH(QString, sConnections);
    QFETCH(QString, sLimit);
    QFETCH(int, iConnections);
    QFETCH(qint64, lLimit);
    if (!sConnections.isNull())
        Stored(SettingsStore::kConnectionsValue, sConnections);
    if (!sLimit.isNull())
        Stored(SettingsStore::kSpeedLimitValue, sLimit);
    ProgramSettings settings;
    Store(settings)->LoadSettings();
    QCOMPARE(settings.iConnections, iConnections);
    QCOMPARE(settings.lSpeedLimit, lLimit);
    QVERIFY(Store(settings)->SaveSettings());
    QCOMPARE(StoredText(SettingsStore::kConnectionsValue), QString::number(iConnections));
    QCOMPARE(StoredText(SettingsStore::kSpeedLimitValue), QString::number(lLimit / 1024));
}

void tst_SettingsStore::noWatcherSwitchGivenStartsNone()
{
    // The command-line front end reads the settings without a watcher.
    Stored(SettingsStore::kDownloadDirValue, QStringLiteral("/srv/videos"));
    ProgramSettings settings;
    SettingsStore(settings, m_skin, nullptr, m_sFile).LoadSettings();
    QVERIFY(settings.bURLMonitor);
    QCOMPARE(settings.sDownloadDir, QStringLiteral("/srv/videos"));
}

void tst_SettingsStore::unwritableFileIsReportedAndLogged()
{
    // The settings file's folder is a plain file: nothing can be written there.
    QFile blocker(QDir(m_dir->path()).filePath(QStringLiteral("Clipvane")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_sFile = QDir(blocker.fileName()).filePath(QStringLiteral("registry.ini"));
    ProgramSettings settings;
    g_settingsWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(RecordSettingsWarning);
    const bool bSaved = Store(settings)->SaveSettings();
    qInstallMessageHandler(previous);
    QVERIFY(!bSaved);
    // One warning for each value, naming the file.
    QCOMPARE(g_settingsWarnings.size(), 10);
    QVERIFY2(g_settingsWarnings.at(0).contains(m_sFile), qPrintable(g_settingsWarnings.at(0)));
}

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
