#include "session/downloadeventhandlers.h"

#include <charconv>
#include <string_view>

#include "core/modmain.h"
#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/runstate.h"
#include "net/download.h"

DownloadEventHandlers::DownloadEventHandlers(Download &download, DownloadListStore &store,
                                             RunState &run)
    : m_download(download), m_store(store), m_run(run), m_cDecimal(modMain::DecimalSeparator())
{
    connect(&download, &Download::DownloadComplete, this,
            &DownloadEventHandlers::DownloadComplete);
    connect(&download, &Download::DownloadProgress, this,
            &DownloadEventHandlers::DownloadProgress);
    connect(&download, &Download::DownloadError, this, &DownloadEventHandlers::DownloadError);
}

// The run may point past the end of a list that was edited meanwhile; such
// an item is simply not written.
DownloadItem *DownloadEventHandlers::CurrentItem() const
{
    return m_store.ItemAt(m_run.iCurrentItem);
}

void DownloadEventHandlers::BeginPageFetch()
{
    m_sDownloadResult.clear();
    m_bFetchingPage = true;
}

void DownloadEventHandlers::DownloadComplete()
{
    if (m_bFetchingPage) {
        if (DownloadItem *pItem = CurrentItem())
            pItem->Status = QStringLiteral("Start Downloading...");
    }
    m_sDownloadResult = QStringLiteral("1");
}

void DownloadEventHandlers::DownloadError(const QString &sErrorDescription)
{
    m_sDownloadResult = sErrorDescription;
}

void DownloadEventHandlers::DownloadProgress(qint64 lProgress)
{
    if (m_run.bStopRequested)
        m_download.CancelDownload();
    if (m_bFetchingPage)
        ShowPageProgress(lProgress);
    else
        ShowFileProgress(lProgress);
}

void DownloadEventHandlers::ShowPageProgress(qint64 lProgress)
{
    if (DownloadItem *pItem = CurrentItem()) {
        pItem->Status = lProgress <= 100
            ? QStringLiteral("Preparing (%1%)").arg(lProgress)
            : QStringLiteral("Preparing...");
        m_run.rowCurrent.SetCellValue(DownloadViewModel::colStatus, pItem->Status);
    }
    m_store.FillDownloadList();
}

// Runs once per 2048-byte block of a file transfer, so it builds the text in
// place and touches the item and the cell only when the text changes: most
// blocks leave both as they are and allocate nothing.
void DownloadEventHandlers::ShowFileProgress(qint64 lProgress)
{
    DownloadItem *pItem = CurrentItem();
    if (!pItem)
        return;
    char16_t text[modMain::kSizeTextCapacity + 16];
    qsizetype iLength = 0;
    if (pItem->FileSize == QLatin1StringView("0")) {
        iLength = modMain::FormatSizeTo(static_cast<double>(lProgress), text, m_cDecimal);
        for (const char c : std::string_view(" so far.."))
            text[iLength++] = char16_t(c);
    } else {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, lProgress);
        for (const char *p = digits; p < result.ptr; ++p)
            text[iLength++] = char16_t(*p);
    }
    const QStringView sStatus(text, iLength);
    if (pItem->Status != sStatus)
        pItem->Status = sStatus.toString();
    if (!m_run.rowCurrent.IsNothing()
        && m_run.rowCurrent.CellText(DownloadViewModel::colStatus) != sStatus)
        m_run.rowCurrent.SetCellValue(DownloadViewModel::colStatus, pItem->Status);
}
