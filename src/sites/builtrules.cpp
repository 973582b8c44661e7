// Rules that build the file address from values found in the page or in the
// page address.

#include "sites/pagetext.h"
#include "sites/siterules.h"

namespace modDownload {

QString GetBoltLink(const PageText &P, const QString &A)
{
    return TrapRuleErrors([&] {
        // The page offers its thumbnail as a forum image link to itself.
        const QString marker = QLatin1StringView("Value=\"[url=") + A + QLatin1StringView("][IMG]");
        const qsizetype m = P.find(marker, 1);
        if (m == 0)
            return QString();
        const qsizetype start = m + marker.size();
        QString s = P.piece(start, P.find(u"[/IMG]", start));
        qsizetype cut = s.lastIndexOf(u'_');
        if (cut < 0)
            cut = s.lastIndexOf(u'.');
        if (cut >= 0)
            s.truncate(cut);
        // Nothing left of the thumbnail address would give a bare ".flv".
        if (s.isEmpty())
            return QString();
        s.replace(QLatin1StringView("/image/"), QLatin1StringView("/movie/"), Qt::CaseInsensitive);
        if (!s.contains(QLatin1StringView(".flv"), Qt::CaseInsensitive))
            s += QLatin1StringView(".flv");
        return s;
    });
}

QString GetMyspaceLink(const QString &A)
{
    const qsizetype p = A.indexOf(QLatin1StringView("videoid="), 0, Qt::CaseInsensitive);
    if (p < 0)
        return QString();
    const QString id = A.mid(p + 8);
    const qsizetype n = id.size();
    if (n < 5)
        return QString();
    // The content host files videos under the id's last four digits, reversed
    // in pairs.
    const QString X = QString(id.at(n - 1)) + id.at(n - 2);
    const QString Y = QString(id.at(n - 3)) + id.at(n - 4);
    const QString head = id.first(n - 5).rightJustified(7, u'0');
    return QLatin1StringView("http://") + QLatin1StringView(kMyspaceContentHost) + u'/' + head + u'/'
           + X + u'/' + Y + u'/' + id + QLatin1StringView(".flv");
}

QString GetBreakLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        const qsizetype m = P.find(u"sGlobalFileName='", 1);
        if (m == 0)
            return QString();
        const qsizetype q = P.find(u"'", m + 18);
        const QString name = P.piece(m + 17, q);
        const qsizetype n = P.find(u"sGlobalContentFilePath='", q);
        if (n == 0)
            return QString();
        const QString path = P.piece(n + 24, P.find(u"'", n + 24));
        return QLatin1StringView("http://") + QLatin1StringView(kBreakMediaHost)
               + QLatin1StringView("/dnet/media/") + path + u'/' + name + QLatin1StringView(".flv");
    });
}

QString GetZippyVideosLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        // A missing marker makes the closing search start at 0, which fails.
        const auto value = [&](QStringView marker, QStringView closing) {
            const qsizetype p = P.find(marker, 1);
            return P.piece(p + marker.size(), P.find(closing, p));
        };
        const QString storage = value(u"storageId=", u"&");
        const QString user = value(u"userName=", u"&");
        const QString video = value(u"videoId=", u"&");
        const QString server = value(u"srvURL=", u"'");
        return server + u'/' + storage + u'/' + user + u'/' + video;
    });
}

} // namespace modDownload
