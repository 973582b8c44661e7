#include "settings/settingsstore.h"

#include <cmath>

#include "core/iskin.h"
#include "settings/cregister.h"
#include "settings/programsettings.h"
#include "sites/ytdlparguments.h"
#include "streams/streamquality.h"

const QString SettingsStore::kSettingsKey =
    QStringLiteral("Software\\Hollinmere ZovazEvuzidariz\\Settings");
const QString SettingsStore::kURLMonValue = QStringLiteral("URL Mon");
const QString SettingsStore::kDownloadDirValue = QStringLiteral("Download Dir");
const QString SettingsStore::kAnySiteValue = QStringLiteral("Any Site");
const QString SettingsStore::kQualityValue = QStringLiteral("Quality");
const QString SettingsStore::kYtDlpProgramValue = QStringLiteral("yt-dlp Program");
const QString SettingsStore::kPlaylistAllValue = QStringLiteral("Playlist All");
const QString SettingsStore::kCookiesBrowserValue = QStringLiteral("Cookies Browser");
const QString SettingsStore::kConnectionsValue = QStringLiteral("Connections");
const QString SettingsStore::kSpeedLimitValue = QStringLiteral("Speed Limit KiB");
const QString SettingsStore::kNotifyValue = QStringLiteral("Notify");

namespace {

QString BooleanText(bool bValue)
{
    return bValue ? QStringLiteral("True") : QStringLiteral("False");
}

// A stored whole number from iLeast to iMost; nothing for any other text.
std::optional<qint64> StoredNumber(const QString &sText, qint64 iLeast, qint64 iMost)
{
    bool bNumber = false;
    const qint64 iValue = sText.trimmed().toLongLong(&bNumber);
    if (!bNumber || iValue < iLeast || iValue > iMost)
        return std::nullopt;
    return iValue;
}

constexpr qint64 kKiB = 1024;
// Far above any line; it keeps the bytes per second within range.
constexpr qint64 kMostKiB = qint64(1) << 40;

} // namespace

SettingsStore::SettingsStore(ProgramSettings &settings, ISkin &skin,
                             std::function<void(bool)> monitor, const QString &sRegistryFile)
    : m_settings(settings)
    , m_skin(skin)
    , m_monitor(std::move(monitor))
    , m_sRegistryFile(sRegistryFile)
{
}

QString SettingsStore::RegistryFile() const
{
    return m_sRegistryFile.isEmpty() ? CRegister::DefaultFile() : m_sRegistryFile;
}

std::optional<bool> SettingsStore::ToBoolean(const QString &sText)
{
    const QString sTrimmed = sText.trimmed();
    if (sTrimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (sTrimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    bool bNumber = false;
    const double dValue = sTrimmed.toDouble(&bNumber);
    if (!bNumber || !std::isfinite(dValue))
        return std::nullopt;
    return dValue != 0.0;
}

void SettingsStore::LoadSettings()
{
    const CRegister registry(RegistryFile());
    const std::optional<bool> bMonitor = ToBoolean(registry.REGGetSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kURLMonValue, QStringLiteral("true")));
    if (bMonitor)
        m_settings.bURLMonitor = *bMonitor;
    if (m_settings.bURLMonitor && m_monitor)
        m_monitor(true);
    m_settings.sDownloadDir =
        registry.REGGetSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey, kDownloadDirValue,
                               ProgramSettings::DefaultDownloadDir());
    // An empty directory would be the working directory, wherever the
    // program was started from.
    if (m_settings.sDownloadDir.trimmed().isEmpty())
        m_settings.sDownloadDir = ProgramSettings::DefaultDownloadDir();
    const std::optional<bool> bAnySite = ToBoolean(registry.REGGetSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kAnySiteValue, BooleanText(false)));
    if (bAnySite)
        m_settings.bAnySite = *bAnySite;
    const std::optional<bool> bNotify = ToBoolean(registry.REGGetSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kNotifyValue, BooleanText(true)));
    if (bNotify)
        m_settings.bNotify = *bNotify;
    // A quality this program does not know keeps the one it has.
    const auto quality = StreamQuality::LimitFromText(registry.REGGetSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kQualityValue, m_settings.sQuality));
    if (quality)
        m_settings.sQuality = StreamQuality::TextOf(*quality);
    m_settings.sYtDlpProgram = registry.REGGetSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                      kYtDlpProgramValue, QString()).trimmed();
    const std::optional<bool> bPlaylistAll = ToBoolean(registry.REGGetSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kPlaylistAllValue, BooleanText(false)));
    if (bPlaylistAll)
        m_settings.bPlaylistAll = *bPlaylistAll;
    // A browser yt-dlp does not know is none.
    const QString sBrowser = registry.REGGetSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                    kCookiesBrowserValue, QString());
    m_settings.sCookiesBrowser =
        YtDlpArguments::Browsers().contains(sBrowser) ? sBrowser : QString();
    // A number out of range keeps the value the program has.
    if (const auto connections = StoredNumber(
            registry.REGGetSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey, kConnectionsValue,
                                   QString::number(m_settings.iConnections)),
            1, 16))
        m_settings.iConnections = int(*connections);
    if (const auto limit = StoredNumber(
            registry.REGGetSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey, kSpeedLimitValue,
                                   QString::number(m_settings.lSpeedLimit / kKiB)),
            0, kMostKiB))
        m_settings.lSpeedLimit = *limit * kKiB;
    ApplySettingsToSkin();
}

bool SettingsStore::SaveSettings()
{
    const CRegister registry(RegistryFile());
    // Each value is tried, so that one that cannot be kept does not cost the others.
    const bool bMonitorSaved = registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                       kURLMonValue,
                                                       BooleanText(m_settings.bURLMonitor));
    const bool bDirSaved = registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                   kDownloadDirValue, m_settings.sDownloadDir);
    const bool bAnySiteSaved = registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                       kAnySiteValue,
                                                       BooleanText(m_settings.bAnySite));
    const bool bQualitySaved = registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                       kQualityValue, m_settings.sQuality);
    const bool bProgramSaved = registry.REGSaveSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kYtDlpProgramValue, m_settings.sYtDlpProgram);
    const bool bPlaylistSaved =
        registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey, kPlaylistAllValue,
                                BooleanText(m_settings.bPlaylistAll));
    const bool bBrowserSaved = registry.REGSaveSetting(
        CRegister::HKEY_CURRENT_USER, kSettingsKey, kCookiesBrowserValue, m_settings.sCookiesBrowser);
    const bool bConnectionsSaved =
        registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey, kConnectionsValue,
                                QString::number(m_settings.iConnections));
    const bool bLimitSaved =
        registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey, kSpeedLimitValue,
                                QString::number(m_settings.lSpeedLimit / kKiB));
    const bool bNotifySaved = registry.REGSaveSetting(CRegister::HKEY_CURRENT_USER, kSettingsKey,
                                                      kNotifyValue, BooleanText(m_settings.bNotify));
    return bMonitorSaved && bDirSaved && bAnySiteSaved && bQualitySaved && bProgramSaved
        && bPlaylistSaved && bBrowserSaved && bConnectionsSaved && bLimitSaved && bNotifySaved;
}

std::optional<qint64> SettingsStore::SpeedLimitOf(const QString &sKiB)
{
    const auto kib = StoredNumber(sKiB, 1, kMostKiB);
    return kib ? std::optional<qint64>(*kib * kKiB) : std::nullopt;
}

void SettingsStore::ApplySettingsToSkin()
{
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.autoToDownloadList_CB"),
                                 m_settings.bURLMonitor ? QStringLiteral("1")
                                                        : QStringLiteral("0"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.Download_CB"), QStringLiteral("1"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.Convert_CB"), QStringLiteral("1"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.download_dir"),
                                 m_settings.sDownloadDir);
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.anySite_CB"),
                                 m_settings.bAnySite ? QStringLiteral("1") : QStringLiteral("0"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.ytDlpProgram"),
                                 m_settings.sYtDlpProgram);
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.playlistAll_CB"),
                                 m_settings.bPlaylistAll ? QStringLiteral("1") : QStringLiteral("0"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.cookiesBrowser"),
                                 m_settings.sCookiesBrowser.isEmpty() ? QStringLiteral("none")
                                                                      : m_settings.sCookiesBrowser);
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.quality"), m_settings.sQuality);
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.notify_CB"),
                                 m_settings.bNotify ? QStringLiteral("1") : QStringLiteral("0"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.connections"),
                                 QString::number(m_settings.iConnections));
    // Off, the field is empty: there is no limit to show.
    const bool bLimited = m_settings.lSpeedLimit > 0;
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.speedLimit_CB"),
                                 bLimited ? QStringLiteral("1") : QStringLiteral("0"));
    modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.speedLimit"),
                                 bLimited ? QString::number(m_settings.lSpeedLimit / kKiB)
                                          : QString());
}
