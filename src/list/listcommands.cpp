#include "list/listcommands.h"

#include "list/downloadliststore.h"
#include "list/downloadviewmodel.h"
#include "list/gridrow.h"
#include "list/idownloadgrid.h"
#include "list/runstate.h"

ListCommands::ListCommands(DownloadListStore &store, RunState &run)
    : m_store(store)
    , m_grid(store.DownloadGrid())
    , m_run(run)
{
}

int ListCommands::RowID(const GridRow &row)
{
    bool bNumber = false;
    const int iID = row.CellText(DownloadViewModel::colID).toInt(&bNumber);
    return bNumber ? iID : 0;
}

void ListCommands::SelectAll()
{
    for (GridRow row = m_grid.FirstRow(); !row.IsNothing(); row = row.NextSibling())
        m_grid.SetRowSelected(row.Index());
}

void ListCommands::RemoveSelected()
{
    // Every row with any selected cell gets its address cell selected, so
    // that one test below covers cells and whole rows alike.
    const QModelIndexList selected = m_grid.Selected();
    for (qsizetype k = selected.size() - 1; k >= 0; --k)
        m_grid.SetCellSelected(selected.at(k).row(), DownloadViewModel::colVideo_URL);

    GridRow row = m_grid.LastRow();
    if (row.IsNothing())
        return;
    // From the last row up: a removal renumbers only the items behind it,
    // so the ID cells of the rows still to visit stay true.
    for (; !row.IsNothing(); row = row.PrevSibling()) {
        if (m_grid.IsRowSelected(row.Index())
            || m_grid.IsCellSelected(row.Index(), DownloadViewModel::colVideo_URL))
            m_store.RemoveDownloadItem(static_cast<qint16>(RowID(row)));
    }
    ShowEditedList(true);
}

void ListCommands::ClearCompleted()
{
    GridRow row = m_grid.LastRow();
    if (row.IsNothing())
        return;
    for (; !row.IsNothing(); row = row.PrevSibling()) {
        const DownloadItem *pItem = m_store.ItemAt(RowID(row) - 1);
        if (pItem && pItem->state == ItemState::Complete)
            m_store.RemoveDownloadItem(static_cast<qint16>(RowID(row)));
    }
    ShowEditedList(true);
}

void ListCommands::MoveSelectedUp()
{
    MoveSelected(true);
}

void ListCommands::MoveSelectedDown()
{
    MoveSelected(false);
}

void ListCommands::MoveSelected(bool bUp)
{
    const QModelIndexList selected = m_grid.Selected();
    if (!selected.isEmpty()) {
        const GridRow row(m_grid.DataSource(), selected.first().row());
        const auto iID = static_cast<qint16>(RowID(row));
        if (bUp)
            m_store.MoveItemUp(iID);
        else
            m_store.MoveItemDown(iID);
    }
    ShowEditedList(false);
}

void ListCommands::ShowEditedList(bool bMayBeEmpty)
{
    // An empty list unbinds the grid, so the next binding lays it out anew.
    if (bMayBeEmpty && m_store.IsListEmpty())
        m_grid.bGridFormatted = false;
    m_store.FillDownloadList();
    if (m_run.bDownloading)
        m_run.FindCurrentRow();
}
