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

void DownloadEventHandlers::BeginPageFetch()
{
    m_sDownloadResult.clear();
    m_bFetchingPage = true;
}

void DownloadEventHandlers::DownloadComplete()
{
    if (m_bFetchingPage && m_store.SetStatus(m_run.CurrentSerial(), u"Start Downloading..."))
        ShowInCurrentRow(u"Start Downloading...");
    m_sDownloadResult = QStringLiteral("1");
}

void DownloadEventHandlers::ShowRetrying(int iRetry, int iRetries)
{
    const QString sStatus = QStringLiteral("Retrying (%1/%2)\u2026").arg(iRetry).arg(iRetries);
    if (m_store.SetStatus(m_run.CurrentSerial(), sStatus))
        ShowInCurrentRow(sStatus);
}

void DownloadEventHandlers::DownloadError(const QString &sErrorDescription)
{
    m_sDownloadResult = sErrorDescription;
}

void DownloadEventHandlers::DownloadProgress(qint64 lProgress)
{
    if (m_run.bStopRequested())
        m_download.CancelDownload();
    if (m_bFetchingPage)
        ShowPageProgress(lProgress);
    else
        ShowFileProgress(lProgress);
}

void DownloadEventHandlers::ShowPageProgress(qint64 lProgress)
{
    const QString sStatus = lProgress <= 100 ? QStringLiteral("Preparing (%1%)").arg(lProgress)
                                             : QStringLiteral("Preparing...");
    if (!m_store.SetStatus(m_run.CurrentSerial(), sStatus))
        return;
    // Writing the row's Status cell shows what a rebuild would, and leaves
    // the user's selection and an open editor alone; only a grid that has
    // no row for the item yet needs the rebuild.
    if (!ShowInCurrentRow(sStatus)) {
        m_store.FillDownloadList();
        m_run.FindCurrentRow();
    }
}

bool DownloadEventHandlers::ShowInCurrentRow(QStringView sStatus)
{
    // A rebuild since the row was found leaves it pointing at nothing; the
    // new view may well show the item.
    if (m_run.rowCurrent().Serial() != m_run.CurrentSerial())
        m_run.FindCurrentRow();
    const GridRow &row = m_run.rowCurrent();
    if (row.IsNothing())
        return false;
    if (row.CellText(DownloadViewModel::colStatus) != sStatus)
        row.SetCellValue(DownloadViewModel::colStatus, sStatus.toString());
    return true;
}

// Runs once per 2048-byte block of a file transfer, so it builds the text in
// place and touches the item and the cell only when the text changes: most
// blocks leave both as they are and allocate nothing.
void DownloadEventHandlers::ShowFileProgress(qint64 lProgress)
{
    const DownloadItem *pItem = m_store.ItemBySerial(m_run.CurrentSerial());
    if (!pItem)
        return;
    char16_t text[modMain::kSizeTextCapacity + 16];
    qsizetype iLength = 0;
    // Without a size (none given, or the size request failed) the transfer
    // reports bytes, not a percentage.
    if (pItem->FileSize == QLatin1StringView("0") || pItem->FileSize.startsWith(u"-1")) {
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
    m_store.SetStatus(pItem->uSerial, sStatus);
    ShowInCurrentRow(sStatus);
}
