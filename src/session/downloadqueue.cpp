#include "session/downloadqueue.h"

#include <QDir>
#include <QFileInfo>

#include "core/imessagebox.h"
#include "core/iskin.h"
#include "list/downloadliststore.h"
#include "list/runstate.h"
#include "session/pageretriever.h"
#include "sites/sitedetect.h"
#include "settings/programsettings.h"
#include "net/download.h"
#include "session/fileinforesolver.h"
#include "core/modglobal.h"
#include "net/connectivity.h"

namespace {

const QString kComplete = QStringLiteral("Complete");
const QString kError = QStringLiteral("ERROR");
const QString kAutoDetect = QStringLiteral("Waiting (Auto Detect)");

// The skin's run variables, in the order each group sets them.
const char *const kStopOrStartVariables[3] = {"_root.downloadBtn", "_root.startDownload",
                                             "_root.downloadTab"};
const char *const kRunEndVariables[3] = {"_root.startDownload", "_root.downloadBtn",
                                        "_root.downloadTab"};

} // namespace

const QString DownloadQueue::kStartCaption = QStringLiteral("Start Downloading");
const QString DownloadQueue::kStopCaption = QStringLiteral("Stop Downloading");

DownloadQueue::DownloadQueue(const Parts &parts, QObject *parent)
    : QObject(parent)
    , m_store(parts.store)
    , m_run(parts.run)
    , m_download(parts.download)
    , m_pageRetriever(parts.pageRetriever)
    , m_fileInfo(parts.fileInfo)
    , m_skin(parts.skin)
    , m_messageBox(parts.messageBox)
    , m_settings(parts.settings)
    , m_isConnected(&modGlobal::IsConnected)
    , m_sStartDownloadCaption(kStartCaption)
    , m_sMenuDownloadCaption(kStartCaption)
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
    if (m_store.UBound() == -1) {
        modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.startDownload"),
                                     QStringLiteral("1"));
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QStringLiteral("Empty List"),
                            QStringLiteral("Please add video URL's first."));
        return;
    }

    if (m_sStartDownloadCaption == kStopCaption) {
        const auto answer = m_messageBox.MsgBox(
            IMessageBox::Icon::Question, QString(),
            QStringLiteral("Are you sure that you want to cancel downloading?"),
            IMessageBox::Buttons::YesNo);
        if (answer != IMessageBox::Answer::Yes)
            return;
        m_run.bStopRequested = true;
        SetStartDownloadCaption(kStartCaption);
        SetMenuDownloadCaption(kStartCaption);
        SetRunVariables(kStopOrStartVariables, QStringLiteral("1"));
        return;
    }

    if (!m_isConnected()) {
        m_messageBox.MsgBox(IMessageBox::Icon::Exclamation, QString(),
                            QStringLiteral("You are not connected to the internet, Please "
                                           "connect first then try again"));
        return;
    }

    SetStartDownloadCaption(kStopCaption);
    SetMenuDownloadCaption(kStopCaption);
    SetRunVariables(kStopOrStartVariables, QStringLiteral("0"));

    StartDownloading();

    // A confirmed stop has already reset the captions and the skin.
    if (m_run.bStopRequested)
        return;
    SetStartDownloadCaption(kStartCaption);
    SetRunVariables(kRunEndVariables, QStringLiteral("1"));
    SetMenuDownloadCaption(kStartCaption);
}

void DownloadQueue::StartDownloading()
{
    if (m_run.sActivePage == QLatin1String("About"))
        modSettings::SetSkinVariable(m_skin, QStringLiteral("_root.downloadBtnTab"),
                                     QStringLiteral("1"));
    // A missing directory is created with its parents; if that fails, the
    // transfers fail and their items say so.
    if (!m_settings.sDownloadDir.isEmpty() && !QFileInfo(m_settings.sDownloadDir).isDir())
        QDir().mkpath(m_settings.sDownloadDir);
    m_run.bStopRequested = false;
    m_run.bDownloading = true;

    const int iLimit = m_store.UBound();
    int i = 0;
    // After a transfer, items appended meanwhile are followed past the limit
    // noted at the start; after a skipped or unresolved item, they are not.
    bool bFollowGrownList = false;
    while (bFollowGrownList || i <= iLimit) {
        bFollowGrownList = false;
        switch (ProcessItem(i)) {
        case ItemOutcome::Skipped:
            break;
        case ItemOutcome::Stopped:
            m_run.bDownloading = false;
            return;
        case ItemOutcome::Transferred:
            bFollowGrownList = i < m_store.UBound();
            break;
        }
        ++i;
    }
    m_run.bDownloading = false;
}

DownloadQueue::ItemOutcome DownloadQueue::ProcessItem(int i)
{
    const DownloadItem *pItem = m_store.ItemAt(i);
    if (!pItem || pItem->Status == kComplete || pItem->Status == kError)
        return ItemOutcome::Skipped;

    m_run.iCurrentItem = static_cast<qint16>(pItem->ID - 1);
    m_run.FindCurrentRow();
    const int iCurrent = m_run.iCurrentItem;

    const QString sLink = PrepareItem(iCurrent);
    m_store.FillDownloadList();
    const DownloadItem *pPrepared = m_store.ItemAt(iCurrent);
    if (!pPrepared || pPrepared->Status == kError)
        return ItemOutcome::Skipped;

    const QString sLocalFile = LocalPathFor(pPrepared->FileName);
    m_download.SetUrl(sLink);
    m_download.SetLocalFile(sLocalFile);
    modGlobal::DeleteFileForced(sLocalFile);
    m_run.FindCurrentRow();

    const bool bCompleted = m_download.StartDownload();

    DownloadItem *pCurrent = m_store.ItemAt(m_run.iCurrentItem);
    if (m_run.bStopRequested) {
        if (pCurrent)
            pCurrent->Status = QStringLiteral("Cancelled");
        m_store.FillDownloadList();
        return ItemOutcome::Stopped;
    }

    if (pCurrent) {
        // A transfer that did not run to its end, or that brought the
        // server's error page instead of the file, has not downloaded the video.
        const bool bGood = bCompleted && m_download.HttpStatus() < 400
                           && !pCurrent->FileSize.startsWith(QLatin1String("-1"));
        pCurrent->Status = bGood ? kComplete : kError;
    }
    m_store.FillDownloadList();
    return ItemOutcome::Transferred;
}

QString DownloadQueue::PrepareItem(int iIndex)
{
    QString sResult = QStringLiteral("-1");
    DownloadItem *pItem = m_store.ItemAt(iIndex);
    if (!pItem)
        return sResult;

    pItem->Status = QStringLiteral("Preparing (0%)");
    const QString sVideoUrl = pItem->Video_URL;
    m_store.FillDownloadList();

    const QString sLink = m_pageRetriever.GetDownloadLink(sVideoUrl);
    // Commands run during the fetch may have removed the item.
    pItem = m_store.ItemAt(iIndex);
    if (!pItem)
        return sResult;
    DownloadItem &item = *pItem;

    if (sLink == QLatin1String("-1")) {
        item.Status = kError;
        item.FileName = QStringLiteral("Un supported link");
    } else if (sLink == QLatin1String("0")) {
        item.FileName = QStringLiteral("Process failed.");
        item.Status = kError;
        item.Video_URL = QStringLiteral("Video may be inappropriate and can not be downloaded");
    } else if (sLink == QLatin1String("-2")) {
        item.Status = kError;
    } else {
        const qint16 iSite = modDownload::DetectSite(item.Video_URL);
        const FileInfo info = m_fileInfo.GetFileInfo(sLink, iSite);
        // The request yields too: look the item up again.
        DownloadItem *pResolved = m_store.ItemAt(iIndex);
        if (!pResolved)
            return sResult;
        if (pResolved->FileName == kAutoDetect)
            pResolved->FileName = info.FileName;
        pResolved->FileSize = info.FileSize;
        sResult = sLink;
    }
    return sResult;
}

QString DownloadQueue::LocalPathFor(const QString &sFileName) const
{
    return QDir(m_settings.sDownloadDir).filePath(sFileName);
}

void DownloadQueue::SetStartDownloadCaption(const QString &sCaption)
{
    m_sStartDownloadCaption = sCaption;
    Q_EMIT cmdStartDownloadCaptionChanged(sCaption);
}

void DownloadQueue::SetMenuDownloadCaption(const QString &sCaption)
{
    m_sMenuDownloadCaption = sCaption;
    Q_EMIT mnuDownloadCaptionChanged(sCaption);
}

void DownloadQueue::SetRunVariables(const char *const names[3], const QString &sValue)
{
    for (int i = 0; i < 3; ++i)
        modSettings::SetSkinVariable(m_skin, QString::fromLatin1(names[i]), sValue);
}
