#include "list/urladder.h"

#include <algorithm>

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
    // Typed or dropped text often has white space around the address.
    const QString sAddress = sURL.trimmed();
    // A typed address of a supported site may leave out its scheme: the
    // transfer takes it as http.
    const bool bWanted = modDownload::IsWanted(sAddress, m_pbAnySite && *m_pbAnySite)
        || (!sAddress.contains(QLatin1StringView("://"))
            && modDownload::IsWanted(QStringLiteral("http://") + sAddress, false));
    if (!IsListed(sAddress)) {
        QString sStatus = bWanted ? QStringLiteral("Waiting") : QStringLiteral("Link is not supported");
        m_store.AddDownloadItem(sURL,
                                bWanted ? QStringLiteral("Waiting (Auto Detect)") : QStringLiteral("ERROR"),
                                sStatus, sFileSize);
    }
    qCDebug(lcList, "%s %s", qPrintable(sURL),
            m_store.Count() > iBefore ? "listed" : "is listed already");
    m_store.FillDownloadList();
    if (m_run.bDownloading())
        m_run.FindCurrentRow();
}

bool UrlAdder::IsListed(QStringView sAddress) const
{
    const QList<DownloadItem> &items = m_store.Items();
    return std::any_of(items.begin(), items.end(), [sAddress](const DownloadItem &item) {
        return QStringView(item.PageUrl()).trimmed() == sAddress;
    });
}
