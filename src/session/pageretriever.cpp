#include "session/pageretriever.h"

#include "core/modglobal.h"
#include "net/download.h"
#include "net/failurereason.h"
#include "net/passingfailure.h"
#include "net/youtuberesolver.h"
#include "session/downloadeventhandlers.h"
#include "session/queuelog.h"
#include "session/streamsaver.h"
#include "sites/anysite.h"
#include "session/transferretry.h"
#include "sites/sitedetect.h"
#include "sites/siterules.h"
#include "streams/streamsniff.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>

namespace {

constexpr char kScratchName[] = "Parse.wvi";

// The site rules read a page one byte to a character, and decode percent
// escapes to bytes the same way: the address they name is those bytes. Each
// byte past ASCII is asked for as it is, percent-encoded, instead of being
// taken for a character and encoded again.
QString AddressOfRuleBytes(const QString &sAddress)
{
    const bool bBytesPastAscii =
        std::any_of(sAddress.begin(), sAddress.end(), [](QChar ch) { return ch.unicode() >= 0x80; });
    const bool bBytesOnly =
        std::all_of(sAddress.begin(), sAddress.end(), [](QChar ch) { return ch.unicode() <= 0xFF; });
    if (!bBytesPastAscii || !bBytesOnly)
        return sAddress;
    QByteArray encoded;
    encoded.reserve(sAddress.size() * 3);
    for (const QChar ch : sAddress) {
        const auto cByte = static_cast<uchar>(ch.unicode());
        if (cByte >= 0x80)
            encoded += '%' + QByteArray::number(cByte, 16).toUpper();
        else
            encoded += static_cast<char>(cByte);
    }
    return QString::fromLatin1(QUrl::fromEncoded(encoded, QUrl::TolerantMode).toEncoded());
}

// Whether the page kept at sPath is a streaming playlist by its first
// bytes, whatever type its server gave it.
bool IsPlaylistText(const QString &sPath)
{
    QFile page(sPath);
    constexpr qint64 kHeadBytes = 1024;
    return page.open(QIODevice::ReadOnly)
        && StreamSniff::Of(QString(), page.read(kHeadBytes)) != StreamSniff::Kind::None;
}

} // namespace

PageRetriever::PageRetriever(Download &download, DownloadEventHandlers &handlers,
                             YoutubeResolver &resolver, TransferRetry &retry)
    : m_download(download)
    , m_handlers(handlers)
    , m_resolver(resolver)
    , m_retry(retry)
{
}

PageRetriever::~PageRetriever() = default;

QString PageRetriever::ScratchPath()
{
    QString sDir = m_sScratchDir;
    if (sDir.isEmpty()) {
        // An installed program's own folder is not writable, so the page goes
        // to the user's data directory, named here rather than after the
        // application so that every front end agrees on it.
        if (!m_ownScratchDir) {
            const QString sData = QDir(QStandardPaths::writableLocation(
                                           QStandardPaths::GenericDataLocation))
                                      .filePath(kDataFolder);
            QDir().mkpath(sData);
            m_ownScratchDir = std::make_unique<QTemporaryDir>(
                QDir(sData).filePath(QStringLiteral("page-XXXXXX")));
        }
        // Without a folder of its own the program has nowhere safe to put
        // a page: every fetch then fails.
        if (!m_ownScratchDir->isValid()) {
            qCWarning(lcQueue, "No folder for the scratch page: %s",
                      qPrintable(m_ownScratchDir->errorString()));
            return QString();
        }
        sDir = m_ownScratchDir->path();
    }
    QDir().mkpath(sDir);
    return QDir(sDir).filePath(QLatin1StringView(kScratchName));
}

void PageRetriever::Cancel()
{
    m_download.CancelDownload();
    m_retry.Cancel();
    m_resolver.Cancel();
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
    m_sLastTitle.clear();
    m_bLastStream = false;
    m_bLastMediaFile = false;
    m_sLastReason.clear();
    const qint16 iSite = modDownload::DetectSite(sLink);
    const bool bOtherSite = iSite == modDownload::siteNone;
    if (bOtherSite && !(m_pbAnySite && *m_pbAnySite && modDownload::IsWebAddress(sLink)))
        return kNoSite;

    // The twelve rules' sites get the agent the rules were written for;
    // any other site a current browser's. The item's later requests (its
    // size, its file) go out the same way.
    m_download.SetBrowserAgent(bOtherSite);

    m_download.SetUrl(sLink);
    const QString sScratch = ScratchPath();
    if (sScratch.isEmpty())
        return kFetchFailed;
    m_download.SetLocalFile(sScratch);

    // Another site's address may be the video file itself: that is not read
    // as a page, it is the address to download. Where a redirect led decides,
    // as it does for the addresses the page names.
    bool bMediaFile = false;
    if (bOtherSite) {
        m_download.SetOpenTest([this, &bMediaFile] {
            // A playlist is saved as a stream, not read as a page.
            m_bLastStream =
                StreamSniff::Of(m_download.ContentType(), QByteArray()) != StreamSniff::Kind::None
                || StreamSaver::IsPlaylistAddress(QUrl(m_download.AnswerUrl()));
            bMediaFile = m_bLastStream
                || modDownload::IsMediaAnswer(m_download.ContentType(), m_download.AnswerUrl());
            return !bMediaFile;
        });
    }
    m_download.SetByteLimit(kPageByteLimit);
    bool bScratchStuck = false;
    m_retry.Run([this, &bMediaFile, &sScratch, &bScratchStuck] {
            // A fetch that fails must not leave the previous page for the
            // rule, and a file never replaces another under its name: what
            // the try before kept (an error page) goes first.
            if (!modGlobal::DeleteFileForced(sScratch)) {
                bScratchStuck = true;
                return true;
            }
            m_handlers.BeginPageFetch();
            m_download.StartDownload();
            m_handlers.EndPageFetch();
            return bMediaFile
                || (m_handlers.TransferCompleted()
                    && !PassingFailure::MayPass(m_download));
        });
    m_download.SetByteLimit(0);
    m_download.SetOpenTest({});
    if (bScratchStuck) {
        qCWarning(lcQueue, "Cannot remove the last scratch page %s", qPrintable(sScratch));
        return kFetchFailed;
    }
    if (bMediaFile) {
        m_bLastMediaFile = !m_bLastStream;
        return m_download.AnswerUrl();
    }
    // The handlers, not the return value, tell how the fetch ended. A page
    // the server could not give even after the retries says nothing about
    // the video: the item keeps its address.
    if (!m_handlers.TransferCompleted() || PassingFailure::MayPass(m_download)) {
        // The server's failures are the item's status; only a page that
        // could not be kept on disk has a reason of its own.
        if (!m_download.LastError().isEmpty())
            qCWarning(lcQueue, "Scratch page not written: %s",
                      qPrintable(m_download.LastError()));
        m_sLastReason = m_retry.LastFailure();
        return kFetchFailed;
    }
    // An error page is read as any page, but what the user needs to hear
    // is the answer, not that it names no video.
    const QString sAnswer = m_retry.LastFailure();

    // A playlist served as text or as bytes is still a playlist: it is saved
    // as a stream, from where it finally came.
    if (bOtherSite && IsPlaylistText(sScratch)) {
        m_bLastStream = true;
        return m_download.AnswerUrl();
    }

    // A redirect request that reached no answer says nothing about the page:
    // the item must keep its address, as after a failed page fetch.
    bool bResolverUnanswered = false;
    // The supported sites' rules know their pages by the address as listed.
    const QString sResult = modDownload::RunSiteRule(
        iSite, sScratch, bOtherSite ? m_download.AnswerUrl() : sLink,
        [this, &bResolverUnanswered](const QString &sPlayer) {
            const QString sFile = m_resolver.GetYoutubePathLnik(sPlayer);
            bResolverUnanswered = !m_resolver.GotAnswer();
            return sFile;
        },
        &m_sLastTitle);
    if (!sResult.isEmpty())
        return AddressOfRuleBytes(sResult);
    if (!bResolverUnanswered)
        m_sLastReason = sAnswer.isEmpty() ? FailureReason::NoVideoInPage() : sAnswer;
    return bResolverUnanswered ? QString(kFetchFailed) : QString(kNoAddress);
}
