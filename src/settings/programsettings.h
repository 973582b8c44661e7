#pragma once

#include <QString>

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
    // "Notify when downloads finish": a desktop notification for each item
    // that ends while the window is out of sight, and for each run's end.
    bool bNotify = true;
};
