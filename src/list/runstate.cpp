#include "list/runstate.h"

#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"

RunState::RunState(const IDownloadGrid &DownloadGrid, const DownloadListStore &store)
    : m_grid(DownloadGrid)
    , m_store(store)
{
}

void RunState::SetCurrentItem(int iIndex)
{
    const bool bListed = iIndex >= 0 && iIndex < m_store.DownloadList.size();
    m_uCurrentSerial = bListed ? m_store.DownloadList.at(iIndex).uSerial : 0;
    FindCurrentRow();
}

void RunState::FindCurrentRow()
{
    rowCurrent = GridRow();
    iCurrentItem = static_cast<qint16>(m_uCurrentSerial ? m_store.IndexOfSerial(m_uCurrentSerial)
                                                        : -1);
    if (iCurrentItem < 0)
        return;
    const QString sWantedID = QString::number(iCurrentItem + 1);
    for (GridRow row = m_grid.FirstRow(); !row.IsNothing(); row = row.NextSibling()) {
        if (row.CellText(DownloadViewModel::colID) == sWantedID) {
            rowCurrent = row;
            return;
        }
    }
}
