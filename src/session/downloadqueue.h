#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

#include "session/transfermeter.h"
#include "sites/ytdlpinfo.h"

class Download;
class DownloadListStore;
class FileInfoResolver;
class IMessageBox;
class ISkin;
class PageRetriever;
class RunPresenter;
class RunState;
class StreamSaver;
class TransferRetry;
class YtDlpExtractor;
struct DownloadItem;
struct ProgramSettings;

// Works through the download list one item at a time: resolves each page to
// its file address, names the local file and copies the file into the
// download directory. Owns the one start/stop toggle of the program.
//
// A run is one synchronous loop; it stays responsive because the transfer and
// the list rebuild process pending events as they go, so every other command
// (the stop request among them) runs nested inside it.
class DownloadQueue : public QObject
{
    Q_OBJECT

public:
    struct Parts
    {
        DownloadListStore &store;
        RunState &run;
        Download &download;
        PageRetriever &pageRetriever;
        FileInfoResolver &fileInfo;
        RunPresenter &presenter;
        TransferRetry &retry;
        ISkin &skin;
        IMessageBox &messageBox;
        ProgramSettings &settings;
    };

    // What PrepareItem answers when the item could not be resolved.
    static constexpr QLatin1StringView kPrepareFailed{"-1"};

    explicit DownloadQueue(const Parts &parts, QObject *parent = nullptr);
    ~DownloadQueue() override;

    // The start/stop toggle: starts a run when idle, asks to stop one when
    // running. A start asked for while a stopped run winds down is carried
    // out once that run has ended.
    void cmdStartDownload_Click();
    void tmrDownload_Timer();
    // The confirmed stop: whatever the run waits for (a block, an answer, a
    // page, a redirect) is given up at once, no further request is made, the
    // item under way reads "Cancelled" and later items stay as they are; the
    // toggle shows idle at once. Nothing happens when no run is on.
    void StopRun();
    // The program is ending: gives up everything at once, as a confirmed
    // stop does, without a question and also when a stop was confirmed
    // before and the run is still winding down. No run starts after this,
    // not even one asked for meanwhile.
    void AbandonRun();
    void StartDownloading();
    // Resolves one item; its file address, or kPrepareFailed.
    QString PrepareItem(int iIndex);

    // The toggle's state, which the captions show: a run is on and has not
    // been asked to stop.
    bool IsRunning() const { return m_bRunning; }

    // Asks for a toggle 200 ms from now.
    QTimer tmrDownload;

    // Where a file of this name lies: in the download directory.
    QString LocalPathFor(const QString &sFileName) const;

    // Notes with each waiting, cancelled or failed item how much of its file
    // a kept part holds ("89 % kept"); the list just came back from disk.
    void NoteKeptParts();

    // Replaces the connectivity test (tests, and front ends that skip it).
    void SetConnectivityTest(std::function<bool()> isConnected);

Q_SIGNALS:
    // An item ended "ERROR"; sReason (also its tool tip) says why: the
    // server's answer, the connection's failure, a page without a video, a
    // local file that could not be written.
    void ItemFailed(int iID, const QString &sReason);
    // An item's file is complete under sPath.
    void ItemCompleted(int iID, const QString &sPath);
    // A run began; it ended, with this many items complete and failed.
    void RunStarted();
    void RunEnded(int iCompleted, int iFailed);

private:
    enum class ItemOutcome { Skipped, Transferred, Stopped };
    // Takes the item at index i through resolution and transfer.
    ItemOutcome ProcessItem(int i);
    // Asks yt-dlp for the item's media: the address to transfer, kPrepareFailed
    // when the item has ended, or a null text when the rule for any page is
    // to read it (with yt-dlp's reason, if any, in sReason).
    QString PrepareFromYtDlp(quint32 uSerial, const QString &sVideoUrl, QString &sReason);
    // Saves the prepared item's stream from the playlist at sLink.
    ItemOutcome ProcessStream(quint32 uSerial, const QString &sLink, const QString &sLocalFile);
    // The run's current item wherever it is now; nothing once it was removed.
    const DownloadItem *CurrentItem() const;
    // Stops the run's work on an item the user removed.
    void ItemRemoved(quint32 uSerial);
    // Ends every wait of the item under way at once: its transfer, the
    // wait before the transfer's next try, the page fetch, a stream, yt-dlp.
    void GiveUpWaits();
    // The name item uSerial's file (from sLink) gets: sFileName made safe
    // and short enough, numbered when that name is taken on disk, was
    // completed by this program, is another unfinished item's, or has a part
    // kept for another address.
    QString FreeFileName(const QString &sFileName, const QString &sLink, quint32 uSerial) const;
    // Removes the parts of items taken off the list, once no transfer holds
    // them and no listed item goes on from them.
    void DropPartsOfRemovedItems();
    // Gives the failed item its reason, and tells whoever listens.
    void Fail(quint32 uSerial, const QString &sReason);
    // The item's file is complete: counted, and told.
    void Completed(quint32 uSerial, const QString &sPath);
    // Shows what the transfer of item uSerial is doing, and where the run is.
    void ShowTransferNote(quint32 uSerial);
    // "89 % kept" for the part kept for sLocalFile; empty when none is.
    static QString KeptNote(const QString &sLocalFile);
    // Finishes the item under way as a stop says.
    ItemOutcome Stop();

    DownloadListStore &m_store;
    RunState &m_run;
    Download &m_download;
    PageRetriever &m_pageRetriever;
    FileInfoResolver &m_fileInfo;
    RunPresenter &m_presenter;
    TransferRetry &m_retry;
    ISkin &m_skin;
    IMessageBox &m_messageBox;
    ProgramSettings &m_settings;
    std::function<bool()> m_isConnected;

    bool m_bRunning = false;
    bool m_bStartAfterRun = false;
    bool m_bAbandoned = false;
    // What the transfer control said of the last transfer that failed.
    QString m_sTransferError;
    // Saves the items whose address is a streaming playlist.
    std::unique_ptr<StreamSaver> m_pStreamSaver;
    // The address the last prepared item saves as a stream; empty for a file.
    QString m_sStreamLink;
    // Finds the media of other sites' pages.
    std::unique_ptr<YtDlpExtractor> m_pYtDlp;
    // The formats yt-dlp gave the last prepared item, when they are saved
    // as a stream.
    QList<YtDlpFormat> m_ytDlpFormats;
    // What a kept part of the last prepared item's file is recorded under:
    // the page for a file yt-dlp found, whose own address is signed anew on
    // each visit; empty for the file's address.
    QString m_sResumeKey;
    // Files this object has completed: a later item never replaces them.
    QSet<QString> m_completedPaths;
    // Final paths whose parts belonged to items taken off the list.
    QStringList m_partsToDrop;
    // The file under way: its figures, sampled at each block, shown each second.
    TransferMeter m_meter;
    bool m_bMetering = false;
    QElapsedTimer m_clock;
    QTimer m_noteTimer;
    // Where the run is: item m_iRunItem of m_iRunItems.
    int m_iRunItem = 0;
    int m_iRunItems = 0;
    // What the run has done so far.
    int m_iRunCompleted = 0;
    int m_iRunFailed = 0;
};
