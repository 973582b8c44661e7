#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class Download;
class DownloadListStore;
class FileInfoResolver;
class IMessageBox;
class ISkin;
class PageRetriever;
class RunState;
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
        ISkin &skin;
        IMessageBox &messageBox;
        ProgramSettings &settings;
    };

    static const QString kStartCaption;
    static const QString kStopCaption;

    explicit DownloadQueue(const Parts &parts, QObject *parent = nullptr);

    // The start/stop toggle: starts a run when idle, asks to stop one when
    // running. Decides by the button's caption.
    void cmdStartDownload_Click();
    void tmrDownload_Timer();
    // One run over the list.
    void StartDownloading();
    // Resolves one item; its file address, or "-1" when resolution failed.
    QString PrepareItem(int iIndex);

    QString cmdStartDownloadCaption() const { return m_sStartDownloadCaption; }
    QString mnuDownloadCaption() const { return m_sMenuDownloadCaption; }

    // Asks for a toggle 200 ms from now.
    QTimer tmrDownload;

    // Replaces the connectivity test (tests, and front ends that skip it).
    void SetConnectivityTest(std::function<bool()> isConnected);

Q_SIGNALS:
    void cmdStartDownloadCaptionChanged(const QString &sCaption);
    void mnuDownloadCaptionChanged(const QString &sCaption);

private:
    void SetStartDownloadCaption(const QString &sCaption);
    void SetMenuDownloadCaption(const QString &sCaption);
    void SetRunVariables(const char *const names[3], const QString &sValue);
    enum class ItemOutcome { Skipped, Transferred, Stopped };
    // Takes the item at index i through resolution and transfer.
    ItemOutcome ProcessItem(int i);
    QString LocalPathFor(const QString &sFileName) const;

    DownloadListStore &m_store;
    RunState &m_run;
    Download &m_download;
    PageRetriever &m_pageRetriever;
    FileInfoResolver &m_fileInfo;
    ISkin &m_skin;
    IMessageBox &m_messageBox;
    ProgramSettings &m_settings;
    std::function<bool()> m_isConnected;

    QString m_sStartDownloadCaption;
    QString m_sMenuDownloadCaption;
};
