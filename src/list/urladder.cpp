#include "list/urladder.h"

#include "list/downloadliststore.h"
#include "list/listlog.h"
#include "list/runstate.h"
#include "sites/anysite.h"

UrlAdder::UrlAdder(DownloadListStore &store, RunState &run)
    : m_store(store)
    , m_run(run)
{
}

void UrlAdder::AddURL(const QString &sURL)
{
    QString sFileSize = QStringLiteral("????");
    const auto iBefore = m_store.Count();
    // A typed address of a supported site may leave out its scheme: the
    // transfer takes it as http.
    const QString sAddress = sURL.trimmed();
    const bool bWanted = modDownload::IsWanted(sAddress, m_pbAnySite && *m_pbAnySite)
        || (!sAddress.contains(QLatin1StringView("://"))
            && modDownload::IsWanted(QStringLiteral("http://") + sAddress, false));
    if (!bWanted) {
        QString sStatus = QStringLiteral("Link is not supported");
        m_store.AddDownloadItem(sURL, QStringLiteral("ERROR"), sStatus, sFileSize);
    } else {
        QString sStatus = QStringLiteral("Waiting");
        m_store.AddDownloadItem(sURL, QStringLiteral("Waiting (Auto Detect)"), sStatus, sFileSize);
    }
    qCDebug(lcList, "%s %s", qPrintable(sURL),
            m_store.Count() > iBefore ? "listed" : "is listed already");
    m_store.FillDownloadList();
    if (m_run.bDownloading())
        m_run.FindCurrentRow();
}
