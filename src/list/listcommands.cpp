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

qint16 ListCommands::RowID(const GridRow &row) const
{
    return m_store.IDOfSerial(row.Serial());
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
    // Each row names its item by serial, and the item's ID is read only
    // when it is removed: the grid may show a list older than the one the
    // edit applies to.
    for (; !row.IsNothing(); row = row.PrevSibling()) {
        if (m_grid.IsRowSelected(row.Index())
            || m_grid.IsCellSelected(row.Index(), DownloadViewModel::colVideo_URL))
            RemoveItemOf(row);
    }
    ShowEditedList(true);
}

void ListCommands::ClearCompleted()
{
    GridRow row = m_grid.LastRow();
    if (row.IsNothing())
        return;
    for (; !row.IsNothing(); row = row.PrevSibling()) {
        const DownloadItem *pItem = m_store.ItemBySerial(row.Serial());
        if (pItem && pItem->State() == ItemState::Complete)
            RemoveItemOf(row);
    }
    ShowEditedList(true);
}

void ListCommands::RetrySelected()
{
    for (const QModelIndex &cell : m_grid.Selected()) {
        const GridRow row(m_grid.DataSource(), cell.row());
        const DownloadItem *pItem = m_store.ItemBySerial(row.Serial());
        if (!pItem)
            continue;
        const ItemState state = pItem->State();
        if (state != ItemState::Failed && state != ItemState::Cancelled)
            continue;
        // Waiting again: a run reaches it and goes on from its part.
        m_store.SetStatus(pItem->uSerial, ItemStatus::kWaiting);
        m_store.SetReason(pItem->uSerial, QString());
    }
    ShowEditedList(false);
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
        // A row whose item has left the list meanwhile moves nothing.
        const qint16 iID = RowID(row);
        if (iID > 0 && bUp)
            m_store.MoveItemUp(iID);
        else if (iID > 0)
            m_store.MoveItemDown(iID);
    }
    ShowEditedList(false);
}

void ListCommands::RemoveItemOf(const GridRow &row)
{
    const qint16 iID = RowID(row);
    if (iID > 0)
        m_store.RemoveDownloadItem(iID);
}

void ListCommands::ShowEditedList(bool bMayBeEmpty)
{
    // An empty list unbinds the grid, so the next binding lays it out anew.
    if (bMayBeEmpty && m_store.IsListEmpty())
        m_grid.bGridFormatted = false;
    m_store.FillDownloadList();
    if (m_run.bDownloading())
        m_run.FindCurrentRow();
}
