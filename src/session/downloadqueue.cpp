#include "session/downloadqueue.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QUrl>

#include <algorithm>
#include <utility>

#include "core/imessagebox.h"
#include "core/iskin.h"
#include "core/modglobal.h"
#include "core/modmain.h"
#include "core/partfile.h"
#include "core/partorigin.h"
#include "list/downloadliststore.h"
#include "list/runstate.h"
#include "net/connectivity.h"
#include "net/download.h"
#include "net/failurereason.h"
#include "net/fragmentfetcher.h"
#include "net/ratebudget.h"
#include "session/fileinforesolver.h"
#include "session/pageretriever.h"
#include "session/queuelog.h"
#include "session/runpresenter.h"
#include "session/streamsaver.h"
#include "session/transferretry.h"
#include "session/ytdlpextractor.h"
#include "settings/programsettings.h"
#include "streams/streamquality.h"
#include "streams/streamsniff.h"
#include "sites/anysite.h"
#include "sites/sitedetect.h"

namespace {

const QString kAutoDetect = QStringLiteral("Waiting (Auto Detect)");
// What the name column says of an item that could not be resolved.
const QString kUnsupportedName = QStringLiteral("Un supported link");
const QString kProcessFailedName = QStringLiteral("Process failed.");

// Texts the program writes in the name column that name no file: an item
// tried again after one of them is named as a new item is.
bool NamesNoFile(const QString &sFileName)
{
    return sFileName == kAutoDetect || sFileName == kUnsupportedName
        || sFileName == kProcessFailedName;
}

// Whether the answer carries the file asked for: the whole of it, or the
// rest of a part kept from before. Any other answer (an empty 204, a 304 to
// a request that asked for no revalidation, a redirect not followed, an
// error page) is not the video.
bool AnswerIsTheFile(const Download &download)
{
    return download.HttpStatus() == 200
        || (download.HttpStatus() == 206 && download.ResumedFrom() > 0);
}

// The size text of a completed transfer, when the answer tells better than
// the size request did: that request failed ("-1"), or the answer gave a
// length. An item whose server gives no size keeps "0".
QString SizeTextAfterTransfer(const QString &sBefore, const Download &download)
{
    if (download.ContentLength() >= 0)
        return modMain::FormatSize(static_cast<double>(download.ContentLength()));
    if (sBefore.startsWith(QLatin1String("-1")))
        return modMain::FormatSize(static_cast<double>(download.BytesReceived()));
    return sBefore;
}

// A name of the program's own kind (a part, or a part's record) would be
// taken for one: the suffix goes, or its dot when nothing else is left.
QString WithoutPartSuffixes(QString sName)
{
    for (;;) {
        const QLatin1StringView sSuffix = sName.endsWith(PartFile::kSuffix) ? PartFile::kSuffix
            : sName.endsWith(PartOrigin::kSideSuffix)                       ? PartOrigin::kSideSuffix
                                                                            : QLatin1StringView();
        if (sSuffix.isEmpty())
            return sName;
        const QString sShorter = sName.chopped(sSuffix.size());
        if (sShorter.isEmpty()) {
            sName[sName.size() - sSuffix.size()] = u'_';
            return sName;
        }
        sName = sShorter;
    }
}

// The name a stream gets from its playlist's address: the playlist's name
// with the extension of the file it becomes.
QString StreamFileName(const QString &sLink)
{
    QString sName = QUrl(sLink).path().section(u'/', -1);
    const qsizetype iDot = sName.lastIndexOf(u'.');
    if (iDot > 0)
        sName.truncate(iDot);
    if (sName.isEmpty())
        sName = QStringLiteral("video");
    return sName + QLatin1StringView(".mp4");
}

} // namespace

DownloadQueue::~DownloadQueue() = default;

DownloadQueue::DownloadQueue(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_store(parts.store)
    , m_run(parts.run)
    , m_download(parts.download)
    , m_pageRetriever(parts.pageRetriever)
    , m_fileInfo(parts.fileInfo)
    , m_presenter(parts.presenter)
    , m_retry(parts.retry)
    , m_skin(parts.skin)
    , m_messageBox(parts.messageBox)
    , m_settings(parts.settings)
    , m_isConnected(&modGlobal::IsConnected)
    , m_pStreamSaver(std::make_unique<StreamSaver>())
    , m_pYtDlp(std::make_unique<YtDlpExtractor>())
{
    tmrDownload.setInterval(200);
    tmrDownload.setSingleShot(true);
    connect(&tmrDownload, &QTimer::timeout, this, &DownloadQueue::tmrDownload_Timer);
    connect(&m_store, &DownloadListStore::ItemRemoved, this, &DownloadQueue::ItemRemoved);
    connect(&m_store, &DownloadListStore::ItemRemoved, this,
            [this](quint32, const QString &sFileName) {
                m_partsToDrop << LocalPathFor(sFileName);
                if (!m_run.bDownloading())
                    DropPartsOfRemovedItems();
            });
    connect(&m_download, &Download::DownloadError, this,
            [this](const QString &sError) { m_sTransferError = sError; });
    m_clock.start();
    m_noteTimer.setInterval(1000);
    connect(&m_download, &Download::DownloadProgress, this, [this] {
        if (!m_noteTimer.isActive())
            return;
        // A try that starts the file over starts the figures over; one that
        // goes on from a kept part counts only what it brings.
        const qint64 lDone = m_download.BytesReceived();
        if (!m_bMetering || lDone < m_meter.Done())
            m_meter.Start(m_clock.elapsed(), m_download.ResumedFrom(), m_download.ContentLength());
        m_bMetering = true;
        m_meter.SetTotal(m_download.ContentLength());
        m_meter.Note(m_clock.elapsed(), lDone);
    });
}

void DownloadQueue::ItemRemoved(quint32 uSerial)
{
    // The user took the item off the list: whatever the run waits for on its
    // behalf is given up, and the run goes on with the next item.
    if (!m_run.bDownloading() || uSerial != m_run.CurrentSerial())
        return;
    GiveUpWaits();
}

void DownloadQueue::GiveUpWaits()
{
    m_download.CancelDownload();
    // The file's retries are the queue's own wait; the page fetch stops its own.
    m_retry.Cancel();
    m_pageRetriever.Cancel();
    m_pStreamSaver->Cancel();
    m_pYtDlp->Cancel();
}

void DownloadQueue::ShowTransferNote(quint32 uSerial)
{
    const DownloadItem *pItem = m_store.ItemBySerial(uSerial);
    if (!pItem || !m_bMetering)
        return;
    const QString sLine = m_meter.Text(m_clock.elapsed());
    m_store.SetNote(uSerial, sLine);
    m_presenter.ShowTransfer(pItem->ID, sLine);
    m_presenter.ShowRunProgress(m_iRunItem, m_iRunItems, m_meter.Percent());
}

QString DownloadQueue::KeptNote(const QString &sLocalFile)
{
    const QFileInfo part(PartFile::PartPathFor(sLocalFile));
    if (!part.isFile() || part.isSymLink() || part.size() <= 0)
        return QString();
    const qint64 lTotal = PartFile::KeptOrigin(sLocalFile).lTotal;
    if (lTotal <= 0)
        return QString();
    // A part is never the whole file: 100 % would say it is done.
    return tr("%1 % kept").arg(qMin<qint64>(part.size() * 100 / lTotal, 99));
}

void DownloadQueue::NoteKeptParts()
{
    for (const DownloadItem &item : m_store.Items()) {
        if (item.State() != ItemState::Complete && !NamesNoFile(item.FileName))
            m_store.SetNote(item.uSerial, KeptNote(LocalPathFor(item.FileName)));
    }
}

void DownloadQueue::SetConnectivityTest(std::function<bool()> isConnected)
{
    m_isConnected = std::move(isConnected);
}

void DownloadQueue::tmrDownload_Timer()
{
    tmrDownload.stop();
    cmdStartDownload_Click();
}

void DownloadQueue::cmdStartDownload_Click()
{
    if (m_bAbandoned)
        return;
    if (m_store.UBound() == -1) {
        m_presenter.ShowEmptyList();
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, tr("Empty List"),
                            tr("Please add video URL's first."));
        return;
    }

    if (m_bRunning) {
        const auto answer = m_messageBox.MsgBox(
            IMessageBox::Icon::Question, QString(),
            tr("Are you sure that you want to cancel downloading?"),
            IMessageBox::Buttons::YesNo);
        if (answer == IMessageBox::Answer::Yes)
            StopRun();
        return;
    }

    // A stopped run is still finishing its item. A second run nested inside it
    // would find the transfer control busy and the run state its own, so the
    // start waits for the first run to end.
    if (m_run.bDownloading()) {
        m_bStartAfterRun = true;
        return;
    }

    if (!m_isConnected()) {
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(),
                            tr("You are not connected to the internet, Please connect first then try again"));
        return;
    }

    m_bRunning = true;
    m_presenter.ShowRunStarted();
    m_iRunCompleted = 0;
    m_iRunFailed = 0;
    Q_EMIT RunStarted();

    StartDownloading();
    Q_EMIT RunEnded(m_iRunCompleted, m_iRunFailed);

    // A confirmed stop has already shown the toggle as idle.
    if (m_bRunning) {
        m_bRunning = false;
        m_presenter.ShowRunEnded();
    }
    if (m_bStartAfterRun) {
        m_bStartAfterRun = false;
        tmrDownload.start();
    }
}

void DownloadQueue::StopRun()
{
    // The question may have been open while the run ended by itself.
    if (!m_bRunning)
        return;
    m_run.RequestStop();
    m_bRunning = false;
    // Whatever waits now gives up at once instead of at its next block.
    GiveUpWaits();
    m_presenter.ShowStopConfirmed();
}

void DownloadQueue::AbandonRun()
{
    m_bAbandoned = true;
    m_bStartAfterRun = false;
    tmrDownload.stop();
    const bool bWasRunning = m_bRunning;
    m_bRunning = false;
    m_run.RequestStop();
    GiveUpWaits();
    if (bWasRunning)
        m_presenter.ShowStopConfirmed();
}

void DownloadQueue::StartDownloading()
{
    if (m_bAbandoned)
        return;
    if (m_run.sActivePage() == QLatin1String("About"))
        modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.downloadBtnTab"),
                                     QStringLiteral("1"));
    // A missing directory is created with its parents; if that fails, the
    // transfers fail and their items say so.
    if (!m_settings.sDownloadDir.isEmpty() && !QFileInfo(m_settings.sDownloadDir).isDir())
        QDir().mkpath(m_settings.sDownloadDir);
    m_run.BeginRun();
    qCDebug(lcQueue, "Run starts with %d item(s)", static_cast<int>(m_store.Count()));

    // Items are taken in list order, whenever they were listed: commands run
    // during a transfer may move or remove items, so the run remembers which
    // items it has dealt with rather than a position. An item dealt with is
    // taken again only when it was set back to "Waiting" meanwhile; the run
    // itself never leaves one so.
    QSet<quint32> dealtWith;
    auto bStillToDo = [&dealtWith](const DownloadItem &item) {
        return !item.IsDone()
            && (!dealtWith.contains(item.uSerial) || item.Status == ItemStatus::kWaiting);
    };
    for (;;) {
        int i = 0;
        while (i < m_store.Count() && !bStillToDo(*m_store.ItemAt(i)))
            ++i;
        if (i == m_store.Count())
            break;
        dealtWith.insert(m_store.ItemAt(i)->uSerial);
        m_iRunItem = static_cast<int>(dealtWith.size());
        m_iRunItems = m_iRunItem;
        for (int j = 0; j < m_store.Count(); ++j)
            m_iRunItems += j != i && bStillToDo(*m_store.ItemAt(j)) ? 1 : 0;
        m_presenter.ShowRunProgress(m_iRunItem, m_iRunItems, -1);
        const ItemOutcome outcome = ProcessItem(i);
        // The transfer has let go of the part of an item removed meanwhile.
        DropPartsOfRemovedItems();
        if (outcome == ItemOutcome::Stopped)
            break;
    }
    m_run.EndRun();
    m_presenter.ShowRunProgress(0, 0, -1);
    qCDebug(lcQueue, "Run ends");
}

void DownloadQueue::DropPartsOfRemovedItems()
{
    const QStringList paths = std::exchange(m_partsToDrop, {});
    for (const QString &sPath : paths) {
        // Most items keep no part: they cost a look or two at the disk.
        const QString sPart = PartFile::PartPathFor(sPath);
        const QString sStreamPart = StreamSaver::WorkPathFor(sPath, false);
        if (!QFileInfo::exists(sPart) && !QFileInfo(sPart).isSymLink()
            && !QFileInfo::exists(sStreamPart))
            continue;
        // A part goes with its item, unless an item still listed and not
        // done with goes on from it.
        const auto &items = m_store.Items();
        const bool bStillWanted = std::any_of(items.begin(), items.end(), [&](const DownloadItem &item) {
            return item.State() != ItemState::Complete && LocalPathFor(item.FileName) == sPath;
        });
        if (!bStillWanted) {
            PartFile::RemoveKept(sPath);
            FragmentFetcher::RemoveTrackFile(sStreamPart);
            FragmentFetcher::RemoveTrackFile(StreamSaver::WorkPathFor(sPath, true));
        }
    }
}

const DownloadItem *DownloadQueue::CurrentItem() const
{
    return m_store.ItemBySerial(m_run.CurrentSerial());
}

DownloadQueue::ItemOutcome DownloadQueue::Stop()
{
    if (const DownloadItem *pCurrent = CurrentItem()) {
        if (!pCurrent->IsDone())
            m_store.Finish(pCurrent->uSerial, ItemState::Cancelled);
    }
    m_store.FillDownloadList();
    return ItemOutcome::Stopped;
}

DownloadQueue::ItemOutcome DownloadQueue::ProcessItem(int i)
{
    const DownloadItem *pItem = m_store.ItemAt(i);
    if (!pItem || pItem->IsDone())
        return ItemOutcome::Skipped;

    m_run.SetCurrentItem(i);
    // The limit holds for the page, the file and its fragments alike.
    RateBudget::Shared().SetBytesPerSecond(m_settings.lSpeedLimit);
    const QString sLink = PrepareItem(i);
    m_store.FillDownloadList();
    if (m_run.bStopRequested())
        return Stop();
    const DownloadItem *pPrepared = CurrentItem();
    if (!pPrepared || sLink == kPrepareFailed)
        return ItemOutcome::Skipped;

    const quint32 uSerial = pPrepared->uSerial;
    const QString sLocalFile = LocalPathFor(pPrepared->FileName);
    if (!m_sStreamLink.isEmpty() && sLink == m_sStreamLink)
        return ProcessStream(uSerial, sLink, sLocalFile);
    m_download.SetUrl(sLink);
    m_download.SetLocalFile(sLocalFile);
    // An answer that will not count as the video must not replace the file
    // that the name holds now. The size request is no judge: many servers
    // refuse HEAD and still send the file. An item removed while its file
    // arrived gets no file either.
    m_download.SetKeepTest(
        [this] { return CurrentItem() && AnswerIsTheFile(m_download); });
    // Another site may answer with a web page (a player, a sign-in page)
    // where the file should be: that is no video, and is not written. Error
    // pages go the way of every other answer that is not the file.
    bool bPageInstead = false;
    if (modDownload::DetectSite(pPrepared->PageUrl().trimmed()) == modDownload::siteNone) {
        m_download.SetOpenTest([this, &bPageInstead] {
            const int iStatus = m_download.HttpStatus();
            bPageInstead = (iStatus == 200 || iStatus == 206)
                && modDownload::IsPageAnswer(m_download.ContentType());
            return !bPageInstead;
        });
    }
    m_run.FindCurrentRow();

    // What arrived stays on disk between tries, and each try asks only for
    // the rest.
    m_download.SetResume(true);
    m_download.SetResumeKey(m_sResumeKey);
    m_download.SetConnections(m_settings.iConnections);
    m_download.SetConnectionRetries(m_retry.Retries());
    bool bCompleted = false;
    m_bMetering = false;
    const QMetaObject::Connection noting =
        connect(&m_noteTimer, &QTimer::timeout, this, [this, uSerial] { ShowTransferNote(uSerial); });
    m_noteTimer.start();
    m_retry.Run([this, &bCompleted] {
        m_sTransferError.clear();
        bCompleted = !m_run.bStopRequested() && CurrentItem() && m_download.StartDownload();
        return bCompleted || m_run.bStopRequested() || !CurrentItem();
    });
    m_noteTimer.stop();
    disconnect(noting);
    m_presenter.ShowTransfer(CurrentItem() ? CurrentItem()->ID : 0, QString());
    // What is kept for the next try, once this one is over.
    m_store.SetNote(uSerial, bCompleted ? QString() : KeptNote(sLocalFile));
    m_download.SetResume(false);
    m_download.SetResumeKey(QString());
    m_download.SetConnections(1);
    m_download.SetKeepTest({});
    m_download.SetOpenTest({});
    m_download.SetExtraHeaders({});
    const QString sWhy = m_download.LastError();

    // A file that took its name is complete, even when a stop came while it
    // was written out: only a transfer that never got there is cancelled.
    if (m_run.bStopRequested() && !bCompleted)
        return Stop();

    if (!CurrentItem())
        m_partsToDrop << sLocalFile;
    if (const DownloadItem *pCurrent = CurrentItem()) {
        // A transfer that did not run to its end, or that brought anything
        // but the file, has not downloaded the video.
        const bool bGood = bCompleted && AnswerIsTheFile(m_download);
        if (bGood) {
            m_store.SetFileSize(uSerial, SizeTextAfterTransfer(pCurrent->FileSize, m_download));
            // A name taken on disk meanwhile gave the file the next number.
            if (m_download.SavedFile() != sLocalFile)
                m_store.SetFileName(uSerial, QFileInfo(m_download.SavedFile()).fileName());
        }
        m_store.Finish(uSerial, bGood ? ItemState::Complete : ItemState::Failed);
        if (bGood)
            Completed(uSerial, m_download.SavedFile());
        if (!bGood && !sWhy.isEmpty())
            qCWarning(lcQueue, "Item %d: %s not written: %s", pCurrent->ID,
                      qPrintable(sLocalFile), qPrintable(sWhy));
        if (bPageInstead) {
            Fail(uSerial, QStringLiteral("The server sent a web page, not a video file"));
        } else if (!bGood) {
            // The network's side first: it carries how often it happened.
            const QString sFailure = m_retry.LastFailure();
            Fail(uSerial, !sFailure.isEmpty() ? sFailure : !sWhy.isEmpty() ? sWhy : m_sTransferError);
        }
    }
    if (bCompleted)
        m_completedPaths.insert(m_download.SavedFile());
    if (m_run.bStopRequested())
        return Stop();
    m_store.FillDownloadList();
    return ItemOutcome::Transferred;
}

DownloadQueue::ItemOutcome DownloadQueue::ProcessStream(quint32 uSerial, const QString &sLink,
                                                       const QString &sLocalFile)
{
    StreamSaver &saver = *m_pStreamSaver;
    saver.SetQuality(StreamQuality::LimitFromText(m_settings.sQuality)
                         .value_or(StreamQuality::Limit::Best));
    saver.SetParallel(m_settings.iFragments);
    // Each fragment gets the retries a file transfer gets.
    saver.SetRetries(m_retry.Retries());
    m_run.FindCurrentRow();
    qint64 iShownPercent = -1;
    const QMetaObject::Connection progress = connect(
        &saver, &StreamSaver::Progress, this,
        [this, uSerial, &iShownPercent](qint64 iDone, qint64 iTotal) {
            if (m_run.bStopRequested())
                m_pStreamSaver->Cancel();
            // The percentage, as a file transfer of known size shows it; the
            // list is rebuilt only when it changes.
            const qint64 iPercent = iTotal > 0 ? iDone * 100 / iTotal : 0;
            if (iPercent != iShownPercent
                && m_store.SetStatus(uSerial, QString::number(iPercent))) {
                iShownPercent = iPercent;
                m_store.FillDownloadList();
                m_run.FindCurrentRow();
            }
        });
    const StreamSaver::Result result = m_run.bStopRequested() ? StreamSaver::Result::Cancelled
        : m_ytDlpFormats.isEmpty()                            ? saver.Save(QUrl(sLink), sLocalFile)
                                  : saver.SaveFormats(m_ytDlpFormats, sLocalFile);
    disconnect(progress);

    if (result == StreamSaver::Result::Saved)
        m_completedPaths.insert(saver.SavedFile());
    if (m_run.bStopRequested() && result != StreamSaver::Result::Saved)
        return Stop();
    if (!CurrentItem()) {
        m_partsToDrop << sLocalFile;
    } else if (result == StreamSaver::Result::Saved) {
        m_store.SetFileSize(uSerial, modMain::FormatSize(static_cast<double>(
                                         QFileInfo(saver.SavedFile()).size())));
        m_store.SetFileName(uSerial, QFileInfo(saver.SavedFile()).fileName());
        m_store.Finish(uSerial, ItemState::Complete);
        Completed(uSerial, saver.SavedFile());
    } else {
        const QString sWhy = saver.ErrorString().isEmpty() ? QStringLiteral("The stream was not saved")
                                                          : saver.ErrorString();
        m_store.Finish(uSerial, ItemState::Failed);
        qCWarning(lcQueue, "Item %d: stream %s not saved: %s", CurrentItem()->ID,
                  qPrintable(sLink), qPrintable(sWhy));
        Fail(uSerial, sWhy);
    }
    if (m_run.bStopRequested())
        return Stop();
    m_store.FillDownloadList();
    return ItemOutcome::Transferred;
}

QString DownloadQueue::PrepareItem(int iIndex)
{
    const QString sFailed(kPrepareFailed);
    const DownloadItem *pItem = m_store.ItemAt(iIndex);
    if (!pItem)
        return sFailed;
    // Commands run during the fetch may move or remove the item: it is
    // written by its serial, and is looked up again after every wait.
    const quint32 uSerial = pItem->uSerial;
    // The address as typed may have white space around it.
    const QString sVideoUrl = pItem->PageUrl().trimmed();
    m_store.ShowInsteadOfAddress(uSerial, QString());
    m_store.SetStatus(uSerial, u"Preparing (0%)");
    m_store.SetReason(uSerial, QString());
    m_store.SetNote(uSerial, QString());
    m_store.FillDownloadList();

    // A stop during the rebuild must not reach the network. After any wait,
    // a stop outweighs what the wait brought: it is why the wait ended.
    if (m_run.bStopRequested())
        return sFailed;
    m_download.SetExtraHeaders({});
    m_sResumeKey.clear();
    m_ytDlpFormats.clear();
    m_sStreamLink.clear();
    // Pages of other sites go to yt-dlp first; what it cannot read, the
    // rule for any page reads. An address named like a media file asks its
    // server first: when the answer is the file itself there is nothing for
    // yt-dlp to find, and starting it costs more than the whole question.
    QString sYtDlpReason;
    QString sLink;
    bool bAsked = false;
    if (modDownload::DetectSite(sVideoUrl) == modDownload::siteNone && m_settings.bAnySite
        && modDownload::IsWebAddress(sVideoUrl)) {
        if (!modDownload::MediaExtensionOf(sVideoUrl).isEmpty()) {
            sLink = m_pageRetriever.GetDownloadLink(sVideoUrl);
            bAsked = true;
            if (!m_store.ItemBySerial(uSerial) || m_run.bStopRequested())
                return sFailed;
        }
        if (!bAsked || !m_pageRetriever.LastIsMediaFile()) {
            const QString sFound = PrepareFromYtDlp(uSerial, sVideoUrl, sYtDlpReason);
            if (!sFound.isNull())
                return sFound;
            if (!m_store.ItemBySerial(uSerial) || m_run.bStopRequested())
                return sFailed;
        }
    }
    // What the server said before yt-dlp stands: the page is not fetched twice.
    if (!bAsked)
        sLink = m_pageRetriever.GetDownloadLink(sVideoUrl);
    qCDebug(lcQueue, "%s (%s) -> %s", qPrintable(sVideoUrl),
            qPrintable(modDownload::SiteName(modDownload::DetectSite(sVideoUrl))), qPrintable(sLink));
    pItem = m_store.ItemBySerial(uSerial);
    if (!pItem || m_run.bStopRequested())
        return sFailed;

    // What yt-dlp said is the better reason when the page names nothing
    // either.
    switch (PageRetriever::Classify(sLink)) {
    case PageRetriever::LinkResult::NoSite:
        m_store.Finish(uSerial, ItemState::Failed);
        m_store.SetFileName(uSerial, kUnsupportedName);
        Fail(uSerial, QStringLiteral("No supported site matches this address"));
        return sFailed;
    case PageRetriever::LinkResult::NoAddress:
        m_store.SetFileName(uSerial, kProcessFailedName);
        m_store.Finish(uSerial, ItemState::Failed);
        m_store.ShowInsteadOfAddress(
            uSerial, QStringLiteral("Video may be inappropriate and can not be downloaded"));
        Fail(uSerial, !sYtDlpReason.isEmpty()                 ? sYtDlpReason
                      : m_pageRetriever.LastReason().isEmpty() ? FailureReason::NoVideoInPage()
                                                               : m_pageRetriever.LastReason());
        return sFailed;
    case PageRetriever::LinkResult::FetchFailed:
        m_store.Finish(uSerial, ItemState::Failed);
        Fail(uSerial, !sYtDlpReason.isEmpty()                 ? sYtDlpReason
                      : m_pageRetriever.LastReason().isEmpty() ? QStringLiteral("The page could not be fetched")
                                                               : m_pageRetriever.LastReason());
        return sFailed;
    case PageRetriever::LinkResult::Address:
        break;
    }

    // A stream has no size to ask for: its fragments are counted instead.
    auto nameStream = [&] {
        m_sStreamLink = sLink;
        // A page's title says more than the playlist's name.
        const QString sTitle = m_pageRetriever.LastTitle();
        const QString sFileName = !NamesNoFile(pItem->FileName) ? pItem->FileName
            : sTitle.isEmpty() ? StreamFileName(sLink)
                               : sTitle + QLatin1StringView(".mp4");
        m_store.SetFileName(uSerial, FreeFileName(sFileName, sLink, uSerial));
        m_store.SetFileSize(uSerial, QStringLiteral("0"));
        return sLink;
    };
    if (m_pageRetriever.LastIsStream() || StreamSaver::IsPlaylistAddress(QUrl(sLink)))
        return nameStream();

    const qint16 iSite = modDownload::DetectSite(sVideoUrl);
    const FileInfo info = m_fileInfo.GetFileInfo(sLink, iSite);
    pItem = m_store.ItemBySerial(uSerial);
    if (!pItem || m_run.bStopRequested())
        return sFailed;
    // An address that does not look like one may still answer with a playlist.
    if (StreamSniff::Of(m_download.ContentType(), QByteArray()) != StreamSniff::Kind::None)
        return nameStream();
    const QString sFileName = NamesNoFile(pItem->FileName) ? info.FileName : pItem->FileName;
    // Named here, so that the rebuild that follows shows the name the file
    // will really have.
    m_store.SetFileName(uSerial, FreeFileName(sFileName, sLink, uSerial));
    m_store.SetFileSize(uSerial, info.FileSize);
    return sLink;
}

QString DownloadQueue::PrepareFromYtDlp(quint32 uSerial, const QString &sVideoUrl,
                                        QString &sReason)
{
    const QString sFailed(kPrepareFailed);
    const YtDlpExtractor::Outcome outcome = m_pYtDlp->Extract(sVideoUrl, m_settings);
    const DownloadItem *pItem = m_store.ItemBySerial(uSerial);
    if (!pItem || m_run.bStopRequested() || outcome == YtDlpExtractor::Outcome::Cancelled)
        return sFailed;
    if (outcome != YtDlpExtractor::Outcome::Found) {
        if (!m_pYtDlp->Unsupported())
            sReason = m_pYtDlp->Reason();
        return QString();
    }
    const YtDlpInfo &info = m_pYtDlp->Info();
    const int iID = pItem->ID;
    auto fail = [&](const QString &sWhy) {
        m_store.Finish(uSerial, ItemState::Failed);
        qCWarning(lcQueue, "Item %d: %s", iID, qPrintable(sWhy));
        Fail(uSerial, sWhy);
        return sFailed;
    };
    if (info.bPlaylist) {
        // The list's videos become items of their own, right after it.
        const int iAdded = m_store.InsertWaitingItems(uSerial, info.entries);
        QString sWhat = QStringLiteral("%1 video(s) of the playlist listed").arg(iAdded);
        if (info.iEntryCount > info.entries.size())
            sWhat += QStringLiteral("; it holds %1, only the first %2 are taken")
                         .arg(info.iEntryCount)
                         .arg(YtDlpInfo::kMaxEntries);
        qCInfo(lcQueue, "%s: %s", qPrintable(sVideoUrl), qPrintable(sWhat));
        if (!info.sTitle.isEmpty())
            m_store.SetFileName(uSerial, info.sTitle);
        m_store.SetFileSize(uSerial, QStringLiteral("0"));
        m_store.Finish(uSerial, ItemState::Complete);
        m_store.SetReason(uSerial, sWhat);
        return sFailed;
    }
    if (info.HasDrm())
        return fail(QStringLiteral("The stream is protected (DRM) and cannot be saved"));
    if (!info.UnsupportedReason().isEmpty())
        return fail(info.UnsupportedReason());

    const YtDlpFormat &first = info.formats.first();
    const bool bFile = info.formats.size() == 1 && first.KindOf() == YtDlpFormat::Kind::File;
    // A name the user gave stays; a stream ends as MP4 unless its streams
    // need Matroska, which the saver decides.
    QString sFileName = pItem->FileName;
    if (NamesNoFile(sFileName))
        sFileName = bFile ? info.FileName()
                          : (info.sTitle.isEmpty() ? QStringLiteral("video") : info.sTitle)
                + QLatin1StringView(".mp4");
    m_store.SetFileName(uSerial, FreeFileName(sFileName, bFile ? sVideoUrl : first.sUrl, uSerial));
    m_store.SetFileSize(uSerial, first.lFileSize > 0 && bFile
                                     ? modMain::FormatSize(static_cast<double>(first.lFileSize))
                                     : QStringLiteral("0"));
    if (bFile) {
        m_download.SetExtraHeaders(first.headers);
        m_sResumeKey = sVideoUrl;
        return first.sUrl;
    }
    m_ytDlpFormats = info.formats;
    m_sStreamLink = first.sUrl;
    return m_sStreamLink;
}

void DownloadQueue::Completed(quint32 uSerial, const QString &sPath)
{
    ++m_iRunCompleted;
    if (const DownloadItem *pItem = m_store.ItemBySerial(uSerial))
        Q_EMIT ItemCompleted(pItem->ID, sPath);
}

void DownloadQueue::Fail(quint32 uSerial, const QString &sReason)
{
    ++m_iRunFailed;
    m_store.SetReason(uSerial, sReason);
    if (const DownloadItem *pItem = m_store.ItemBySerial(uSerial))
        Q_EMIT ItemFailed(pItem->ID, sReason);
}

QString DownloadQueue::LocalPathFor(const QString &sFileName) const
{
    return QDir::cleanPath(QDir(m_settings.sDownloadDir).absoluteFilePath(sFileName));
}

QString DownloadQueue::FreeFileName(const QString &sFileName, const QString &sLink,
                                    quint32 uSerial) const
{
    // Cleaning again changes no name the program made or the grid accepted;
    // it keeps any other name from leaving the download directory.
    const QString sName =
        modMain::FitFileName(WithoutPartSuffixes(modMain::CleanFileName(sFileName)));
    const DownloadItem *pItem = m_store.ItemBySerial(uSerial);
    const QString sOwnName = pItem ? pItem->FileName : QString();
    // Whatever is on disk under a name is never replaced, nor is a file this
    // program completed. A part belongs to the listed item of its name; one
    // that no item holds belongs to the address its record names. An item
    // that holds the name already goes on from its part, or starts it over
    // when its address has changed since.
    auto bTaken = [&](const QString &sCandidate) {
        const QString sPath = LocalPathFor(sCandidate);
        const QFileInfo info(sPath);
        if (m_completedPaths.contains(sPath) || info.exists() || info.isSymLink())
            return true;
        for (const DownloadItem &item : m_store.Items()) {
            if (item.uSerial != uSerial && item.State() != ItemState::Complete
                && item.FileName == sCandidate)
                return true;
        }
        if (sCandidate == sOwnName)
            return false;
        const QString sPartUrl = PartFile::KeptOrigin(sPath).sUrl;
        return !sPartUrl.isEmpty() && sPartUrl != sLink;
    };
    if (!bTaken(sName))
        return sName;
    constexpr int kLastNumber = 100000;
    int iNumber = 2;
    while (iNumber < kLastNumber && bTaken(modMain::NumberedFileName(sName, iNumber)))
        ++iNumber;
    return modMain::NumberedFileName(sName, iNumber);
}
