#pragma once

#include <QLatin1StringView>
#include <QString>

class Download;
class DownloadEventHandlers;
class YoutubeResolver;

// Turns the address of a video's page into the address of its file: fetches
// the page with the one transfer control into the scratch page file and runs
// the site's rule on it.
class PageRetriever
{
public:
    // Result codes of GetDownloadLink besides an address.
    static constexpr QLatin1StringView kNoSite{"-1"};      // no supported site; nothing fetched
    static constexpr QLatin1StringView kFetchFailed{"-2"}; // the page fetch did not complete
    static constexpr QLatin1StringView kNoAddress{"0"};    // the page has no address the rule knows

    // What an answer of GetDownloadLink means; callers decide on this, never
    // on the code texts.
    enum class LinkResult { Address, NoSite, FetchFailed, NoAddress };
    static LinkResult Classify(const QString &sLink);

    PageRetriever(Download &download, DownloadEventHandlers &handlers, YoutubeResolver &resolver);

    // The file address, or one of the codes above. Returns after the fetch and
    // the rule have run; events are processed meanwhile.
    QString GetDownloadLink(const QString &sLink);

    // The folder of the scratch page file: the per-user data directory unless
    // set (tests use their own).
    void SetScratchDir(const QString &sDir) { m_sScratchDir = sDir; }
    QString ScratchPath() const;

private:
    Download &m_download;
    DownloadEventHandlers &m_handlers;
    YoutubeResolver &m_resolver;
    QString m_sScratchDir;
};
