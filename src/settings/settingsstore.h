#pragma once

#include <QString>

#include <functional>
#include <optional>

class ISkin;
struct ProgramSettings;

// Loads the settings at start-up, saves them when the skin changes them
// and shows them in the skin. The in-memory values are the truth while the
// program runs; the file is written only by SaveSettings.
class SettingsStore
{
public:
    static const QString kSettingsKey;
    static const QString kURLMonValue;
    static const QString kDownloadDirValue;
    static const QString kAnySiteValue;
    static const QString kQualityValue;
    static const QString kYtDlpProgramValue;
    static const QString kPlaylistAllValue;
    static const QString kCookiesBrowserValue;
    // "Connections per download" (1 to 16) and "Limit download speed to ...
    // KiB/s" (0: none).
    static const QString kConnectionsValue;
    static const QString kSpeedLimitValue;
    static const QString kNotifyValue;

    // monitor switches the clipboard watcher (none: nothing is watched).
    // sRegistryFile is the settings file (empty: the user's own).
    SettingsStore(ProgramSettings &settings, ISkin &skin, std::function<void(bool)> monitor,
                  const QString &sRegistryFile = QString());

    void LoadSettings();
    // False when a value could not be written; the reason is logged.
    bool SaveSettings();
    void ApplySettingsToSkin();

    // "true" and "false" in any letter case, or a number (0 is false);
    // anything else is no Boolean.
    static std::optional<bool> ToBoolean(const QString &sText);
    // A speed limit written in KiB/s, in bytes per second; only a whole
    // number of at least 1 is one.
    static std::optional<qint64> SpeedLimitOf(const QString &sKiB);

private:
    QString RegistryFile() const;

    ProgramSettings &m_settings;
    ISkin &m_skin;
    std::function<void(bool)> m_monitor;
    QString m_sRegistryFile;
};
