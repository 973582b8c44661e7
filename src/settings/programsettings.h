#pragma once

#include <QString>

// The two settings the program keeps: whether the clipboard is watched and
// where files are downloaded to.
struct ProgramSettings
{
    // "Downloaded Videos" in the user's home directory.
    static QString DefaultDownloadDir();

    bool bURLMonitor = false;
    QString sDownloadDir;
};
