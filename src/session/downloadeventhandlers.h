#pragma once

#include <QChar>
#include <QObject>
#include <QString>
#include <QStringView>
#include <QtGlobal>

class Download;
class DownloadListStore;
class RunState;

// The host's handlers of the transfer control's events. One set serves both
// kinds of transfer: a page fetch (bFetchingPage set) shows "Preparing"
// texts; a file transfer its progress. Both write straight into the Status
// cell of the current item's row. A stop request of the user reaches the
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
    bool TransferCompleted() const { return m_sDownloadResult == QLatin1StringView("1"); }

    // The current item waits to try its transfer again: "Retrying (k/N)…".
    void ShowRetrying(int iRetry, int iRetries);

    void DownloadComplete();
    void DownloadProgress(qint64 lProgress);
    void DownloadError(const QString &sErrorDescription);

private:
    // Writes the Status cell of the row that shows the current item; false
    // when the grid has no such row.
    bool ShowInCurrentRow(QStringView sStatus);
    void ShowPageProgress(qint64 lProgress);
    void ShowFileProgress(qint64 lProgress);

    Download &m_download;
    DownloadListStore &m_store;
    RunState &m_run;
    QChar m_cDecimal;
    bool m_bFetchingPage = false;
    QString m_sDownloadResult;
};
