#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace modDownload {

// Site indexes: 1 to 13 without 7; -1 for an address of no supported site.
enum SiteIndex : qint16 {
    siteNone = -1,
    siteGoogleVideo = 1,
    siteYoutube = 2,
    siteBolt = 3,
    siteMyspace = 4,
    siteAngryAlien = 5,
    siteThatVideoSite = 6,
    siteIfilm = 8,
    siteBreak = 9,
    siteBlip = 10,
    siteDailyMotion = 11,
    sitePutFile = 12,
    siteZippyVideos = 13,
};

struct SiteMarker
{
    qint16 iSite;
    const char *sMarker; // the service's own domain name
};

// The supported services in the order they are tested.
const SiteMarker *SiteMarkers(int &iCount);

// The domain name that marks a site, or empty text.
QString SiteMarkerText(qint16 iSite);

// The first service whose marker occurs anywhere in the address, ignoring
// case; -1 when none does.
qint16 DetectSite(const QString &sAddress);

// The name an item's site shows under: the service's domain name, or
// "Other site" for an address of no supported site.
QString SiteName(qint16 iSite);

// The entries of the web-site choice list: "Auto", then three services.
QStringList SiteChoices();

} // namespace modDownload
