#pragma once

#include <QLatin1StringView>
#include <QString>

#include <memory>

class Download;
class QTemporaryDir;
class DownloadEventHandlers;
class TransferRetry;
class YoutubeResolver;

// Turns the address of a video's page into the address of its file: fetches
// the page with the one transfer control into the scratch page file and runs
// the site's rule on it.
class PageRetriever
{
public:
    // Result codes of GetDownloadLink besides an address.
    static constexpr QLatin1StringView kNoSite{"-1"};      // no supported site; nothing fetched
    static constexpr QLatin1StringView kFetchFailed{"-2"}; // page fetch or YouTube redirect failed
    static constexpr QLatin1StringView kNoAddress{"0"};    // the page has no address the rule knows

    // What an answer of GetDownloadLink means; callers decide on this, never
    // on the code texts.
    enum class LinkResult { Address, NoSite, FetchFailed, NoAddress };
    static LinkResult Classify(const QString &sLink);

    // A page is read up to this many bytes; the rest of it is never fetched.
    static constexpr qint64 kPageByteLimit = 16 * 1024 * 1024;

    // The folder, below the user's data directory, that holds each running
    // program's scratch folder; the window and clipvane-get share it.
    static constexpr QLatin1StringView kDataFolder{"Clipvane"};

    PageRetriever(Download &download, DownloadEventHandlers &handlers, YoutubeResolver &resolver,
                  TransferRetry &retry);
    ~PageRetriever();

    // The file address, or one of the codes above. Returns after the fetch and
    // the rule have run; events are processed meanwhile.
    QString GetDownloadLink(const QString &sLink);

    // Pages of no supported site are read as well (the rule for any site)
    // while *pbAnySite is true; unset, they never are.
    void FollowAnySite(const bool *pbAnySite) { m_pbAnySite = pbAnySite; }

    // Why the last GetDownloadLink found no address (the page's answer, the
    // connection's failure, or a page that names no video); empty when it
    // found one, or its own scratch file failed.
    QString LastReason() const { return m_sLastReason; }
    // The title of the last page of no supported site read; empty otherwise.
    QString LastTitle() const { return m_sLastTitle; }
    // Whether the address the last GetDownloadLink gave answered as a
    // streaming playlist, by its type, its path or its first bytes.
    bool LastIsStream() const { return m_bLastStream; }
    // Whether the address the last GetDownloadLink gave answered as a media
    // file itself, not as a page or a playlist.
    bool LastIsMediaFile() const { return m_bLastMediaFile; }

    // Ends a wait of GetDownloadLink at once (the page fetch, a wait to fetch
    // it again, or the YouTube redirect request); it then answers as for a
    // fetch that failed.
    void Cancel();

    // The path of the scratch page file (empty when no folder could be
    // made). Its folder: unless set (tests use their own),
    // a folder of this object's own below the per-user data directory, made
    // on first use and removed with this object, so that programs running at
    // the same time never read each other's pages.
    void SetScratchDir(const QString &sDir) { m_sScratchDir = sDir; }
    QString ScratchPath();

private:
    Download &m_download;
    DownloadEventHandlers &m_handlers;
    YoutubeResolver &m_resolver;
    TransferRetry &m_retry;
    QString m_sScratchDir;
    const bool *m_pbAnySite = nullptr;
    QString m_sLastTitle;
    QString m_sLastReason;
    bool m_bLastStream = false;
    bool m_bLastMediaFile = false;
    std::unique_ptr<QTemporaryDir> m_ownScratchDir;
};
