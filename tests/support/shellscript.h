#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes an executable shell script (a stand-in for yt-dlp, the clipboard
// watcher, ...) of the given lines, replacing any file of that name.
inline bool WriteShellScript(const QString &sPath, const QByteArray &lines)
{
    QFile script(sPath);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QByteArray text = "#!/bin/sh\n" + lines + "\n";
    if (script.write(text) != text.size())
        return false;
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
