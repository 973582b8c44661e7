#pragma once

#include <QList>
#include <QModelIndexList>
#include <QPair>

#include "list/gridrow.h"

class DownloadViewModel;

// What the list code needs of whatever shows the download view: the window's
// grid, or a headless stand-in for the command-line front end and the tests.
class IDownloadGrid
{
public:
    virtual ~IDownloadGrid() = default;

    // Binds a freshly rebuilt view and lays the grid out for it. What the user
    // holds in the grid follows the items, wherever the rebuild moved them:
    // the selected cells, the current cell, the scroll position and an open
    // file-name editor with what was typed into it. What belonged to items
    // the new view no longer shows is dropped; such an editor closes without
    // committing.
    virtual void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial) = 0;
    // The grid shows no rows.
    virtual void ClearDataSource() = 0;
    virtual DownloadViewModel *DataSource() const = 0;

    GridRow FirstRow() const { return GridRow::First(DataSource()); }
    GridRow LastRow() const { return GridRow::Last(DataSource()); }

    // Selection, by cells of the bound view. A front end without a selection
    // (the terminal) keeps these defaults: nothing is ever selected.
    // The selected cells in the order they were selected.
    virtual QModelIndexList Selected() const { return {}; }
    virtual bool IsCellSelected(int, int) const { return false; }
    virtual void SetCellSelected(int, int) {}
    // A row counts as selected when all its cells are.
    virtual bool IsRowSelected(int) const { return false; }
    virtual void SetRowSelected(int) {}
    virtual void ClearSelection() {}

    // Set once the full layout has been applied to bound data; a grid with it
    // set only rebinds. Cleared when the list is emptied, so that the next
    // binding lays the grid out again.
    bool bGridFormatted = false;
};

// Holds the bound view and a selection, and nothing else. The selection is
// kept by item, so that it survives rebinding as the window's grid does.
class HeadlessDownloadGrid : public IDownloadGrid
{
public:
    void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial) override;
    void ClearDataSource() override;
    DownloadViewModel *DataSource() const override { return m_pView; }

    QModelIndexList Selected() const override;
    bool IsCellSelected(int iRow, int iColumn) const override;
    void SetCellSelected(int iRow, int iColumn) override;
    bool IsRowSelected(int iRow) const override;
    void SetRowSelected(int iRow) override;
    void ClearSelection() override { m_selected.clear(); }

    // How often a view was bound (rebuilds that reached the grid).
    int iBindings = 0;

private:
    void DropItemsNotShown();

    DownloadViewModel *m_pView = nullptr;
    // (item serial, column), in the order selected.
    QList<QPair<quint32, int>> m_selected;
};
