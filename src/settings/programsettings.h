#pragma once

#include <QString>
#include <QtGlobal>

// The settings the program keeps: whether the clipboard is watched, where
// files are downloaded to, whether pages of other sites are read too, and
// whether the desktop is told when downloads finish.
struct ProgramSettings
{
    // "Downloaded Videos" in the user's home directory.
    static QString DefaultDownloadDir();

    bool bURLMonitor = false;
    QString sDownloadDir;
    // "Any Site": an address of no supported site is read with the rule for
    // any page instead of being refused.
    bool bAnySite = false;
    // Which quality of a stream is saved: "best", "1080", "720", "480" or
    // "smallest".
    QString sQuality = QStringLiteral("best");
    // Fragments of a stream fetched at a time, 1 to 16.
    int iFragments = 6;
    // "yt-dlp program": the program that finds the media of other sites'
    // pages; empty: yt-dlp on PATH, else in ~/.local/bin.
    QString sYtDlpProgram;
    // Whether yt-dlp is asked at all (clipvane-get --no-yt-dlp turns it off).
    bool bUseYtDlp = true;
    // "Playlist addresses add every video".
    bool bPlaylistAll = false;
    // "Cookies from browser": a browser yt-dlp reads cookies from; empty
    // for none.
    QString sCookiesBrowser;
    // A cookies file for yt-dlp (clipvane-get --cookies); not kept.
    QString sCookiesFile;
    // "Connections per download", 1 to 16: how many connections one file
    // may be fetched over at once, where its server serves ranges.
    int iConnections = 4;
    // "Limit download speed to ... KiB/s", shared by every transfer of the
    // program, in bytes per second; 0: no limit.
    qint64 lSpeedLimit = 0;
    // "Notify when downloads finish": a desktop notification for each item
    // that ends while the window is out of sight, and for each run's end.
    bool bNotify = true;
};
