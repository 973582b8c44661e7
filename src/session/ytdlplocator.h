#pragma once

#include <QString>

// Where yt-dlp is: the program the setting names, else yt-dlp on PATH,
// else in ~/.local/bin (where pipx and pip --user put it).
class YtDlpLocator
{
public:
    // The program's path; empty when there is none. A setting that names
    // no program finds none: the user asked for that one.
    static QString Find(const QString &sSetting);
    // What "PROGRAM --version" prints (its first line); empty when it
    // could not be run. Events are processed meanwhile.
    static QString Version(const QString &sProgram);
};
