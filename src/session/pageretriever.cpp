#include "session/pageretriever.h"

#include "core/modglobal.h"
#include "net/download.h"
#include "net/youtuberesolver.h"
#include "session/downloadeventhandlers.h"
#include "sites/sitedetect.h"
#include "sites/siterules.h"

#include <QDir>
#include <QStandardPaths>

namespace {

constexpr char kScratchName[] = "Parse.wvi";

} // namespace

PageRetriever::PageRetriever(Download &download, DownloadEventHandlers &handlers,
                             YoutubeResolver &resolver)
    : m_download(download)
    , m_handlers(handlers)
    , m_resolver(resolver)
{
}

QString PageRetriever::ScratchPath() const
{
    // An installed program's own folder is not writable, so the page goes to
    // the user's data directory.
    QString sDir = m_sScratchDir;
    if (sDir.isEmpty())
        sDir = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(sDir);
    return QDir(sDir).filePath(QLatin1StringView(kScratchName));
}

PageRetriever::LinkResult PageRetriever::Classify(const QString &sLink)
{
    if (sLink == kNoSite)
        return LinkResult::NoSite;
    if (sLink == kFetchFailed)
        return LinkResult::FetchFailed;
    if (sLink == kNoAddress)
        return LinkResult::NoAddress;
    return LinkResult::Address;
}

QString PageRetriever::GetDownloadLink(const QString &sLink)
{
    if (modDownload::DetectSite(sLink) == modDownload::siteNone)
        return kNoSite;

    m_download.SetUrl(sLink);
    const QString sScratch = ScratchPath();
    // The transfer writes over a file without shortening it: an old page that
    // stays would lend its tail to the new one.
    if (!modGlobal::DeleteFileForced(sScratch))
        return kFetchFailed;
    m_download.SetLocalFile(sScratch);

    m_handlers.BeginPageFetch();
    m_download.StartDownload();
    m_handlers.EndPageFetch();
    // The handlers, not the return value, tell how the fetch ended.
    if (!m_handlers.TransferCompleted())
        return kFetchFailed;

    const QString sResult = modDownload::RunSiteRule(
        modDownload::DetectSite(sLink), sScratch, sLink,
        [this](const QString &sPlayer) { return m_resolver.GetYoutubePathLnik(sPlayer); });
    return sResult.isEmpty() ? QString(kNoAddress) : sResult;
}
