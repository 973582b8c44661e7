#include "list/runstate.h"

#include "list/downloadviewmodel.h"
#include "list/idownloadgrid.h"

RunState::RunState(const IDownloadGrid &DownloadGrid)
    : m_grid(DownloadGrid)
{
}

void RunState::FindCurrentRow()
{
    rowCurrent = GridRow();
    const QString sWantedID = QString::number(iCurrentItem + 1);
    for (GridRow row = m_grid.FirstRow(); !row.IsNothing(); row = row.NextSibling()) {
        if (row.CellText(DownloadViewModel::colID) == sWantedID) {
            rowCurrent = row;
            return;
        }
    }
}
