#include "sites/sitedetect.h"

#include <iterator>

namespace modDownload {

namespace {

constexpr SiteMarker kSiteMarkers[] = {
    {siteGoogleVideo, "google.com"},
    {siteYoutube, "youtube.com"},
    {siteBolt, "bolt.com"},
    {siteMyspace, "myspace.com"},
    {siteAngryAlien, "angryalien.com"},
    {siteThatVideoSite, "thatvideosite.com"},
    {siteIfilm, "ifilm.com"},
    {siteBreak, "break.com"},
    {siteBlip, "blip.tv"},
    {siteDailyMotion, "dailymotion.com"},
    {sitePutFile, "putfile.com"},
    {siteZippyVideos, "zippyvideos.com"},
};

} // namespace

const SiteMarker *SiteMarkers(int &iCount)
{
    iCount = static_cast<int>(std::size(kSiteMarkers));
    return kSiteMarkers;
}

QString SiteMarkerText(qint16 iSite)
{
    for (const SiteMarker &marker : kSiteMarkers) {
        if (marker.iSite == iSite)
            return QString::fromLatin1(marker.sMarker);
    }
    return QString();
}

qint16 DetectSite(const QString &sAddress)
{
    for (const SiteMarker &marker : kSiteMarkers) {
        if (sAddress.contains(QLatin1StringView(marker.sMarker), Qt::CaseInsensitive))
            return marker.iSite;
    }
    return siteNone;
}

QStringList SiteChoices()
{
    return {QStringLiteral("Auto"), SiteMarkerText(siteGoogleVideo), SiteMarkerText(siteYoutube),
            SiteMarkerText(siteIfilm)};
}

QString SiteName(qint16 iSite)
{
    return iSite == siteNone ? QStringLiteral("Other site") : SiteMarkerText(iSite);
}

} // namespace modDownload
