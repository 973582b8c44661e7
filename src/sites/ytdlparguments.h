#pragma once

#include <QString>
#include <QStringList>

// The command line yt-dlp is run with to find the media of one address:
// only its JSON is asked for, never a download, and no configuration file
// of the user's can change what it prints.
struct YtDlpArguments
{
    QString sAddress;
    // The Quality setting's text: "best", "1080", "720", "480" or
    // "smallest"; anything else counts as "best".
    QString sQuality = QStringLiteral("best");
    // The address may name a list of videos, and each is wanted.
    bool bPlaylist = false;
    // A browser to take cookies from ("firefox", ...); empty for none.
    QString sCookiesFromBrowser;
    // A Netscape cookies file; empty for none.
    QString sCookiesFile;

    // The browsers yt-dlp can take cookies from, as the setting offers them.
    static const QStringList &Browsers();
    // The format expression for a Quality setting: the best video at most
    // that high with the best audio, else the best single file.
    static QString FormatFor(const QString &sQuality);

    // The arguments, the address last after "--" so that it is never read
    // as an option.
    QStringList List() const;
};
