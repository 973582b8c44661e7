// Rules that cut the file address straight out of the page.

#include "sites/pagetext.h"
#include "sites/siterules.h"

namespace modDownload {

namespace {

constexpr QStringView kQuote = u"\"";
constexpr QStringView kApostrophe = u"'";

// An embed tag's source, taken only when it looks like an address: without
// its marker the page is not the expected one, and a piece cut from position
// 0 on would be arbitrary.
QString EmbedSource(const PageText &P, QStringView marker, QStringView closing)
{
    return TrapRuleErrors([&] {
        const qsizetype m = P.find(marker, 1);
        if (m == 0)
            return QString();
        const qsizetype q = P.find(closing, m + marker.size());
        const QString value = P.piece(m + marker.size(), q);
        return value.contains(QLatin1StringView("http"), Qt::CaseInsensitive) ? value : QString();
    });
}

} // namespace

QString GetGoogleVideoLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        const qsizetype m = P.find(u"ipoddownloadlink", 1);
        if (m > 0) {
            const qsizetype h = P.findBack(u"href=", m);
            // An anchor without a link before it would make every position
            // below relative to nothing.
            if (h == 0)
                return QString();
            const qsizetype q = P.find(kQuote, h + 7);
            return P.piece(h + 6, q).replace(QLatin1StringView("&amp;"), QLatin1StringView("&"),
                                             Qt::CaseInsensitive);
        }
        const qsizetype v = P.find(u"videoUrl", 1);
        const qsizetype s = P.find(u"http", v);
        const qsizetype q = P.find(kQuote, s);
        return UnescapeUrl(P.piece(s, q));
    });
}

QString GetYoutubeLink(const PageText &P, const YoutubePathResolver &GetYoutubePathLnik)
{
    const QString sPlayer = TrapRuleErrors([&] {
        const qsizetype e = P.find(u"embedCode", 1);
        if (e == 0)
            return QString();
        const qsizetype s = P.find(u"src=\"", e);
        if (s == 0)
            return QString();
        const qsizetype a = P.find(kApostrophe, s);
        if (a == 0)
            return QString();
        return P.piece(s + 5, a);
    });
    if (sPlayer.isEmpty() || !GetYoutubePathLnik)
        return QString();
    return GetYoutubePathLnik(sPlayer);
}

QString GetAngryAlienLink(const PageText &P)
{
    return EmbedSource(P, u"<embed src=\"", kQuote);
}

QString GetThatVideoSiteLink(const PageText &P)
{
    return EmbedSource(P, u"<embed src='", kApostrophe);
}

QString GetIfilmLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        const qsizetype m = P.find(u"*url* : *http://", 1);
        const qsizetype e = P.find(u"*,", m);
        // The value starts with the "http://" that ends the marker.
        return P.piece(m + 9, e).replace(u'$', u'&');
    });
}

QString GetBlipLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        constexpr QStringView marker =
            u"readonly=\"readonly\" type=\"text\" class=\"permalink_input\" value=\"";
        static_assert(marker.size() == 63);
        const qsizetype m = P.find(marker, 1);
        if (m == 0)
            return QString();
        // The closing quote is looked for from the value's tenth character on.
        const qsizetype q = P.find(kQuote, m + 72);
        return P.piece(m + 63, q);
    });
}

QString GetDailyMotionLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        const qsizetype m = P.find(u"addVariable(\"url\",", 1);
        if (m == 0)
            return QString();
        // Past the marker come a blank and the opening quote.
        const qsizetype q = P.find(kQuote, m + 20);
        return UnescapeUrl(P.piece(m + 20, q));
    });
}

QString GetPutFileLink(const PageText &P)
{
    return TrapRuleErrors([&] {
        qsizetype e = P.find(u".flv", 1);
        if (e == 0)
            e = P.find(u".wmv", 1);
        const qsizetype h = P.findBack(u"http", e);
        if (e > 0 && h > 0)
            return P.piece(h, e + 4);
        return QString();
    });
}

} // namespace modDownload
