#include "session/downloadqueue.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "core/imessagebox.h"
#include "core/iskin.h"
#include "core/modglobal.h"
#include "core/modmain.h"
#include "list/downloadliststore.h"
#include "list/runstate.h"
#include "net/connectivity.h"
#include "net/download.h"
#include "session/fileinforesolver.h"
#include "session/pageretriever.h"
#include "session/runpresenter.h"
#include "settings/programsettings.h"
#include "sites/sitedetect.h"

namespace {

const QString kAutoDetect = QStringLiteral("Waiting (Auto Detect)");

} // namespace

DownloadQueue::DownloadQueue(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_store(parts.store)
    , m_run(parts.run)
    , m_download(parts.download)
    , m_pageRetriever(parts.pageRetriever)
    , m_fileInfo(parts.fileInfo)
    , m_presenter(parts.presenter)
    , m_skin(parts.skin)
    , m_messageBox(parts.messageBox)
    , m_settings(parts.settings)
    , m_isConnected(&modGlobal::IsConnected)
{
    tmrDownload.setInterval(200);
    tmrDownload.setSingleShot(true);
    connect(&tmrDownload, &QTimer::timeout, this, &DownloadQueue::tmrDownload_Timer);
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
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QStringLiteral("Empty List"),
                            QStringLiteral("Please add video URL's first."));
        return;
    }

    if (m_bRunning) {
        const auto answer = m_messageBox.MsgBox(
            IMessageBox::Icon::Question, QString(),
            QStringLiteral("Are you sure that you want to cancel downloading?"),
            IMessageBox::Buttons::YesNo);
        if (answer == IMessageBox::Answer::Yes)
            StopRun();
        return;
    }

    // A stopped run is still finishing its item. A second run nested inside it
    // would find the transfer control busy and the run state its own, so the
    // start waits for the first run to end.
    if (m_run.bDownloading) {
        m_bStartAfterRun = true;
        return;
    }

    if (!m_isConnected()) {
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(),
                            QStringLiteral("You are not connected to the internet, Please "
                                           "connect first then try again"));
        return;
    }

    m_bRunning = true;
    m_presenter.ShowRunStarted();

    StartDownloading();

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
    m_run.bStopRequested = true;
    m_bRunning = false;
    // Whatever waits now gives up at once instead of at its next block.
    m_download.CancelDownload();
    m_pageRetriever.Cancel();
    m_presenter.ShowStopConfirmed();
}

void DownloadQueue::AbandonRun()
{
    m_bAbandoned = true;
    m_bStartAfterRun = false;
    tmrDownload.stop();
    const bool bWasRunning = m_bRunning;
    m_bRunning = false;
    m_run.bStopRequested = true;
    m_download.CancelDownload();
    m_pageRetriever.Cancel();
    if (bWasRunning)
        m_presenter.ShowStopConfirmed();
}

void DownloadQueue::StartDownloading()
{
    if (m_bAbandoned)
        return;
    if (m_run.sActivePage == QLatin1String("About"))
        modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.downloadBtnTab"),
                                     QStringLiteral("1"));
    // A missing directory is created with its parents; if that fails, the
    // transfers fail and their items say so.
    if (!m_settings.sDownloadDir.isEmpty() && !QFileInfo(m_settings.sDownloadDir).isDir())
        QDir().mkpath(m_settings.sDownloadDir);
    m_run.bStopRequested = false;
    m_run.bDownloading = true;

    // Items are taken in list order, each at most once: commands run during a
    // transfer may move or remove items, so the run remembers which items it
    // has dealt with rather than a position.
    QSet<quint32> dealtWith;
    // Items listed after the run began are reached only straight after a
    // transfer; after a skipped or unresolved item the run ends with the
    // items it started with.
    const quint32 uLastAtStart = m_store.LastSerial();
    bool bFollowGrownList = false;
    for (;;) {
        int i = 0;
        for (; i < m_store.DownloadList.size(); ++i) {
            const quint32 uSerial = m_store.DownloadList.at(i).uSerial;
            if (!dealtWith.contains(uSerial) && (bFollowGrownList || uSerial <= uLastAtStart))
                break;
        }
        if (i == m_store.DownloadList.size())
            break;
        dealtWith.insert(m_store.DownloadList.at(i).uSerial);

        const ItemOutcome outcome = ProcessItem(i);
        if (outcome == ItemOutcome::Stopped)
            break;
        bFollowGrownList = outcome == ItemOutcome::Transferred;
    }
    m_run.bDownloading = false;
}

DownloadItem *DownloadQueue::CurrentItem()
{
    return m_store.ItemAt(m_store.IndexOfSerial(m_run.CurrentSerial()));
}

DownloadQueue::ItemOutcome DownloadQueue::Stop()
{
    if (DownloadItem *pCurrent = CurrentItem()) {
        if (!pCurrent->IsDone())
            pCurrent->Finish(ItemState::Cancelled);
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
    const QString sLink = PrepareItem(i);
    m_store.FillDownloadList();
    if (m_run.bStopRequested)
        return Stop();
    DownloadItem *pPrepared = CurrentItem();
    if (!pPrepared || sLink == kPrepareFailed)
        return ItemOutcome::Skipped;

    pPrepared->FileName = FreeFileName(pPrepared->FileName);
    const QString sLocalFile = LocalPathFor(pPrepared->FileName);
    m_download.SetUrl(sLink);
    m_download.SetLocalFile(sLocalFile);
    // An answer that will not count as the video must not replace the file
    // that the name holds now.
    m_download.SetKeepTest([this] {
        const DownloadItem *pCurrent = CurrentItem();
        return m_download.HttpStatus() < 400
            && !(pCurrent && pCurrent->FileSize.startsWith(QLatin1String("-1")));
    });
    m_run.FindCurrentRow();

    const bool bCompleted = !m_run.bStopRequested && m_download.StartDownload();
    m_download.SetKeepTest({});
    const QString sWhy = m_download.LastError();

    if (m_run.bStopRequested)
        return Stop();

    if (DownloadItem *pCurrent = CurrentItem()) {
        // A transfer that did not run to its end, or that brought the
        // server's error page instead of the file, has not downloaded the video.
        const bool bGood = bCompleted && m_download.HttpStatus() < 400
                           && !pCurrent->FileSize.startsWith(QLatin1String("-1"));
        pCurrent->Finish(bGood ? ItemState::Complete : ItemState::Failed);
        if (!bGood && !sWhy.isEmpty())
            Q_EMIT ItemFailed(pCurrent->ID, sWhy);
    }
    if (bCompleted)
        m_completedPaths.insert(sLocalFile);
    m_store.FillDownloadList();
    return ItemOutcome::Transferred;
}

QString DownloadQueue::PrepareItem(int iIndex)
{
    const QString sFailed(kPrepareFailed);
    DownloadItem *pItem = m_store.ItemAt(iIndex);
    if (!pItem)
        return sFailed;
    // Commands run during the fetch may move or remove the item: it is looked
    // up again by its serial after every wait.
    const quint32 uSerial = pItem->uSerial;
    auto item = [this, uSerial] { return m_store.ItemAt(m_store.IndexOfSerial(uSerial)); };

    pItem->Status = QStringLiteral("Preparing (0%)");
    const QString sVideoUrl = pItem->Video_URL;
    m_store.FillDownloadList();

    // A stop during the rebuild must not reach the network. After any wait,
    // a stop outweighs what the wait brought: it is why the wait ended.
    if (m_run.bStopRequested)
        return sFailed;
    const QString sLink = m_pageRetriever.GetDownloadLink(sVideoUrl);
    pItem = item();
    if (!pItem || m_run.bStopRequested)
        return sFailed;

    switch (PageRetriever::Classify(sLink)) {
    case PageRetriever::LinkResult::NoSite:
        pItem->Finish(ItemState::Failed);
        pItem->FileName = QStringLiteral("Un supported link");
        return sFailed;
    case PageRetriever::LinkResult::NoAddress:
        pItem->FileName = QStringLiteral("Process failed.");
        pItem->Finish(ItemState::Failed);
        pItem->Video_URL = QStringLiteral("Video may be inappropriate and can not be downloaded");
        return sFailed;
    case PageRetriever::LinkResult::FetchFailed:
        pItem->Finish(ItemState::Failed);
        return sFailed;
    case PageRetriever::LinkResult::Address:
        break;
    }

    const qint16 iSite = modDownload::DetectSite(pItem->Video_URL);
    const FileInfo info = m_fileInfo.GetFileInfo(sLink, iSite);
    pItem = item();
    if (!pItem || m_run.bStopRequested)
        return sFailed;
    if (pItem->FileName == kAutoDetect)
        pItem->FileName = info.FileName;
    pItem->FileSize = info.FileSize;
    return sLink;
}

QString DownloadQueue::LocalPathFor(const QString &sFileName) const
{
    return QDir::cleanPath(QDir(m_settings.sDownloadDir).absoluteFilePath(sFileName));
}

QString DownloadQueue::FreeFileName(const QString &sFileName) const
{
    // Cleaning again changes no name the program made or the grid accepted;
    // it keeps any other name from leaving the download directory.
    const QString sName = modMain::FitFileName(modMain::CleanFileName(sFileName));
    if (!m_completedPaths.contains(LocalPathFor(sName)))
        return sName;
    auto bTaken = [this](const QString &sCandidate) {
        const QString sPath = LocalPathFor(sCandidate);
        const QFileInfo info(sPath);
        return m_completedPaths.contains(sPath) || info.exists() || info.isSymLink();
    };
    constexpr int kLastNumber = 100000;
    int iNumber = 2;
    while (iNumber < kLastNumber && bTaken(modMain::NumberedFileName(sName, iNumber)))
        ++iNumber;
    return modMain::NumberedFileName(sName, iNumber);
}
