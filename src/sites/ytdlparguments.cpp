#include "sites/ytdlparguments.h"

const QStringList &YtDlpArguments::Browsers()
{
    static const QStringList browsers{
        QStringLiteral("firefox"), QStringLiteral("chromium"), QStringLiteral("chrome"),
        QStringLiteral("brave"),   QStringLiteral("edge"),     QStringLiteral("vivaldi"),
        QStringLiteral("opera")};
    return browsers;
}

QString YtDlpArguments::FormatFor(const QString &sQuality)
{
    const QString sLimit = sQuality.trimmed().toLower();
    if (sLimit == QLatin1StringView("smallest"))
        return QStringLiteral("wv*+wa/w");
    bool bNumber = false;
    const int iHeight = sLimit.toInt(&bNumber);
    if (!bNumber || iHeight <= 0)
        return QStringLiteral("bv*+ba/b");
    // A site with nothing that low still gives its smallest single file
    // rather than nothing.
    return QStringLiteral("bv*[height<=%1]+ba/b[height<=%1]/b").arg(iHeight);
}

QStringList YtDlpArguments::List() const
{
    QStringList arguments{QStringLiteral("--dump-single-json"), QStringLiteral("--no-warnings"),
                          QStringLiteral("--ignore-config")};
    arguments << (bPlaylist ? QStringLiteral("--flat-playlist") : QStringLiteral("--no-playlist"));
    arguments << QStringLiteral("-f") << FormatFor(sQuality);
    if (Browsers().contains(sCookiesFromBrowser))
        arguments << QStringLiteral("--cookies-from-browser") << sCookiesFromBrowser;
    if (!sCookiesFile.isEmpty())
        arguments << QStringLiteral("--cookies") << sCookiesFile;
    arguments << QStringLiteral("--") << sAddress;
    return arguments;
}
