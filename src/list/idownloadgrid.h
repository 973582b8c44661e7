#pragma once

#include "list/gridrow.h"

class DownloadViewModel;

// What the list code needs of whatever shows the download view: the window's
// grid, or a headless stand-in for the command-line front end and the tests.
class IDownloadGrid
{
public:
    virtual ~IDownloadGrid() = default;

    // Binds a freshly rebuilt view and lays the grid out for it. The grid's
    // selection, current row and scroll position start afresh.
    virtual void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool bInitial) = 0;
    // The grid shows no rows.
    virtual void ClearDataSource() = 0;
    virtual DownloadViewModel *DataSource() const = 0;

    GridRow FirstRow() const { return GridRow::First(DataSource()); }
    GridRow LastRow() const { return GridRow::Last(DataSource()); }
};

// Holds the bound view and nothing else.
class HeadlessDownloadGrid : public IDownloadGrid
{
public:
    void FormatDownloadGrid(DownloadViewModel *rsDownloadView, bool) override
    {
        m_pView = rsDownloadView;
    }
    void ClearDataSource() override { m_pView = nullptr; }
    DownloadViewModel *DataSource() const override { return m_pView; }

private:
    DownloadViewModel *m_pView = nullptr;
};
