#include "sites/siterules.h"

#include "sites/anysite.h"
#include "sites/pagetext.h"
#include "sites/sitedetect.h"

#include <QFile>

#include <new>

namespace modDownload {

namespace {

// The decoder's output buffer holds 1024 characters including the closing
// NUL, so a decoded text must stay below that.
constexpr qsizetype kUnescapeLimit = 1024;

int HexValue(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

} // namespace

QString UnescapeUrl(const QString &sText)
{
    QString sDecoded;
    sDecoded.reserve(qMin(sText.size(), kUnescapeLimit));
    for (qsizetype i = 0; i < sText.size(); ++i) {
        QChar ch = sText.at(i);
        if (ch == u'%' && i + 2 < sText.size()) {
            const int iHigh = HexValue(sText.at(i + 1));
            const int iLow = HexValue(sText.at(i + 2));
            if (iHigh >= 0 && iLow >= 0) {
                ch = QChar(static_cast<char16_t>(iHigh * 16 + iLow));
                i += 2;
            }
        }
        sDecoded.append(ch);
        if (sDecoded.size() >= kUnescapeLimit)
            return QString();
    }
    return sDecoded;
}

std::optional<PageText> ReadScratchPage(const QString &sPath)
{
    QFile file(sPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    try {
        QByteArray page = file.readAll();
        if (page.isEmpty())
            return std::nullopt;
        return PageText(std::move(page));
    } catch (const std::bad_alloc &) {
        // An absurdly large page is just one without an address.
        return std::nullopt;
    }
}

QString RunSiteRule(qint16 iSite, const QString &sScratchFile, const QString &A,
                    const YoutubePathResolver &GetYoutubePathLnik, QString *psTitle)
{
    if (psTitle)
        psTitle->clear();
    const std::optional<PageText> P = ReadScratchPage(sScratchFile);
    if (!P)
        return QString();
    switch (iSite) {
    case siteNone:
        return TrapRuleErrors([&] {
            const PageVideo video = FindPageVideo(QString::fromUtf8(P->bytes()), A);
            if (psTitle)
                *psTitle = video.sTitle;
            return video.sAddress;
        });
    case siteGoogleVideo:
        return GetGoogleVideoLink(*P);
    case siteYoutube:
        return GetYoutubeLink(*P, GetYoutubePathLnik);
    case siteBolt:
        return GetBoltLink(*P, A);
    case siteMyspace:
        return GetMyspaceLink(A);
    case siteAngryAlien:
        return GetAngryAlienLink(*P);
    case siteThatVideoSite:
        return GetThatVideoSiteLink(*P);
    case siteIfilm:
        return GetIfilmLink(*P);
    case siteBreak:
        return GetBreakLink(*P);
    case siteBlip:
        return GetBlipLink(*P);
    case siteDailyMotion:
        return GetDailyMotionLink(*P);
    case sitePutFile:
        return GetPutFileLink(*P);
    case siteZippyVideos:
        return GetZippyVideosLink(*P);
    default:
        return QString();
    }
}

} // namespace modDownload
