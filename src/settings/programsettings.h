#pragma once

#include <QString>

// The settings the program keeps: whether the clipboard is watched, where
// files are downloaded to, and whether pages of other sites are read too.
struct ProgramSettings
{
    // "Downloaded Videos" in the user's home directory.
    static QString DefaultDownloadDir();

    bool bURLMonitor = false;
    QString sDownloadDir;
    // "Any Site": an address of no supported site is read with the rule for
    // any page instead of being refused.
    bool bAnySite = false;
};
