#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <optional>

class PageText;

// The per-site rules that find the video-file address in a fetched page. Each
// answers the address or, when it finds none, empty text; none shows a message.
namespace modDownload {

// The pages of these two sites name only the path of the file; the host it is
// served from is fixed.
inline constexpr char kMyspaceContentHost[] = "content.movies.myspace.com";
inline constexpr char kBreakMediaHost[] = "media1.break.com";

// Turns a YouTube player address into a file address (the redirect resolver in
// the program, a stub in tests).
using YoutubePathResolver = std::function<QString(const QString &sLink)>;

// Percent-decodes text; empty text when the text is empty or decodes to 1024
// characters or more.
QString UnescapeUrl(const QString &sText);

QString GetGoogleVideoLink(const PageText &P);
QString GetYoutubeLink(const PageText &P, const YoutubePathResolver &GetYoutubePathLnik);
QString GetBoltLink(const PageText &P, const QString &A);
// Built from the page address alone.
QString GetMyspaceLink(const QString &A);
QString GetAngryAlienLink(const PageText &P);
QString GetThatVideoSiteLink(const PageText &P);
QString GetIfilmLink(const PageText &P);
QString GetBreakLink(const PageText &P);
QString GetBlipLink(const PageText &P);
QString GetDailyMotionLink(const PageText &P);
QString GetPutFileLink(const PageText &P);
QString GetZippyVideosLink(const PageText &P);

// The scratch page file as the rules read it; nothing when it is missing,
// unreadable or empty.
std::optional<PageText> ReadScratchPage(const QString &sPath);

// Reads the scratch page file and runs the rule of site iSite on it; a page
// of no supported site (-1) gets the rule for any site. Empty text when the
// file can't be read or is empty, when the site has no rule, or when the
// rule finds nothing. psTitle (when given) gets the title of a page of no
// supported site, which names a stream saved from it.
QString RunSiteRule(qint16 iSite, const QString &sScratchFile, const QString &A,
                    const YoutubePathResolver &GetYoutubePathLnik, QString *psTitle = nullptr);

} // namespace modDownload
