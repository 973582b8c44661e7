#include "session/downloadsession.h"

#include "list/downloadliststore.h"
#include "list/runstate.h"
#include "list/urladder.h"
#include "net/download.h"
#include "net/youtuberesolver.h"
#include "session/downloadeventhandlers.h"
#include "session/downloadqueue.h"
#include "session/fileinforesolver.h"
#include "session/pageretriever.h"
#include "session/runpresenter.h"
#include "session/transferretry.h"
#include "settings/programsettings.h"

DownloadSession::DownloadSession(IDownloadGrid &grid, IMessageBox &messageBox, ISkin &skin)
    : m_store(std::make_unique<DownloadListStore>(grid, messageBox))
    , m_run(std::make_unique<RunState>(grid, *m_store))
    , m_adder(std::make_unique<UrlAdder>(*m_store, *m_run))
    , m_settings(std::make_unique<ProgramSettings>())
    , m_download(std::make_unique<Download>())
    , m_handlers(std::make_unique<DownloadEventHandlers>(*m_download, *m_store, *m_run))
    , m_retry(std::make_unique<TransferRetry>(*m_download))
    , m_resolver(std::make_unique<YoutubeResolver>(messageBox))
    , m_pages(std::make_unique<PageRetriever>(*m_download, *m_handlers, *m_resolver, *m_retry))
    , m_fileInfo(std::make_unique<FileInfoResolver>(*m_download))
    , m_presenter(std::make_unique<RunPresenter>(skin))
{
    m_settings->sDownloadDir = ProgramSettings::DefaultDownloadDir();
    m_adder->FollowAnySite(&m_settings->bAnySite);
    m_pages->FollowAnySite(&m_settings->bAnySite);
    QObject::connect(m_retry.get(), &TransferRetry::Waiting, m_handlers.get(),
                     [this](int iRetry, int iRetries) { m_handlers->ShowRetrying(iRetry, iRetries); });
    m_queue = std::make_unique<DownloadQueue>(DownloadQueue::Parts{
        *m_store, *m_run, *m_download, *m_pages, *m_fileInfo, *m_presenter, *m_retry, skin,
        messageBox, *m_settings});
}

DownloadSession::~DownloadSession() = default;
