#pragma once

#include <QtGlobal>

class DownloadListStore;
class GridRow;
class IDownloadGrid;
class RunState;

// The commands that edit the download list from the grid: they read the
// selection from the grid, find each selected row's item by its serial,
// change the list and have the grid show the result. Buttons, keys, menus and the skin all end here.
//
// A command may arrive in the middle of a run; after its rebuild it has the
// run find the grid row of its current item again.
class ListCommands
{
public:
    ListCommands(DownloadListStore &store, RunState &run);

    // Selects every row; the list is not touched.
    void SelectAll();
    // Removes the items of every row that has a selected cell.
    void RemoveSelected();
    // Moves the item of the first selected cell one place up (down).
    void MoveSelectedUp();
    void MoveSelectedDown();
    // Removes the items whose Status is "Complete".
    void ClearCompleted();
    // Sets the items of the selected rows that failed or were cancelled
    // back to "Waiting".
    void RetrySelected();

private:
    // The ID the row's item has now, or 0 when it is no longer listed.
    qint16 RowID(const GridRow &row) const;
    void RemoveItemOf(const GridRow &row);
    void MoveSelected(bool bUp);
    // Rebuilds the view after an edit and keeps a run's current row valid.
    void ShowEditedList(bool bMayBeEmpty);

    DownloadListStore &m_store;
    IDownloadGrid &m_grid;
    RunState &m_run;
};
