#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <QtGlobal>

class Download;
class DownloadListStore;
class RunState;
struct DownloadItem;

// The host's handlers of the transfer control's events. One set serves both
// kinds of transfer: a page fetch (bFetchingPage set) shows "Preparing"
// texts and rebuilds the list; a file transfer writes its progress straight
// into the current item's Status cell. A stop request of the user reaches the
// control through the progress handler. DownloadCancelled has no handler.
class DownloadEventHandlers : public QObject
{
    Q_OBJECT

public:
    DownloadEventHandlers(Download &download, DownloadListStore &store, RunState &run);

    // A page fetch brackets its transfer with these, so that the handlers
    // show "Preparing" texts meanwhile and keep the outcome for it.
    void BeginPageFetch();
    void EndPageFetch() { m_bFetchingPage = false; }

    // True exactly while a page fetch waits in StartDownload.
    bool bFetchingPage() const { return m_bFetchingPage; }
    // "1" after DownloadComplete, the error text after DownloadError; empty
    // from the start of a page fetch until its transfer ends.
    QString sDownloadResult() const { return m_sDownloadResult; }
    // The last transfer ran to its end.
    bool TransferCompleted() const { return m_sDownloadResult == QLatin1StringView("1"); }

    void DownloadComplete();
    void DownloadProgress(qint64 lProgress);
    void DownloadError(const QString &sErrorDescription);

private:
    DownloadItem *CurrentItem() const;
    void ShowPageProgress(qint64 lProgress);
    void ShowFileProgress(qint64 lProgress);

    Download &m_download;
    DownloadListStore &m_store;
    RunState &m_run;
    QChar m_cDecimal;
    bool m_bFetchingPage = false;
    QString m_sDownloadResult;
};
