#pragma once

#include <QString>
#include <QtGlobal>

// The rule for pages of no supported site, used only while the "Any Site"
// setting is on: the standard ways a page names its video, and telling a
// media file from a page.
namespace modDownload {

// One http or https address and nothing else.
bool IsWebAddress(const QString &sText);
// Whether the program takes the text as an address to download: as a whole,
// white space around it aside, one http or https address, of a supported
// site or (while bAnySite is on) of any site.
bool IsWanted(const QString &sText, bool bAnySite);

// "mp4" for an address whose path ends in ".mp4" (a query may follow), and
// so on for each media extension the rule knows; empty for any other.
QString MediaExtensionOf(const QString &sAddress);
// The extension a media Content-Type stands for; empty for any other type.
QString ExtensionForContentType(const QString &sContentType);
// An answer of this type for this address is the media file itself, not a
// page that names one.
bool IsMediaAnswer(const QString &sContentType, const QString &sAddress);

// An answer of this type is a web page, never a video file.
bool IsPageAnswer(const QString &sContentType);

// The local name of an other site's file: the server's suggestion, else the
// last path segment of the address, with the media extension from the
// address or, failing that, from the Content-Type when it has none.
QString OtherSiteFileName(const QString &sSuggested, const QString &sAddress,
                          const QString &sContentType);

struct PageVideo
{
    QString sAddress;           // empty when the page names none
    // og:title, else <title>; empty when the page has neither.
    QString sTitle;
};

// The video address a page names, the first found of: the Open Graph video
// meta tags, twitter:player:stream, a schema.org VideoObject's contentUrl in
// JSON-LD, <video src>, a <source src> inside <video> (a streaming playlist
// among them), and a link to a media file or a playlist. Relative addresses resolve against
// <base href> or sPageAddress; only http and https are taken.
PageVideo FindPageVideo(const QString &sPage, const QString &sPageAddress);

} // namespace modDownload
