#pragma once

#include <memory>

class Download;
class DownloadEventHandlers;
class DownloadListStore;
class DownloadQueue;
class FileInfoResolver;
class IDownloadGrid;
class IMessageBox;
class ISkin;
class PageRetriever;
class RunPresenter;
class RunState;
class TransferRetry;
class UrlAdder;
class YoutubeResolver;
struct ProgramSettings;

// Everything that turns a list of page addresses into files on disk, wired
// together once: the list and its run state, the one transfer control with
// its handlers, link resolution, file naming and the queue. The window and
// the command-line front end each own one and supply what shows it.
class DownloadSession
{
public:
    DownloadSession(IDownloadGrid &grid, IMessageBox &messageBox, ISkin &skin);
    ~DownloadSession();
    DownloadSession(const DownloadSession &) = delete;
    DownloadSession &operator=(const DownloadSession &) = delete;

    DownloadListStore &ListStore() const { return *m_store; }
    RunState &Run() const { return *m_run; }
    UrlAdder &Adder() const { return *m_adder; }
    ProgramSettings &Settings() const { return *m_settings; }
    Download &TransferControl() const { return *m_download; }
    DownloadEventHandlers &Handlers() const { return *m_handlers; }
    // The retries of page fetches and file transfers alike.
    TransferRetry &Retry() const { return *m_retry; }
    YoutubeResolver &Resolver() const { return *m_resolver; }
    PageRetriever &Pages() const { return *m_pages; }
    RunPresenter &Presenter() const { return *m_presenter; }
    DownloadQueue &Queue() const { return *m_queue; }

private:
    std::unique_ptr<DownloadListStore> m_store;
    std::unique_ptr<RunState> m_run;
    std::unique_ptr<UrlAdder> m_adder;
    std::unique_ptr<ProgramSettings> m_settings;
    std::unique_ptr<Download> m_download;
    std::unique_ptr<DownloadEventHandlers> m_handlers;
    std::unique_ptr<TransferRetry> m_retry;
    std::unique_ptr<YoutubeResolver> m_resolver;
    std::unique_ptr<PageRetriever> m_pages;
    std::unique_ptr<FileInfoResolver> m_fileInfo;
    std::unique_ptr<RunPresenter> m_presenter;
    std::unique_ptr<DownloadQueue> m_queue;
};
