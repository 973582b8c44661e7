#include "list/runstate.h"

#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"

RunState::RunState(const IDownloadGrid &DownloadGrid, const DownloadListStore &store)
    : m_grid(DownloadGrid)
    , m_store(store)
{
}

void RunState::BeginRun()
{
    m_bStopRequested = false;
    m_bDownloading = true;
}

void RunState::SetCurrentItem(int iIndex)
{
    const DownloadItem *pItem = m_store.ItemAt(iIndex);
    m_uCurrentSerial = pItem ? pItem->uSerial : 0;
    FindCurrentRow();
}

void RunState::FindCurrentRow()
{
    m_rowCurrent = GridRow();
    m_iCurrentItem = static_cast<qint16>(m_uCurrentSerial ? m_store.IndexOfSerial(m_uCurrentSerial)
                                                          : -1);
    if (m_iCurrentItem < 0)
        return;
    // By the item the row shows, not its ID cell: a view built while the
    // list changed may show an old number.
    DownloadViewModel *pView = m_grid.DataSource();
    if (pView)
        m_rowCurrent = GridRow(pView, pView->RowOfSerial(m_uCurrentSerial));
}
